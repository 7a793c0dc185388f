#!/usr/bin/env bash
# The end-to-end test: runs the driver under Wine against QUILLMER.EXE and
# takes a screenshot of the display while the window shows an expansion.
#   run_e2e.sh WINE-RUN DRIVER.EXE QUILLMER.EXE OUTPUT-FOLDER DELETING.EXE
set -u
wine_run=$1 driver=$2 exe=$3 out=$4 deleting=$5
. "$(dirname "$0")/needs_display.sh"
rm -rf "$out"
mkdir -p "$out/work" "$out/signals"
# Without a window manager Wine draws the title bar itself only when its
# windows are not "managed"; the screenshot then shows the caption too.
"$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1

"$wine_run" "$driver" "$(winpath "$exe")" "$(winpath "$out/work")" "$(winpath "$out/signals")" \
  "$(winpath "$deleting")" &
driver_pid=$!
for _ in $(seq 600); do
  [ -e "$out/signals/ready" ] && break
  kill -0 "$driver_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -e "$out/signals/ready" ]; then
  import -window root "$out/screenshot.png" && echo "screenshot: $out/screenshot.png"
  touch "$out/signals/shot-done"
fi
wait "$driver_pid"
