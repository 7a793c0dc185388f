#!/usr/bin/env bash
# The long session under Wine: the driver's --session against QUILLMER.EXE.
#   run_session.sh WINE-RUN DRIVER.EXE QUILLMER.EXE OUTPUT-FOLDER ROUNDS
# The work folder lies in the build tree: Wine's folder picker walks every
# folder above the one it shows, and a shared /tmp can hold folders it
# cannot read.
set -u
wine_run=$1 driver=$2 exe=$3 out=$4 rounds=$5
. "$(dirname "$0")/needs_display.sh"
rm -rf "$out"
mkdir -p "$out"
"$wine_run" "$driver" --session "$(winpath "$exe")" "$(winpath "$out")" "$rounds"
