#!/usr/bin/env bash
# The win64 tree's emulator (scripts/wine-run, which says why) starts Wine
# with the address space laid out without randomization: a program that
# waits, the holder, is started through it and the personality of its
# process read while it holds its file.
# Skipped (status 77) where the machine refuses that personality.
#   wine_layout.sh EMULATOR HOLDER WORK
set -u
emulator=$1 holder=$2 work=$3
fail() { echo "FAIL: $*"; exit 1; }
if ! setarch -R true 2>/dev/null; then
  echo "skip: this machine does not let a process turn randomization off"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"
: >"$work/BOOK.PMR"
cd "$work"
"$emulator" "$holder" BOOK.PMR held release &
pid=$!  # the emulator, setarch and Wine's loader each exec the next
for _ in $(seq 600); do
  [ -e held ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -e held ]; then
  kill "$pid" 2>/dev/null
  fail "the holder did not start"
fi
personality=$(cat "/proc/$pid/personality")
touch release
wait "$pid"
ADDR_NO_RANDOMIZE=0x0040000
((0x$personality & ADDR_NO_RANDOMIZE)) || fail "Wine runs with personality $personality, randomized"
echo "ok   Wine runs with personality $personality, not randomized"
cd / && rm -rf "$work"
