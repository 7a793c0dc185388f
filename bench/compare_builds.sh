#!/usr/bin/env bash
# bench/compare_builds.sh OLD_BUILD NEW_BUILD [ROUNDS]: whether a change
# slowed the engine or `quillmer-cli expand` down. OLD_BUILD and NEW_BUILD
# are two native build folders (build/native of two checkouts); each holds
# bench/quillmer_bench, cli/quillmer-cli and tools/make_address_book.
#
# In ROUNDS rounds (default 3), old and new in turn within each round so
# that both meet the same machine: every quillmer_bench figure (the median
# of 5 repetitions, real time) and `expand` on the two folder shapes of
# bench/cli_bench.sh (hyperfine, median of 10 runs). Prints, per figure,
# the median over the rounds of old and new, new / old, and MET where new
# is at most 10% slower (goal at most 1.10x).
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: bench/compare_builds.sh OLD_BUILD NEW_BUILD [ROUNDS]" >&2; exit 2; }
old=$(cd "$1" && pwd)
new=$(cd "$2" && pwd)
rounds=${3:-3}
command -v hyperfine >/dev/null || { echo "compare_builds: hyperfine is not installed" >&2; exit 2; }
for build in "$old" "$new"; do
  [ -x "$build/bench/quillmer_bench" ] || { echo "compare_builds: no $build/bench/quillmer_bench" >&2; exit 2; }
done
. "$(dirname "$0")/cli_setup.sh"
bench_setup compare-builds "$new/cli/quillmer-cli"
make_shape "$folder/first" 50 200000 100000 1 2
make_shape "$folder/second" 40 240000 120000 2 3

# figures SIDE BUILD ROUND: one line "NAME MILLISECONDS" per figure of
# BUILD into $folder/SIDE.ROUND.
figures() {
  local side=$1 build=$2 round=$3 out="$folder/$1.$3"
  "$build/bench/quillmer_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$folder/bench.json" --benchmark_out_format=json >/dev/null 2>&1
  python3 -c '
import json, sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        print(b["run_name"], b["real_time"] * scale)
' "$folder/bench.json" >"$out"
  local shape
  for shape in first second; do
    hyperfine -N --warmup 2 --runs 10 --output=null --export-json "$folder/expand.json" \
      "$build/cli/quillmer-cli expand $folder/$shape Everyone" >/dev/null 2>&1
    python3 -c '
import json, sys
print("expand_" + sys.argv[2] + "_shape", json.load(open(sys.argv[1]))["results"][0]["median"] * 1e3)
' "$folder/expand.json" "$shape" >>"$out"
  done
}

for round in $(seq "$rounds"); do
  figures old "$old" "$round"
  figures new "$new" "$round"
done

python3 - "$folder" "$rounds" <<'PY'
import statistics, sys
folder, rounds = sys.argv[1], int(sys.argv[2])
def read(side):
    runs = {}
    for r in range(1, rounds + 1):
        for line in open(f"{folder}/{side}.{r}"):
            name, ms = line.split()
            runs.setdefault(name, []).append(float(ms))
    return {name: statistics.median(v) for name, v in runs.items()}
old, new = read("old"), read("new")
print(f"median of {rounds} rounds, old and new in turn in each:")
for name in old:
    if name not in new:
        continue
    r = new[name] / old[name]
    print(f"{name:42} {old[name]:9.2f} ms -> {new[name]:9.2f} ms = {r:5.2f}x "
          f"(goal at most 1.10x)   {'MET' if r <= 1.10 else 'MISSED'}")
PY
