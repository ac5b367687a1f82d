#!/bin/bash
# Runs the Windows build's tests (CTest, under Wine), on a display of their own:
#
#   xvfb-run -a tests/windows/run-windows-tests.sh BUILD-DIR JOBS [CTEST-ARGUMENTS...]
#
# (for instance -R PresetFile or -L e2e to run some of them).
#
# The unit tests share one Wine prefix (see WindowsTests.cmake). Wine starts the prefix's own
# processes (services, device drivers) for the first program that needs them, and they inherit
# that program's standard output, which CTest reads to its end: a test that happened to start them
# was not seen to end until they did, which while other tests kept them busy was never (in CI a
# test that had printed "PASSED" timed out). So the prefix is made here, with its processes' output
# going nowhere, and one Wine server is kept up for the whole run, so that they are started only
# this once. Should a test still hang, it is run once more, and only a second hang fails the run;
# CTest's output shows every time-out.
#
# The display gets a window manager, as a user's has: without one, Wine waits seconds for every
# window it hides (each progress window, each closed box), which made tests that take a second on
# Linux take half a minute here.
set -euo pipefail
build=$1
jobs=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
state=$build/wine-tests

mkdir -p "$state/prefix"
export WINEPREFIX="$state/prefix"

openbox >/dev/null 2>&1 &
window_manager=$!
trap 'wineserver --kill 2>/dev/null || true; kill "$window_manager" 2>/dev/null || true' EXIT
for _ in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

wineserver --persistent >/dev/null 2>&1
# The prefix is made (or brought up to date) alone; its messages are Wine's, not the tests'.
"$here/wine-env.sh" "$state" wineboot --init >/dev/null 2>&1

cd "$build"
ctest -j"$jobs" --output-on-failure --repeat after-timeout:2 "$@"
