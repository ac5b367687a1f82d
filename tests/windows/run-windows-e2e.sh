#!/bin/bash
# End-to-end tests of the Windows build under Wine, on an X server of the script's own with
# openbox. Each scenario makes a Wine prefix and a home folder of its own in its work folder
# (e2e-<scenario> in the current folder), so nothing touches the user's ~/.wine or Documents.
#
#   run-windows-e2e.sh <Windows build folder> <Linux tonarel> <scenario>
#
# Scenarios:
#   demo-save-all-load-all  the demo's "Save All >>" writes the 99 files the Linux build writes,
#                           byte for byte; "<< Load All" sends all 99 back, each with success
#                           in the transfer log, and leaves the files as they were
#   command-line            tonarel.exe --demo backup writes the same 99 files; its exit codes
#                           for success, bad arguments and no device are the Linux program's
#   installer               the installer installs silently, the installed demo starts, and the
#                           silent uninstall leaves nothing but the user's own files
#
# The Linux reference is the Linux build's `tonarel --demo backup`: the demo's Save All and that
# command run the same read job on the same simulated device with the same built-in presets, so
# a Save All writes the same bytes (the Linux end-to-end tests hold the demo to the presets).
set -euo pipefail

[ $# -eq 3 ] || { echo "usage: $0 <Windows build folder> <Linux tonarel> <scenario>" >&2; exit 2; }
windows_build=$(realpath "$1")
linux_tonarel=$(realpath "$2")
scenario=$3
here=$(cd "$(dirname "$0")" && pwd)

work=$PWD/e2e-$scenario
rm -rf "$work"
mkdir -p "$work/home/Documents"
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset XAUTHORITY

xvfb_pid="" wm_pid="" demo_pid="" main_window=""
limit=120 # seconds, for anything but a whole Save All; Wine starts slowly on a busy machine
readonly screen_width=1280 screen_height=900

log() { echo "[$(date +%T)] $*"; }

screenshot() { import -silent -window root "$1" 2>/dev/null || true; }

fail()
{
    echo "FAIL ($scenario): $*" >&2
    [ -z "$xvfb_pid" ] || { screenshot "$work/failure.png"; echo "screenshot: $work/failure.png" >&2; }
    [ ! -s "$work/demo.log" ] || { echo "--- demo output:" >&2; cat "$work/demo.log" >&2; }
    exit 1
}

cleanup()
{
    local status=$?
    trap - EXIT
    [ -z "$demo_pid" ] || kill "$demo_pid" 2>/dev/null || true
    # Every Windows process of this prefix, then the X server and the window manager.
    wineserver -k 2>/dev/null || true
    local pid
    for pid in $wm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    exit "$status"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds, or fails the scenario.
wait_for()
{
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ -z "$demo_pid" ] || kill -0 "$demo_pid" 2>/dev/null || fail "the demo ended while waiting for $what"
        [ "$SECONDS" -lt "$deadline" ] || fail "no $what after ${seconds}s"
        sleep 0.2
    done
}

wait_until()
{
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

#==============================================================================
# The X server, Wine and the demo.

start_x()
{
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_for 30 "X server" grep -q '[0-9]' "$work/display"
    DISPLAY=:$(tr -d '[:space:]' <"$work/display")
    export DISPLAY
    openbox >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wait_for 30 "window manager" window_manager_runs
}

window_manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# The prefix is made before anything is timed: on a busy machine that alone takes a while.
make_prefix()
{
    wineboot --init >"$work/wineboot.log" 2>&1 || fail "wineboot failed: $(tail -3 "$work/wineboot.log")"
    wineserver -w
}

# The Windows Documents folder of the prefix, wherever Wine placed it for this user.
documents_folder()
{
    local folder
    folder=$(find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -name Documents | grep -v /Public/ | head -1)
    [ -n "$folder" ] || fail "the prefix has no Documents folder"
    realpath "$folder"
}

start_demo()
{
    wine "$1" --brief-pauses >"$work/demo.log" 2>&1 &
    demo_pid=$!
    wait_for "$limit" "main window" find_main_window
    wait_for "$limit" "main window placed" main_window_placed
    # The panel fills the window below its menu bar; positions are the panel's own layout, as in
    # the Linux end-to-end tests.
    panel_x=$X
    panel_y=$((Y + 24))
    button_x=$((panel_x + WIDTH / 2 - 20))
    device_probe=$((panel_x + 283))
    log "demo on $DISPLAY, window ${WIDTH}x${HEIGHT}+$X+$Y"
}

find_main_window()
{
    main_window=$(xdotool search --onlyvisible --name '^Tonarel Librarian - v' 2>/dev/null | head -1)
    [ -n "$main_window" ]
}

main_window_placed()
{
    local geometry
    geometry=$(xwininfo -id "$main_window" 2>/dev/null) || { find_main_window; return 1; }
    X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$geometry")
    Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$geometry")
    WIDTH=$(sed -n 's/^ *Width: *//p' <<<"$geometry")
    HEIGHT=$(sed -n 's/^ *Height: *//p' <<<"$geometry")
    [ "$X" -gt 0 ] && [ "$Y" -gt 0 ]
}

# Ends the demo through the close button of its window's frame, which the window manager draws
# for Wine's windows, and expects a clean exit. (JUCE's pop-up menus under Wine are windows
# without the name the Linux tests find them by.)
quit_demo()
{
    local deadline=$((SECONDS + limit))
    while ! demo_has_ended; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the demo did not close"
        xdotool mousemove $((X + WIDTH - 10)) $((Y - 11)) click 1
        wait_until 10 demo_has_ended || true
    done
    local status=0
    wait "$demo_pid" || status=$?
    demo_pid=""
    [ "$status" -eq 0 ] || fail "the demo exited with status $status"
}

demo_has_ended() { ! kill -0 "$demo_pid" 2>/dev/null; }
no_progress_window() { ! xdotool search --onlyvisible --name '^Tonarel Librarian$' >/dev/null 2>&1; }

pixel()
{
    import -silent -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1
}
row_selected() { [ "$(pixel "$device_probe" $((panel_y + 188 + 22 * $1)))" = "#ADD8E6" ]; }

# click_until X Y WHAT COMMAND...: a click while the start-up read holds the window is lost, so it
# is repeated until COMMAND tells it was taken.
click_until()
{
    local x=$1 y=$2 what=$3 deadline=$((SECONDS + limit))
    shift 3
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$what did not lead to: $*"
        xdotool mousemove "$x" "$y" click 1
        wait_until 3 "$@" && return 0
    done
}

#==============================================================================
# Files.

file_count() { find "$1" -maxdepth 1 -type f 2>/dev/null | wc -l; }
has_files() { [ "$(file_count "$1")" -ge "$2" ]; }

# same_files A B: the two folders hold the same file names with the same bytes.
same_files()
{
    diff <(cd "$1" && ls) <(cd "$2" && ls) >&2 || fail "$1 and $2 hold different files"
    local file
    for file in "$1"/*; do
        cmp "$file" "$2/$(basename "$file")" >&2 || fail "$(basename "$file") differs from the Linux build's"
    done
}

make_reference()
{
    "$linux_tonarel" --demo backup "$work/linux-backup" >"$work/linux-backup.log" 2>&1 ||
        fail "the Linux reference backup failed: $(cat "$work/linux-backup.log")"
    [ "$(file_count "$work/linux-backup")" -eq 99 ] || fail "the Linux reference holds no 99 files"
}

#==============================================================================
# Scenarios.

scenario_demo_save_all_load_all()
{
    make_reference
    start_x
    make_prefix
    start_demo "$windows_build/TonarelUtilDemo.exe"
    local preset_folder
    preset_folder="$(documents_folder)/Tonarel Librarian Files (Demo)/Set 1"
    wait_for "$limit" "preset folder" test -d "$preset_folder"
    screenshot "$work/window.png"

    save_all "$preset_folder"
    same_files "$preset_folder" "$work/linux-backup"
    log "Save All wrote the Linux build's 99 files"

    click_until "$button_x" $((panel_y + 330 + 15)) "<< Load All" find_question_box
    xdotool key Return # "OK to overwrite ALL presets?"
    local log_file="$preset_folder/../tonarel.log"
    wait_for 300 "the Load job in the log" grep -qP '\tLoad\tjob\t' "$log_file"
    # The load's closing notice offers "Undo"; Escape is "Ok".
    wait_for "$limit" "end of the Load job" no_progress_window
    wait_for "$limit" "the load's notice" find_question_box
    xdotool key Escape
    wait_for "$limit" "closing of the load's notice" no_question_box
    wait_for "$limit" "end of the read-back" no_progress_window
    [ "$(grep -cP '\tLoad\tsend\t.*\tdone\t' "$log_file")" -eq 99 ] ||
        fail "Load All did not send 99 presets: $(grep -P '\tLoad\t' "$log_file" | tail -3)"
    log "Load All sent the 99 files"

    # Reading the files back for the load leaves them as they were.
    same_files "$preset_folder" "$work/linux-backup"
    quit_demo
}

save_all()
{
    click_until "$button_x" $((panel_y + 192 + 15)) "Save All >>" row_selected 14
    wait_for 400 "99 preset files" has_files "$1" 99
    wait_for "$limit" "end of the Save All job" no_progress_window
    [ "$(file_count "$1")" -eq 99 ] || fail "$(file_count "$1") files, not 99"
}

# The program's question boxes are its only visible windows without a title but its tooltips.
no_question_box() { ! find_question_box; }

find_question_box()
{
    local window
    for window in $(xdotool search --onlyvisible --class 'tonarelutildemo' 2>/dev/null); do
        [ -z "$(xdotool getwindowname "$window" 2>/dev/null)" ] || continue
        eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null | grep '^HEIGHT=')"
        [ "${HEIGHT:-0}" -gt 60 ] && return 0
    done
    return 1
}

scenario_command_line()
{
    make_reference
    make_prefix
    local status=0
    wine "$windows_build/tonarel.exe" --demo backup "$work/windows-backup" >"$work/backup.log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || fail "tonarel.exe --demo backup exited with $status: $(cat "$work/backup.log")"
    same_files "$work/windows-backup" "$work/linux-backup"
    log "tonarel.exe --demo backup wrote the Linux build's 99 files"

    expect_same_status 0 --demo list
    expect_same_status 2 --demo backup
    expect_same_status 2 --frobnicate
    # Wine has no MIDI ports without a sequencer; the Linux run has none under the test's HOME
    # either, so both find no Tonarel.
    expect_same_status 3 list
}

# expect_same_status STATUS ARGUMENTS...: tonarel.exe and the Linux tonarel both exit with STATUS.
expect_same_status()
{
    local expected=$1 windows=0 linux=0
    shift
    wine "$windows_build/tonarel.exe" "$@" >"$work/windows.out" 2>&1 || windows=$?
    "$linux_tonarel" "$@" >"$work/linux.out" 2>&1 || linux=$?
    [ "$windows" -eq "$expected" ] && [ "$linux" -eq "$expected" ] ||
        fail "tonarel $*: Windows $windows, Linux $linux, expected $expected: $(cat "$work/windows.out")"
    log "tonarel $*: exit status $expected on both"
}

scenario_installer()
{
    local installer
    installer=$(find "$windows_build" -maxdepth 1 -name 'TonarelUtil-*-win64.exe' | head -1)
    [ -n "$installer" ] || fail "no installer in $windows_build"
    start_x
    make_prefix
    find "$WINEPREFIX/drive_c" | sort >"$work/before.txt"

    wine "$installer" /S
    wineserver -w
    local folder="$WINEPREFIX/drive_c/Program Files/TonarelUtil"
    local file
    for file in TonarelUtil.exe TonarelUtilDemo.exe tonarel.exe PresetLibrarianHelp.htm \
        PresetLibrarianHelp.pdf LICENSE.txt Uninstall.exe; do
        [ -f "$folder/$file" ] || fail "the installer put no $file into $folder"
    done
    start_menu_entries | grep -q '/TonarelUtil\.lnk$' || fail "no Start-menu entry for the librarian"
    start_menu_entries | grep -q '/TonarelUtil Demo\.lnk$' || fail "no Start-menu entry for the demo"
    registry_key_exists || fail "the installer registered no uninstaller"
    log "installed: $(ls "$folder" | tr '\n' ' ')"

    start_demo "$folder/TonarelUtilDemo.exe"
    screenshot "$work/installed-demo.png"
    quit_demo

    wine "$folder/Uninstall.exe" /S
    wineserver -w
    [ ! -e "$folder" ] || fail "the uninstaller left $(find "$folder")"
    ! registry_key_exists || fail "the uninstaller left its registry entry"
    find "$WINEPREFIX/drive_c" | sort >"$work/after.txt"
    leftovers >"$work/leftovers.txt"
    [ ! -s "$work/leftovers.txt" ] || fail "left behind: $(cat "$work/leftovers.txt")"
    log "uninstalled; what the demo wrote in Documents stays"
}

registry_key_exists()
{
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TonarelUtil' >/dev/null 2>&1
}

start_menu_entries() { find "$WINEPREFIX/drive_c" -path '*Start Menu*' -name '*.lnk'; }

# What is in the prefix after the uninstall and was not before: only the user's own files in
# Documents may be. The uninstaller copies itself to the temporary folder to be able to delete
# the install folder, and Windows removes that copy at the next start; Wine's own bookkeeping
# of fonts and registry lives under windows\.
leftovers()
{
    comm -13 "$work/before.txt" "$work/after.txt" |
        grep -v -e '/Documents/Tonarel Librarian Files' -e '/Temp/~nsu' -e '/drive_c/windows/' || true
}

case "$scenario" in
    demo-save-all-load-all) scenario_demo_save_all_load_all ;;
    command-line) scenario_command_line ;;
    installer) scenario_installer ;;
    *) echo "unknown scenario: $scenario" >&2; exit 2 ;;
esac
log "passed: $scenario"
