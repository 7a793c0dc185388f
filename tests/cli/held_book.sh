#!/usr/bin/env bash
# quillmer-cli as a whole process while another process holds a book of the
# folder without sharing (tests/support/hold_file.cpp):
#  - released a second after the program starts, within its 2 seconds of
#    trying again: the whole expansion, nothing on standard error, exit 0;
#  - held throughout: the book named with its reason on standard error, the
#    expansion the other files give, exit 3.
#   held_book.sh 'EMULATOR' HOLDER CLI MAIL-FOLDER WORK LINE-END(lf|crlf)
set -u
emulator=$1 holder=$2 cli=$3 mail=$4 work=$5 eol=$6
run() { if [ -n "$emulator" ]; then "$emulator" "$@"; else "$@"; fi; }
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$work"
mkdir -p "$work"
cp -r "$mail" "$work/mail"
cp -r "$mail" "$work/partial"
rm "$work/partial/MEMBERS.PMR"
args=(expand . CLUB.PML)

(cd "$work/mail" && run "$cli" "${args[@]}" >"$work/whole" 2>"$work/whole.err") ||
  fail "the expansion of the folder as it is failed: $(cat "$work/whole.err")"
(cd "$work/partial" && run "$cli" "${args[@]}" >"$work/partial.out" 2>/dev/null) ||
  fail "the expansion without the book failed"
cmp -s "$work/whole" "$work/partial.out" && fail "the book makes no difference to the expansion"

# Starts the holder in the mail folder and waits until it holds the book.
hold() {
  rm -f "$work/held" "$work/release"
  (cd "$work/mail" && run "$holder" MEMBERS.PMR ../held ../release) &
  holder_pid=$!
  for _ in $(seq 600); do
    [ -e "$work/held" ] && return 0
    kill -0 "$holder_pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "the holder did not take the book"
}
release() { touch "$work/release"; wait "$holder_pid"; }

hold
(cd "$work/mail" && run "$cli" "${args[@]}" >"$work/out" 2>"$work/err") &
cli_pid=$!
sleep 1
release
wait "$cli_pid"
status=$?
[ "$status" = 0 ] || fail "released in time: exit status $status, expected 0; $(cat "$work/err")"
cmp -s "$work/whole" "$work/out" || fail "released in time: the expansion differs"
[ -s "$work/err" ] && fail "released in time: standard error: $(cat "$work/err")"
echo "ok   released in time: whole expansion, exit 0"

hold
(cd "$work/mail" && run "$cli" "${args[@]}" >"$work/out" 2>"$work/err")
status=$?
release
message="quillmer-cli: cannot read address book 'MEMBERS.PMR' (held by another program)"
if [ "$eol" = crlf ]; then message+=$'\r'; fi
[ "$status" = 3 ] || fail "held on: exit status $status, expected 3"
[ "$(cat "$work/err")" = "$message" ] || fail "held on: standard error is [$(cat "$work/err")]"
cmp -s "$work/partial.out" "$work/out" || fail "held on: the expansion is not the one without the book"
echo "ok   held on: $(tr -d '\r' <"$work/err"), exit 3"
rm -rf "$work"
