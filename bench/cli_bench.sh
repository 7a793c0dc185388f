#!/usr/bin/env bash
# bench/cli_bench.sh [CLI] [RUNS]: times `quillmer-cli expand` of a
# 100,000-entry list (half of them names, in other letter cases) on a folder
# of 50 address books holding 200,000 records, as a whole process, against
# `cat` of the same list file in the same run. Goal: within 5x of cat.
# A second baseline, `cat` of every book and the list, shows what reading
# the same bytes costs: the program must read all books to resolve a name.
# The folder is made like the engine benchmark's (same names, addresses and
# record layout) in a temporary folder and removed afterwards. Uses
# hyperfine when it is installed, otherwise a timing loop of its own.
# Then `books --format vcard` of the same folder, the whole export of all
# 200,000 records, against `cat` of every book.
set -euo pipefail
cli=${1:-build/native/cli/quillmer-cli}
runs=${2:-10}
[ -x "$cli" ] || { echo "cli_bench: no quillmer-cli at $cli (build the native preset)" >&2; exit 2; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
folder=$(mktemp -d "${TMPDIR:-/tmp}/quillmer-cli-bench.XXXXXX")
trap 'rm -rf "$folder"' EXIT

python3 - "$folder" <<'PY'
import random, sys
folder = sys.argv[1]
first = [b"Alexandra", b"Bo", b"Charlotte", b"Dmitri", b"Eve", b"Fran\xe7ois",
         b"Gwendolyn", b"Hu", b"Isabella", b"Jo", b"Konstantin", b"Li"]
last = [b"Smith", b"Featherstonehaugh", b"Ng", b"O'Brien", b"M\x81ller", b"Castellanos",
        b"Wu", b"Abernathy-Jones", b"Kowalski", b"Tan"]
def person(i): return first[i % 12] + b" " + last[(i // 12) % 10] + b" " + str(i).encode()
def address(i): return first[i % 12][:3] + b"." + str(i).encode() + b"@example-mail.org"
def field(text, size):
    f = bytearray(b"x" * size); f[:len(text)] = text
    if len(text) < size: f[len(text)] = 0
    return bytes(f)
def record(name, addr):
    return (b"\x01\x00" + field(name, 40) + field(b"Quillmer Testing Ltd", 40) + field(b"KEY", 12)
            + field(b"12 Harbour Road", 60) + field(b"Wellington 6011", 60)
            + field(b"+64 4 555 0100", 24) + field(b"+64 4 555 0101", 24)
            + field(b"met at the conference", 80) + field(addr, 100) + b"\0\0\0\0"
            + field(b"", 9) + b"zzz")
books, records, entries = 50, 200000, 100000
for b in range(books):
    data = [field(b"Book %d" % b, 28) + b"h" * 100]
    data += [record(person(r), address(r)) for r in range(b, records, books)]
    open(f"{folder}/book{b}.PMR", "wb").write(b"".join(data))
rng = random.Random(5)
lines = [b"\\TITLE Everyone"]
for e in range(entries):
    r = rng.randrange(records)
    lines.append(person(r).lower() if e % 2 == 0 else b"friend%d@elsewhere.net" % r)
open(f"{folder}/EVERYONE.PML", "wb").write(b"\r\n".join(lines) + b"\r\n")
PY

cd "$folder"
expand_cmd="$cli expand . Everyone"
cat_cmd="cat EVERYONE.PML"
# The expansion must be real before it is timed.
count=$($expand_cmd | tr -cd '\t' | wc -c)
echo "list: $(wc -c < EVERYONE.PML) bytes; expansion: $($expand_cmd | wc -c) bytes, $count names resolved"

books_cmd="$cli books --format vcard ."
echo "vCard export: $($books_cmd | wc -c) bytes, $($books_cmd | grep -c '^BEGIN:VCARD') cards"

if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 2 --runs "$runs" --output=null "$cat_cmd" "$expand_cmd" \
    "cat $(echo *.PMR) EVERYONE.PML"
  hyperfine -N --warmup 2 --runs "$runs" --output=null "cat $(echo *.PMR)" "$books_cmd"
  exit 0
fi

median_ms() {  # median wall time of RUNS runs of "$@", output discarded
  local times=() start end
  "$@" >/dev/null
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.2f", a[int((NR+1)/2)]/1000}'
}
cat_ms=$(median_ms cat EVERYONE.PML)
expand_ms=$(median_ms "$cli" expand . Everyone)
# shellcheck disable=SC2046
all_ms=$(median_ms cat $(echo *.PMR) EVERYONE.PML)
ratio=$(awk -v a="$expand_ms" -v b="$cat_ms" 'BEGIN {printf "%.2f", a / b}')
all_ratio=$(awk -v a="$expand_ms" -v b="$all_ms" 'BEGIN {printf "%.2f", a / b}')
echo "cat of the list:            $cat_ms ms (median of $runs)"
echo "cat of the books and list:  $all_ms ms"
echo "quillmer-cli expand:        $expand_ms ms"
echo "ratio to cat of the list: ${ratio}x (goal: within 5x); to cat of all it reads: ${all_ratio}x"
awk -v r="$ratio" 'BEGIN {exit !(r <= 5)}' || echo "over the goal"
# shellcheck disable=SC2046
books_cat_ms=$(median_ms cat $(echo *.PMR))
books_ms=$(median_ms "$cli" books --format vcard .)
echo "cat of the books:           $books_cat_ms ms"
echo "quillmer-cli books --format vcard: $books_ms ms ($(awk -v a="$books_ms" -v b="$books_cat_ms" 'BEGIN {printf "%.2f", a / b}')x)"
