# Sourced by the Wine benchmarks, from the top of the tree:
# wine_bench_setup NAME PRESET [PROGRAM] sets build (the preset's build
# folder), wine_run (what runs its programs under Wine), driver (the
# end-to-end driver) and exe (app/QUILLMER.exe, or PROGRAM, both in the
# build folder); it stops with status 2 when the preset is neither win64 nor
# win32 or a program is not built.
wine_bench_setup() {
  local name=$1 preset=$2 f
  build=$PWD/build/$preset
  case $preset in
    win64) wine_run=$PWD/scripts/wine-run ;;
    win32) wine_run=$PWD/scripts/wine32-run ;;
    *) echo "$name: PRESET is win64 or win32" >&2; exit 2 ;;
  esac
  driver=$build/tests/e2e/quillmer_e2e_driver.exe
  exe=$build/${3:-app/QUILLMER.exe}
  for f in "$driver" "$exe"; do
    [ -e "$f" ] || { echo "$name: missing $f (build the $preset preset)" >&2; exit 2; }
  done
}
