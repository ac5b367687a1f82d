#!/bin/bash
# Runs the Windows build's tests (CTest, under Wine), on a display of their own:
#
#   xvfb-run -a tests/windows/run-windows-tests.sh BUILD-DIR JOBS [CTEST-ARGUMENTS...]
#
# (for instance -R PresetFile or -L e2e to run some of them).
#
# The unit tests share one Wine prefix (see WindowsTests.cmake). It is made here, before CTest
# first starts a Windows program to list the tests, and one Wine server is kept up for the whole
# run. Otherwise the first programs race the prefix's first start and the server's start and stop
# between tests: once in CI, a test that had printed its "PASSED" never ended. A test that still
# hangs is run once more, and only if it hangs again does the run fail; the run's output shows
# every hang, so none goes unseen.
set -euo pipefail
build=$1
jobs=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
state=$build/wine-tests

mkdir -p "$state/prefix"
export WINEPREFIX="$state/prefix"
wineserver --persistent
trap 'wineserver --kill 2>/dev/null || true' EXIT
# The prefix is made (or brought up to date) alone; its messages are Wine's, not the tests'.
"$here/wine-env.sh" "$state" wineboot --init >/dev/null 2>&1

cd "$build"
ctest -j"$jobs" --output-on-failure --repeat after-timeout:2 "$@"
