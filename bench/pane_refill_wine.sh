#!/usr/bin/env bash
# bench/pane_refill_wine.sh [PRESET] [ENTRIES]: the output pane's refills
# under Wine (the end-to-end driver's --bench): for lists of 5,000, 20,000
# and 100,000 entries (or ENTRIES), each in a program of its own, seconds
# for the first double-click, "Strip Names", "Sort List" and a second
# double-click, each with its ratio to the first double-click; every pane
# is compared with the expected bytes. PRESET is win64 (wine64, the
# default) or win32 (the product, under 32-bit Wine; build it and run
# scripts/setup-wine32 first). Runs under scripts/with-display, which ends
# Xvfb and the wineserver afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/wine_setup.sh
wine_bench_setup pane_refill_wine "${1:-win64}"
out=$build/bench-refill
rm -rf "$out"
mkdir -p "$out"
trap 'rm -rf "$out"' EXIT
export QUILLMER_WINE_RUN=$wine_run QUILLMER_DRIVER=$driver QUILLMER_EXE=$exe QUILLMER_OUT=$out
scripts/with-display bash -c '
  winpath() { printf "Z:%s" "${1//\//\\}"; }
  "$QUILLMER_WINE_RUN" "$QUILLMER_DRIVER" --bench "$(winpath "$QUILLMER_EXE")" \
    "$(winpath "$QUILLMER_OUT")" '"${2:-}"'
'
