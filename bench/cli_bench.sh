#!/usr/bin/env bash
# bench/cli_bench.sh [CLI] [RUNS]: `quillmer-cli` as a whole process against
# `cat` of every file it reads, in the same run, on two folder shapes:
#
#   first   50 address books holding 200,000 records, a 100,000-entry list,
#           half of its entries names (in other letter cases than the books)
#   second  40 address books holding 240,000 records, a 120,000-entry list,
#           two thirds of its entries names
#
# Figures, each printed with its goal and MET or MISSED:
#   expand, first shape     `expand` / cat of all books and the list   at most 2x
#   expand, second shape    the same                                   at most 2x
#   books --format vcard    the export of the first shape's 200,000
#                           records / cat of all books                 at most 5x
#
# and on the second shape, the exports:
#   books --format F        csv, vcard, ldif / cat of all books        at most 5x
#   export --to T           / books in the same format: thunderbird
#                           and ldap / ldif, vcard4 and apple / vcard,
#                           google and outlook / csv, mutt (an alias
#                           file, no books format) / csv                at most 1.5x
#   peak memory             the largest resident size of export --to T
#                           / the books' total size                    below 1x
#   books read              how often export --to T opens each book
#                           (strace)                                    once
#
# The books are written by the project's own writer (make_address_book,
# next to the CLI's build folder) from text sources with the engine
# benchmark's names and addresses, in a temporary folder removed afterwards
# (kept when QUILLMER_KEEP_BENCH is set). Uses hyperfine when it is
# installed, otherwise a timing loop of its own (median of RUNS).
set -euo pipefail
runs=${2:-10}
[ "$runs" -ge 5 ] || runs=5
. "$(dirname "$0")/cli_setup.sh"
bench_setup cli-bench "${1:-}"

first=$folder/first
second=$folder/second
make_shape "$first" 50 200000 100000 1 2
make_shape "$second" 40 240000 120000 2 3

# describe DIR: what the expansion and the export give, so that what is
# timed is known to be real work.
describe() {
  local dir=$1
  echo "$(basename "$dir") shape: $(find "$dir" -name "*.PMR" | wc -l) books, list $(wc -c < "$dir/EVERYONE.PML") bytes;" \
    "expansion $("$cli" expand "$dir" Everyone | wc -c) bytes," \
    "$("$cli" expand "$dir" Everyone | tr -cd '\t' | wc -c) names resolved"
}
describe "$first"
describe "$second"
echo "vCard export: $("$cli" books --format vcard "$first" 2>/dev/null | wc -c) bytes," \
  "$("$cli" books --format vcard "$first" 2>/dev/null | grep -c '^BEGIN:VCARD') cards"

# verdict LABEL MS BASE_MS GOAL: one figure with its goal.
verdict() {
  awk -v label="$1" -v a="$2" -v b="$3" -v goal="$4" 'BEGIN {
    r = a / b
    printf "%-34s %8.1f ms / %6.1f ms = %5.2fx (goal at most %gx)   %s\n",
      label, a, b, r, goal, (r <= goal ? "MET" : "MISSED") }'
}

# time_pair BASELINE COMMAND: prints the two median wall times in
# milliseconds, output discarded.
time_pair() {
  if command -v hyperfine >/dev/null; then
    hyperfine -N --warmup 2 --runs "$runs" --output=null --export-json "$folder/times.json" \
      "$1" "$2" >&2
    python3 - "$folder/times.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
print("%.3f %.3f" % (r[0]["median"] * 1e3, r[1]["median"] * 1e3))
PY
    return
  fi
  local command times start end
  for command in "$1" "$2"; do
    times=()
    $command >/dev/null
    for _ in $(seq "$runs"); do
      start=$(date +%s%N)
      $command >/dev/null
      end=$(date +%s%N)
      times+=($(((end - start) / 1000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.3f ", a[int((NR+1)/2)]/1000}'
  done
  echo
}

figures=()
for dir in "$first" "$second"; do
  # shellcheck disable=SC2046
  read -r cat_ms expand_ms < <(time_pair "cat $(echo "$dir"/*.PMR) $dir/EVERYONE.PML" \
    "$cli expand $dir Everyone")
  figures+=("$(verdict "expand, $(basename "$dir") shape:" "$expand_ms" "$cat_ms" 2)")
done
# shellcheck disable=SC2046
read -r cat_ms books_ms < <(time_pair "cat $(echo "$first"/*.PMR)" "$cli books --format vcard $first")
figures+=("$(verdict "books --format vcard, first shape:" "$books_ms" "$cat_ms" 5)")

# The exports of the second shape: each books format against cat, each
# target against books in its format, the peak memory of each target
# against the books' size, and how often each book is opened.
books_bytes=$(cat "$second"/*.PMR | wc -c)
book_count=$(find "$second" -name "*.PMR" | wc -l)
# shellcheck disable=SC2046
cat_books="cat $(echo "$second"/*.PMR)"
for format in csv vcard ldif; do
  read -r cat_ms format_ms < <(time_pair "$cat_books" "$cli books --format $format $second")
  figures+=("$(verdict "books --format $format, second shape:" "$format_ms" "$cat_ms" 5)")
done

# peak_kb COMMAND...: the largest resident size of COMMAND, in KB.
peak_kb() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
PY
}

# opened_once COMMAND...: MET when COMMAND opens each book of the second
# shape exactly once.
opened_once() {
  command -v strace >/dev/null || { echo "not measured (no strace)"; return; }
  local counts
  counts=$(strace -f -e trace=openat,open -o "$folder/opens" "$@" >/dev/null 2>&1 &&
    grep -o '[^/]*\.PMR"' "$folder/opens" | sort | uniq -c | awk '{print $1}' | sort -u | tr '\n' ' ')
  local books
  books=$(grep -o '[^/]*\.PMR"' "$folder/opens" | sort -u | wc -l)
  if [ "$counts" = "1 " ] && [ "$books" -eq "$book_count" ]; then
    echo "each of $books books opened once   MET"
  else
    echo "$books of $book_count books opened, counts: $counts  MISSED"
  fi
}

for target in thunderbird ldap vcard4 apple google outlook mutt; do
  case $target in
    thunderbird | ldap) format=ldif ;;
    vcard4 | apple) format=vcard ;;
    *) format=csv ;;
  esac
  base=""
  [ "$target" = ldap ] && base="--base dc=example,dc=org"
  # shellcheck disable=SC2086
  read -r format_ms export_ms < <(time_pair "$cli books --format $format $second" \
    "$cli export --to $target $base $second")
  figures+=("$(verdict "export --to $target / $format:" "$export_ms" "$format_ms" 1.5)")
  # shellcheck disable=SC2086
  peak=$(peak_kb "$cli" export --to "$target" $base "$second")
  figures+=("$(awk -v label="peak memory, export --to $target:" -v kb="$peak" -v b="$books_bytes" 'BEGIN {
    r = kb * 1024 / b
    printf "%-34s %8.1f MB / %6.1f MB = %5.2fx (goal below 1x)         %s\n",
      label, kb / 1024, b / 1048576, r, (r < 1 ? "MET" : "MISSED") }')")
  # shellcheck disable=SC2086
  figures+=("$(printf '%-34s %s' "books read, export --to $target:" \
    "$(opened_once "$cli" export --to "$target" $base "$second")")")
done

echo
echo "quillmer-cli against cat of every file it reads (same run):"
printf '%s\n' "${figures[@]}"
