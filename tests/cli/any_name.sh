#!/usr/bin/env bash
# quillmer-cli on folders and files named outside ASCII, named on its command
# line as they are, against the same files under ASCII names:
#  - a folder named in Cyrillic and Greek letters holding a list named in
#    Cyrillic and a book named in Greek: the same lists, expansion, findings
#    and export, the names printed in UTF-8 (on Windows the ANSI code page
#    holds none of these letters);
#  - a folder and a list named in letters the ANSI code page holds: the
#    names printed as that code page's bytes (ANSI-CHARSET, as iconv names
#    it; UTF-8 where names are bytes), as before names were UTF-8.
#   any_name.sh 'EMULATOR' CLI MAIL-FOLDER WORK ANSI-CHARSET
set -u
emulator=$1 cli=$2 mail=$3 work=$4 ansi=$5
# Wine reads the words of a command line in the locale's character set.
export LC_ALL=C.UTF-8
run() { if [ -n "$emulator" ]; then "$emulator" "$@"; else "$@"; fi; }
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$work"
mkdir -p "$work/ref"
cp "$mail/CLUB.PML" "$mail/MEMBERS.PMR" "$work/ref/"
folder="Почта Ωμέγα"
list="Друзья.PML"
book="Βιβλίο.PMR"
mkdir "$work/$folder" "$work/Café"
cp "$mail/CLUB.PML" "$work/$folder/$list"
cp "$mail/MEMBERS.PMR" "$work/$folder/$book"
cp "$mail/CLUB.PML" "$work/Café/Été.PML"
cp "$mail/MEMBERS.PMR" "$work/Café/"
cd "$work"
# A fresh Wine prefix says so on its first run's standard error.
run "$cli" --version >/dev/null 2>&1

# same EXPECTED-STATUS 'SED-SCRIPT' ARGS...: the program's output, standard
# error and status on ref (the ASCII names), the names then put into the
# output by SED-SCRIPT, against those on the folder ARGS name.
same() {
  local status=$1 script=$2 ref_args=()
  shift 2
  for a in "$@"; do
    case $a in
      "$folder" | Café) ref_args+=(ref) ;;
      "$list" | Été.PML) ref_args+=(CLUB.PML) ;;
      *) ref_args+=("$a") ;;
    esac
  done
  run "$cli" "${ref_args[@]}" >ref.out 2>ref.err
  local got_ref=$?
  run "$cli" "$@" >got.out 2>got.err
  local got=$?
  [ "$got_ref" = "$status" ] || fail "$* on the ASCII names: exit status $got_ref"
  [ "$got" = "$status" ] || fail "$*: exit status $got, expected $status; $(cat got.err)"
  LC_ALL=C sed "$script" ref.out >want.out
  cmp -s want.out got.out || fail "$*: output differs: $(od -c got.out | head -5)"
  cmp -s ref.err got.err || fail "$*: standard error differs: $(cat got.err)"
  echo "ok   $*"
}
same 0 "s/^CLUB.PML/$list/" lists "$folder"
same 0 "" expand "$folder" "$list"
same 0 "" expand --format csv "$folder" "$list"
same 1 "s/^CLUB.PML/$list/" check "$folder"
# Where names are bytes (not Windows) the book's name is taken as text of
# the books' code page, as its records are.
if [ "$ansi" != UTF-8 ]; then
  same 0 "s/MEMBERS.PMR/$book/" books "$folder"
fi
shown=$(printf 'Été.PML' | iconv -f UTF-8 -t "$ansi") || fail "no $ansi form of the name"
same 0 "s/^CLUB.PML/$shown/" lists Café
same 0 "" expand Café Été.PML
cd / && rm -rf "$work"
