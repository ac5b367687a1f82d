#!/bin/bash
# Runs a Windows program under Wine with the Wine prefix and home folder of a test run: STATE/prefix
# and STATE/home, inside the build folder, so no test ever touches the user's own ~/.wine or
# Documents (Wine links the Windows Documents folder to the home folder's).
#
#   wine-env.sh STATE PROGRAM.exe [ARGUMENTS...]
set -eu
state=$1
shift
mkdir -p "$state/home"
export WINEPREFIX="$state/prefix" HOME="$state/home"
# Wine's own diagnostics ("fixme:" lines) would mix with the program's standard error.
export WINEDEBUG="${WINEDEBUG:--all}"
# No "install Mono / Gecko" prompt when the prefix is made: the programs need neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
