#!/usr/bin/env bash
# bench/startup_wine.sh [RUNS]: the window's start-up under Wine (wine64,
# the x86_64 build): seconds from launching QUILLMER.EXE to its window shown
# with the list box filled, in a folder of 50 address books holding 200,000
# records and one mailing list, and in the same run in a folder with the
# list only, which is what Wine and the window cost without books. Needs
# the native build (for the project's book writer) and the win64 build
# (QUILLMER.exe, quillmer_startup_timer.exe). Runs under scripts/with-display,
# which ends Xvfb and the wineserver afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
root=$PWD/build
writer=$root/native/tools/make_address_book
exe=$root/win64/app/QUILLMER.exe
timer=$root/win64/tests/e2e/quillmer_startup_timer.exe
for f in "$writer" "$exe" "$timer"; do
  [ -e "$f" ] || { echo "startup_wine: missing $f (build the native and win64 presets)" >&2; exit 2; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmer-startup.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/books" "$work/empty"

python3 - "$work/books" <<'PY'
import sys
folder = sys.argv[1]
first = ["Alexandra", "Bo", "Charlotte", "Dmitri", "Eve", "Francois",
         "Gwendolyn", "Hu", "Isabella", "Jo", "Konstantin", "Li"]
last = ["Smith", "Featherstonehaugh", "Ng", "O'Brien", "Mueller", "Castellanos",
        "Wu", "Abernathy-Jones", "Kowalski", "Tan"]
for b in range(50):
    with open(f"{folder}/book{b}.txt", "w") as src:
        src.write("title: Book %d\n" % b)
        for r in range(b, 200000, 50):
            src.write("%s %s %d | %s.%d@example-mail.org | Quillmer Testing Ltd\n"
                      % (first[r % 12], last[(r // 12) % 10], r, first[r % 12][:3], r))
PY
for source in "$work/books"/*.txt; do
  "$writer" "$source" "${source%.txt}.PMR"
  rm "$source"
done
for d in books empty; do
  printf '\\TITLE Everyone\r\nJo Smith 9\r\n' > "$work/$d/EVERYONE.PML"
  cp "$exe" "$work/$d/QUILLMER.EXE"
done

export QUILLMER_STARTUP=$work QUILLMER_TIMER=$timer QUILLMER_RUNS=$runs
scripts/with-display bash -c '
  set -u
  winpath() { printf "Z:%s" "${1//\//\\}"; }
  scripts/wine-run wineboot -i >/dev/null 2>&1 || true
  for d in empty books; do
    times=()
    for _ in $(seq "$QUILLMER_RUNS"); do
      times+=("$(scripts/wine-run "$QUILLMER_TIMER" "$(winpath "$QUILLMER_STARTUP/$d/QUILLMER.EXE")" 1 | tr -d "\r")")
    done
    printf "%s:" "$d"; printf " %s" "${times[@]}"; echo
    printf "%s\n" "${times[@]}" | sort -n | awk -v d="$d" "{a[NR]=\$1} END {printf \"%s median: %.3f s\n\", d, a[int((NR+1)/2)]}"
  done
'
