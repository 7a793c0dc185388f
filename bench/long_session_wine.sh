#!/usr/bin/env bash
# bench/long_session_wine.sh [ROUNDS] [PRESET] [deleting]: a long session of the window
# under Wine (the end-to-end driver's --session): ROUNDS rounds (300 unless
# given) of a double-click on a 2,000-entry list, "Strip Names" and "Sort
# List", every 30th round a change of folder through "&Browse" and back; it
# prints the working set (and private bytes and USER/GDI objects, which
# Wine reports as 0) after round 30 and after the last round, and fails when
# one grew by more than 5% (objects: by more than 10). PRESET is win64
# (wine64, the default) or win32 (the product, under 32-bit Wine; build it
# and run scripts/setup-wine32 first). Runs under scripts/with-display, which
# ends Xvfb and the wineserver afterwards. The test run (ctest) runs 45
# rounds. With "deleting" it drives QUILLDEL.EXE, the test build that always
# empties the pane by deleting its text (the way taken on Windows and on
# Wine releases other than 8.0), instead of QUILLMER.EXE.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-300}
. bench/wine_setup.sh
program=app/QUILLMER.exe
[ "${3:-}" = deleting ] && program=tests/e2e/QUILLDEL.exe
wine_bench_setup long_session_wine "${2:-win64}" "$program"
out=$build/bench-session
trap 'rm -rf "$out"' EXIT
scripts/with-display bash tests/e2e/run_session.sh "$wine_run" "$driver" "$exe" "$out" "$rounds"
