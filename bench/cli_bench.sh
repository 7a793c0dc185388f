#!/usr/bin/env bash
# bench/cli_bench.sh [CLI] [RUNS]: times `quillmer-cli expand` of a
# 100,000-entry list (half of them names, in other letter cases) on a folder
# of 50 address books holding 200,000 records, as a whole process, against
# `cat` of every file it reads (all books and the list), in the same run.
# Goal: at most 2x that cat. The books are written by the project's own
# writer (make_address_book, next to the CLI's build folder) from text
# sources with the engine benchmark's names and addresses, in a temporary
# folder removed afterwards. Uses hyperfine when it is installed, otherwise
# a timing loop of its own.
# Then `books --format vcard` of the same folder, the whole export of all
# 200,000 records, against `cat` of every book.
set -euo pipefail
runs=${2:-10}
. "$(dirname "$0")/cli_setup.sh"
bench_setup cli-bench "${1:-}"

python3 - "$folder" <<'PY'
import random, sys
folder = sys.argv[1]
first = [b"Alexandra", b"Bo", b"Charlotte", b"Dmitri", b"Eve", b"Fran\xe7ois",
         b"Gwendolyn", b"Hu", b"Isabella", b"Jo", b"Konstantin", b"Li"]
last = [b"Smith", b"Featherstonehaugh", b"Ng", b"O'Brien", b"M\x81ller", b"Castellanos",
        b"Wu", b"Abernathy-Jones", b"Kowalski", b"Tan"]
def person(i): return first[i % 12] + b" " + last[(i // 12) % 10] + b" " + str(i).encode()
def address(i): return first[i % 12][:3] + b"." + str(i).encode() + b"@example-mail.org"
books, records, entries = 50, 200000, 100000
for b in range(books):
    lines = [b"title: Book %d" % b]
    lines += [person(r) + b" | " + address(r) + b" | Quillmer Testing Ltd | +64 4 555 0100 | met at the conference"
              for r in range(b, records, books)]
    open(f"{folder}/book{b}.txt", "wb").write(b"\n".join(lines) + b"\n")
rng = random.Random(5)
lines = [b"\\TITLE Everyone"]
for e in range(entries):
    r = rng.randrange(records)
    lines.append(person(r).lower() if e % 2 == 0 else b"friend%d@elsewhere.net" % r)
open(f"{folder}/EVERYONE.PML", "wb").write(b"\r\n".join(lines) + b"\r\n")
PY
for source in "$folder"/book*.txt; do
  "$writer" "$source" "${source%.txt}.PMR"
  rm "$source"
done

cd "$folder"
expand_cmd="$cli expand . Everyone"
# shellcheck disable=SC2046
all_cmd="cat $(echo *.PMR) EVERYONE.PML"
# The expansion must be real before it is timed.
count=$($expand_cmd | tr -cd '\t' | wc -c)
echo "list: $(wc -c < EVERYONE.PML) bytes; expansion: $($expand_cmd | wc -c) bytes, $count names resolved"

books_cmd="$cli books --format vcard ."
echo "vCard export: $($books_cmd | wc -c) bytes, $($books_cmd | grep -c '^BEGIN:VCARD') cards"

if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 2 --runs "$runs" --output=null --export-json "$folder/times.json" \
    "$all_cmd" "$expand_cmd"
  python3 - "$folder/times.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
cat, expand = r[0], r[1]
ratio = expand["mean"] / cat["mean"]
print("cat of every file read: %.1f ms (user %.1f, system %.1f)" % (cat["mean"] * 1e3, cat["user"] * 1e3, cat["system"] * 1e3))
print("quillmer-cli expand:    %.1f ms (user %.1f, system %.1f)" % (expand["mean"] * 1e3, expand["user"] * 1e3, expand["system"] * 1e3))
print("ratio: %.2fx (goal at most 2x)   %s" % (ratio, "met" if ratio <= 2 else "MISSED"))
PY
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
# shellcheck disable=SC2046
all_ms=$(median_ms cat $(echo *.PMR) EVERYONE.PML)
expand_ms=$(median_ms "$cli" expand . Everyone)
ratio=$(awk -v a="$expand_ms" -v b="$all_ms" 'BEGIN {printf "%.2f", a / b}')
echo "cat of every file read:  $all_ms ms (median of $runs)"
echo "quillmer-cli expand:     $expand_ms ms"
echo "ratio: ${ratio}x (goal at most 2x)"
awk -v r="$ratio" 'BEGIN {exit !(r <= 2)}' || echo "over the goal"
# shellcheck disable=SC2046
books_cat_ms=$(median_ms cat $(echo *.PMR))
books_ms=$(median_ms "$cli" books --format vcard .)
echo "cat of the books:        $books_cat_ms ms"
echo "quillmer-cli books --format vcard: $books_ms ms ($(awk -v a="$books_ms" -v b="$books_cat_ms" 'BEGIN {printf "%.2f", a / b}')x)"
