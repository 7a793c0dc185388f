#!/usr/bin/env bash
# The long session under Wine: the driver's --session against QUILLMER.EXE.
#   run_session.sh WINE-RUN DRIVER.EXE QUILLMER.EXE OUTPUT-FOLDER ROUNDS
# The work folder lies in the build tree: Wine's folder picker walks every
# folder above the one it shows, and a shared /tmp can hold folders it
# cannot read.
set -u
wine_run=$1 driver=$2 exe=$3 out=$4 rounds=$5
if [ -z "${DISPLAY:-}" ]; then
  echo "no display: skipped (scripts/test provides one)"
  exit 77
fi
rm -rf "$out"
mkdir -p "$out"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
"$wine_run" "$driver" --session "$(winpath "$exe")" "$(winpath "$out")" "$rounds"
