#!/bin/bash
# End-to-end tests of the librarian as a user meets it: the demo (the librarian over the
# simulated device) runs on an X server of its own under a temporary HOME, is driven with
# mouse clicks and keys through xdotool, and what lands on disk and on screen is checked.
# The librarian itself (TonarelUtil, beside the demo) is driven where it matters without a
# device: leaving it at start, and starting it twice.
#
#   run-e2e.sh <TonarelUtilDemo> <source folder> <scenario>
#
# Scenarios: first-start-save-all, load-to (and saving the loaded slots back), rescan-delete,
# copy-then-load-to, help-without-opener, killed-save, exit-at-start, single-instance,
# drag-and-drop (files onto slots, slots onto the computer list, and a file from outside, for
# which TONAREL_DRAG_SOURCE names the test's stand-in for a file manager), about-and-log (the
# About box and the transfer log's window, under a window manager, with screenshots),
# close-during-transfer (the window's close button while a Save All runs, under a window manager),
# drop-leaves-no-ghost (the panel where a dropped job's progress window stood, after the job),
# filter-and-compare (typing in both lists, a save of a slot the filter shows, and "Compare with
# Slot…" of a file into the comparison window, under a window manager, with screenshots),
# load-all-by-number ("<< Load All" of a saved set with one file removed, checked through the
# transfer log; the demo's title, window class and folder of its own), first-right-click (the
# first right-click on a file after start opens the menu), arrange-slots (a slot dragged within
# the device list moves its preset there), hidpi (the window at two pixels per point: its size,
# and its captions as sharp as at one, measured in screenshots), keyboard (Tab round the panel,
# Return in the device list and a load by Ctrl+L, under a window manager, with a screenshot),
# undo-after-load-to (Functions > "Undo Last Load" after a "< Load To", under a window manager),
# rename-file ("Rename…" on a file, under a window manager).
# Each starts the demo afresh, so the simulated device holds the demo presets again, and ends
# it through its own Quit menu.
# The work folder (HOME, logs, a screenshot on failure) is e2e-<scenario> in the current folder.
#
# The window is found by its title and everything in it is placed from the window's position
# and the panel's layout. Nothing waits a fixed time for the program: every step waits for
# what a user would see (a window, a highlighted row, a file) with a generous limit, because
# the machine may be busy.
set -euo pipefail

[ $# -eq 3 ] || { echo "usage: $0 <TonarelUtilDemo> <source folder> <scenario>" >&2; exit 2; }
demo=$(realpath "$1")
librarian=$(dirname "$demo")/TonarelUtil
source_dir=$(realpath "$2")
scenario=$3

work=$PWD/e2e-$scenario
rm -rf "$work"
mkdir -p "$work/home"
export HOME=$work/home
unset XAUTHORITY

documents=$HOME/Documents
# The demo keeps its files apart from the librarian's, in a folder of its own beside them.
app_folder="$documents/Tonarel Librarian Files (Demo)"
librarian_folder="$documents/Tonarel Librarian Files"
preset_folder="$app_folder/Set 1"
# The windows' class: the librarian's, or the demo's.
readonly program_class='^TonarelUtil(Demo)?$'

xvfb_pid="" wm_pid="" demo_pid="" other_pids="" main_window=""
limit=60 # seconds, for anything but a whole Save All
readonly screen_width=1280 screen_height=900

log() { echo "[$(date +%T)] $*"; }

screenshot() { import -silent -window root "$1" 2>/dev/null || true; }

fail()
{
    echo "FAIL ($scenario): $*" >&2
    if [ -n "$xvfb_pid" ]; then
        screenshot "$work/failure.png"
        echo "screenshot: $work/failure.png" >&2
    fi
    [ -s "$work/demo.log" ] && { echo "--- demo output:" >&2; cat "$work/demo.log" >&2; }
    describe_program >&2
    exit 1
}

# What a failure report needs to tell a hang from a lost click: the windows on screen and, where
# gdb is there, where the demo's threads are.
describe_program()
{
    [ -n "$xvfb_pid" ] || return 0
    echo "--- visible windows:"
    local window
    for window in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        echo "$window '$(xdotool getwindowname "$window" 2>/dev/null)'" \
            "$(xdotool getwindowgeometry "$window" 2>/dev/null | tr -s '\n ' ' ')"
    done
    if [ -n "$demo_pid" ] && kill -0 "$demo_pid" 2>/dev/null && command -v gdb >/dev/null; then
        echo "--- the demo's threads:"
        gdb -batch -p "$demo_pid" -ex 'thread apply all bt 12' 2>/dev/null | grep -E '^(Thread|#)' | head -120
    fi
}

cleanup()
{
    local status=$?
    trap - EXIT
    if [ "$status" -ne 0 ] && [ -n "$xvfb_pid" ] && [ ! -e "$work/failure.png" ]; then
        screenshot "$work/failure.png"
    fi
    local pid
    for pid in $demo_pid $other_pids $wm_pid; do
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    exit "$status"
}
trap cleanup EXIT
# A test runner that gives up on the script stops it with a signal: the demo and the X server
# go with it.
trap 'exit 143' TERM
trap 'exit 130' INT

# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds; fails the scenario when it
# has not within SECONDS or when the demo is gone.
wait_for()
{
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ -z "$demo_pid" ] || kill -0 "$demo_pid" 2>/dev/null || fail "the demo ended while waiting for $what"
        [ "$SECONDS" -lt "$deadline" ] || fail "no $what after ${seconds}s"
        sleep 0.1
    done
}

#==============================================================================
# The X server and the demo.

# start_x [wm]: the X server, and with wm a window manager, for what only one does (which
# window is in front).
start_x()
{
    # -displayfd picks a free display itself (ctest may run under xvfb-run's own) and reports
    # it once the server takes connections. The screen is large enough for the whole window.
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_for 30 "X server" grep -q '[0-9]' "$work/display"
    DISPLAY=:$(tr -d '[:space:]' <"$work/display")
    export DISPLAY

    if [ "${1:-}" = wm ]; then
        openbox >"$work/openbox.log" 2>&1 &
        wm_pid=$!
        wait_for 30 "window manager" window_manager_runs
    fi
}

window_manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# start_demo [PATH]: the demo, with PATH as its search path when given. The simulated device
# needs no pauses, and no scenario here is about them.
start_demo()
{
    [ -n "$xvfb_pid" ] || start_x

    if [ $# -gt 0 ]; then
        PATH=$1 "$demo" --brief-pauses >"$work/demo.log" 2>&1 &
    else
        "$demo" --brief-pauses >"$work/demo.log" 2>&1 &
    fi
    demo_pid=$!

    wait_for "$limit" "main window" find_main_window
    # The window may be mapped at the corner of the screen before it is centred; every position
    # below is taken from where it finally stands.
    wait_for "$limit" "main window centred" main_window_centred
    # The panel fills the window below its menu bar; the positions below are the panel's own
    # layout (the transfer buttons in the middle column, the two tables below the captions).
    panel_x=$X
    panel_y=$((Y + 24))
    half=$((WIDTH / 2))
    help_x=$((panel_x + WIDTH - 67)) # the "Help" button, at the right end of the band above the captions
    button_x=$((panel_x + half - 20))
    device_x=$((panel_x + 78))  # inside the "Preset Number" column
    device_probe=$((panel_x + 283)) # row background right of the columns
    local_x=$((panel_x + half + 102))
    local_probe=$((panel_x + half + 342))
    log "demo on $DISPLAY, window ${WIDTH}x${HEIGHT}+$X+$Y"
}

main_window_centred()
{
    local geometry
    # The window found first can be gone a moment later when the window is set up again (seen
    # on a loaded machine): then it is looked for anew.
    if ! geometry=$(xdotool getwindowgeometry --shell "$main_window" 2>/dev/null); then
        find_main_window
        return 1
    fi
    eval "$geometry"
    # A window manager centres the frame, with the window inside it; there the window's own
    # place on the screen is what counts, which xdotool misreports inside a frame.
    if [ -n "$wm_pid" ]; then
        X=$(xwininfo -id "$main_window" | sed -n 's/^ *Absolute upper-left X: *//p')
        Y=$(xwininfo -id "$main_window" | sed -n 's/^ *Absolute upper-left Y: *//p')
        return 0
    fi
    [ $((2 * X + WIDTH)) -eq "$screen_width" ] && [ $((2 * Y + HEIGHT)) -eq "$screen_height" ]
}

find_main_window()
{
    main_window=$(xdotool search --onlyvisible --name '^Tonarel Librarian - v' 2>/dev/null | head -1)
    [ -n "$main_window" ]
}

# Ends the demo as a user does, through Functions > Quit, and expects it to go cleanly.
quit_demo()
{
    xdotool mousemove $((panel_x + 45)) $((panel_y - 12)) click 1
    choose_last_menu_item # "Quit"
    wait_for "$limit" "end of the demo" demo_has_ended
    local status=0
    wait "$demo_pid" || status=$?
    demo_pid=""
    [ "$status" -eq 0 ] || fail "the demo exited with status $status"
}

demo_has_ended() { ! kill -0 "$demo_pid" 2>/dev/null; }

#==============================================================================
# Windows and what is on screen.

visible_window()
{
    found_window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$found_window" ]
}

no_visible_window() { ! visible_window "$1"; }

# The program's question boxes carry no title: they are its only visible windows without a name
# but its tooltips, which a resting pointer may raise and which are a line of text high.
find_question_box()
{
    local window HEIGHT
    question_box=""
    for window in $(xdotool search --onlyvisible --class "$program_class" 2>/dev/null); do
        [ -z "$(xdotool getwindowname "$window" 2>/dev/null)" ] || continue
        eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null | grep '^HEIGHT=')"
        if [ "${HEIGHT:-0}" -gt 60 ]; then
            question_box=$window
            return 0
        fi
    done
    return 1
}

question_box_has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$question_box" ]; }
main_window_has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$main_window" ]; }
no_progress_window() { ! visible_window '^Tonarel Librarian$'; }

# answer_question click DX DY | key KEY: waits for a question box to take the keyboard, answers
# it with a click at DX from its centre and DY from its bottom, or a key, and waits for that box
# to go: the job's next question may already stand in its place.
answer_question()
{
    wait_for "$limit" "question box" find_question_box
    wait_for "$limit" "keyboard focus in the question box" question_box_has_focus
    local answered=$question_box
    eval "$(xdotool getwindowgeometry --shell "$answered")"
    if [ "$1" = click ]; then
        xdotool mousemove $((X + WIDTH / 2 + $2)) $((Y + HEIGHT - $3)) click 1
    else
        xdotool key "$2"
    fi
    wait_for "$limit" "closing of the question box" window_gone "$answered"
}

window_gone() { ! xdotool search --onlyvisible --class "$program_class" 2>/dev/null | grep -qx "$1"; }

pixel()
{
    import -silent -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1
}

readonly selected_colour="#ADD8E6" striped_colour="#DFE1E6" plain_colour="#FFFFFF"

row_y() { echo $((panel_y + 188 + 22 * $1)); }

row_shows() { [ "$(pixel "$1" "$(row_y "$2")")" = "$3" ]; }

rows_selected() # PROBE_X ROW...
{
    local probe=$1 row
    shift
    for row in "$@"; do
        row_shows "$probe" "$row" "$selected_colour" || return 1
    done
}

# select_rows device|local FIRST [MODIFIER LAST [ROW...]]: clicks FIRST, then MODIFIER-clicks LAST,
# and waits until the given rows show selected. A click that a modal window swallowed (the
# start-up read, the read-back after a load) is simply tried again: the plain click starts the
# selection afresh, so retrying never toggles a row twice. In the computer list a control-click
# also opens the context menu; it is dismissed with Escape, as a user would.
select_rows()
{
    local x probe
    if [ "$1" = device ]; then x=$device_x probe=$device_probe; else x=$local_x probe=$local_probe; fi
    local first=$2 modifier=${3:-} last=${4:-}
    shift $(($# < 4 ? $# : 4))
    local deadline=$((SECONDS + limit))
    while :; do
        xdotool mousemove "$x" "$(row_y "$first")" click 1
        if wait_until 3 rows_selected "$probe" "$first"; then
            [ -n "$modifier" ] || return 0
            xdotool keydown "$modifier" mousemove "$x" "$(row_y "$last")" click 1 keyup "$modifier"
            if [ "$modifier" = ctrl ] && [ "$probe" = "$local_probe" ]; then
                wait_for "$limit" "context menu after a control-click" visible_window '^menu$'
                xdotool key Escape
                wait_for "$limit" "closing of the context menu" no_menu
            fi
            wait_until 3 rows_selected "$probe" "$first" "$last" "$@" && return 0
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            local row colours=""
            for row in "$first" ${last:+"$last"} "$@"; do colours+=" row $row: $(pixel "$probe" "$(row_y "$row")")"; done
            fail "rows $first to $last of a list would not select (${colours# })"
        fi
    done
}

no_menu() { ! visible_window '^menu$'; }

# choose_last_menu_item: clicks the last line of the open pop-up menu. A menu takes no click in
# its first quarter second (so that the click that opened it cannot choose), so the click is
# repeated until the menu has gone.
choose_last_menu_item()
{
    wait_for "$limit" "pop-up menu" visible_window '^menu$'
    eval "$(xdotool getwindowgeometry --shell "$found_window")"
    local deadline=$((SECONDS + limit))
    until no_menu; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the menu took no choice"
        xdotool mousemove $((X + 40)) $((Y + HEIGHT - 14)) click 1
        wait_until 2 no_menu || true
    done
}

# wait_until SECONDS COMMAND...: like wait_for, but only reports whether it happened in time.
wait_until()
{
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

click_button() # the transfer buttons' tops: Save All 192, Save 238, Load To 283, Load All 330
{
    xdotool mousemove "$button_x" $((panel_y + $1 + 15)) click 1
}

# click_until X Y WHAT COMMAND...: clicks at X,Y until COMMAND succeeds. A click while the
# start-up read, or a box that is closing, still holds the window is lost, so it is repeated.
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

# Save All selects every slot, then reads them; it has started once the slots show selected
# (row 15: the progress window covers the first rows).
start_save_all() { click_until "$button_x" $((panel_y + 192 + 15)) "Save All >>" rows_selected "$device_probe" 14; }

#==============================================================================
# Preset files.

# One line per file: root|name|version|desc|parameters|elements|parameters with numeric ID and Value
preset_summary()
{
    xmllint --noout "$1" 2>/dev/null || { echo "not well-formed"; return; }
    xmllint --xpath 'concat(name(/*), "|", /preset/name, "|", /preset/version, "|", /preset/desc, "|",
        count(/preset/data/parameter), "|", name(/preset/*[1]), ",", name(/preset/*[2]), ",",
        name(/preset/*[3]), ",", name(/preset/*[4]), ",", count(/preset/*), "|",
        count(/preset/data/parameter[ID = position() - 1 and string(number(Value)) != "NaN"]))' "$1"
}

parameter_values() { xmllint --xpath '/preset/data/parameter/Value/text()' "$1"; }

# write_preset FILE NAME SEED: a preset file as another computer might have written it, with
# values no demo preset has.
write_preset()
{
    local index
    {
        printf '<?xml version="1.0" encoding="UTF-8"?>\n<preset>\n  <name>%s</name>\n' "$2"
        printf '  <version>%s</version>\n  <desc>0</desc>\n  <data>\n' "$device_version"
        for ((index = 0; index < parameter_count; ++index)); do
            printf '    <parameter><ID>%d</ID><Value>%d</Value></parameter>\n' \
                "$index" $(((index * 7 + $3) % 100))
        done
        printf '  </data>\n</preset>\n'
    } >"$1"
}

device_version=$(sed -n 's/.*presetVersion = \([0-9]*\);.*/\1/p' "$source_dir/simulator/DeviceSimulator.h")
parameter_count=$(sed -n 's/.*kParametersPerPreset = \([0-9]*\);.*/\1/p' "$source_dir/presets/PresetData.h")
[ -n "$device_version" ] && [ -n "$parameter_count" ] || fail "cannot read the device's constants"

# The demo's preset names, one a line in slot order.
demo_names()
{
    sed -n '/kDemoPresetNames\[\] = {/,/};/p' "$source_dir/simulator/DemoPresets.cpp" |
        grep -o '"[^"]*"' | tr -d '"'
}

file_count() { find "$1" -maxdepth 1 -type f | wc -l; }
has_files() { [ "$(file_count "$preset_folder")" -ge "$1" ]; }
has_at_most() { [ "$(file_count "$preset_folder")" -le "$1" ]; }

copies_or_question()
{
    find_question_box || files_exist copy1_005_E2EAlpha.tnl copy1_006_BigHallLead.tnl copy1_007_E2EBeta.tnl
}

files_exist()
{
    local file
    for file in "$@"; do [ -f "$preset_folder/$file" ] || return 1; done
}

#==============================================================================
# Scenarios.

scenario_first_start_save_all()
{
    start_demo

    wait_for "$limit" "configuration file" test -f "$app_folder/tonarel.cfg"
    wait_for "$limit" "preset folder" test -d "$preset_folder"
    # The configuration is remembered once the folder is listed: its full path, nothing more.
    wait_for "$limit" "preset folder in the configuration" \
        grep -qxF "$preset_folder" "$app_folder/tonarel.cfg"
    [ "$(cat "$app_folder/tonarel.cfg")" = "$preset_folder" ] || fail "configuration holds more than the path"
    [ "$(file_count "$preset_folder")" -eq 0 ] || fail "a first start put files in the preset folder"

    start_save_all
    log "Save All >> started"
    wait_for 180 "99 preset files" has_files 99
    wait_for "$limit" "end of the Save All job" no_progress_window
    log "Save All >> done"

    [ "$(file_count "$preset_folder")" -eq 99 ] || fail "$(file_count "$preset_folder") files, not 99"

    local slot=0 name expected file problems=0
    while IFS= read -r name; do
        slot=$((slot + 1))
        file=$(printf '%03d_%s.tnl' "$slot" "${name// /}")
        expected="preset|$name|$device_version|$slot|$parameter_count|name,version,desc,data,4|$parameter_count"
        if [ ! -f "$preset_folder/$file" ]; then
            echo "missing: $file" >&2
            problems=$((problems + 1))
        elif [ "$(preset_summary "$preset_folder/$file")" != "$expected" ]; then
            echo "$file: $(preset_summary "$preset_folder/$file"), expected $expected" >&2
            problems=$((problems + 1))
        fi
    done < <(demo_names)

    [ "$slot" -eq 99 ] || fail "read $slot demo names from the source, not 99"
    [ "$problems" -eq 0 ] || fail "$problems of the 99 preset files are wrong"
    screenshot "$work/after-save-all.png"
    quit_demo
}

scenario_load_to()
{
    mkdir -p "$preset_folder"
    write_preset "$preset_folder/e2e_alpha.tnl" "E2E Alpha" 3
    write_preset "$preset_folder/e2e_beta.tnl" "E2E Beta" 5
    start_demo

    # The two files into slots 5 and 7 (rows 4 and 6); slot 6 between them is left alone.
    select_rows local 0 shift 1
    select_rows device 4 ctrl 6
    click_button 283
    log "< Load To clicked"
    answer_question click -37 24 # "Overwrite" of the first slot's question
    answer_question key Return    # the second, from the keyboard: Return is "Overwrite"
    answer_question key Escape    # the load's notice: Escape is "Ok", not "Undo"
    log "both slots overwritten"

    # "Save >" of slots 5 to 7 then writes what the device now holds. The selection only takes
    # once the read-back of the loaded slots has ended.
    select_rows device 4 shift 6 5
    screenshot "$work/after-load.png"
    click_button 238
    wait_for "$limit" "saved slots" files_exist 005_E2EAlpha.tnl 006_BigHallLead.tnl 007_E2EBeta.tnl
    wait_for "$limit" "end of the Save job" no_progress_window

    [ "$(preset_summary "$preset_folder/005_E2EAlpha.tnl")" = \
        "preset|E2E Alpha|$device_version|5|$parameter_count|name,version,desc,data,4|$parameter_count" ] ||
        fail "005_E2EAlpha.tnl: $(preset_summary "$preset_folder/005_E2EAlpha.tnl")"
    [ "$(preset_summary "$preset_folder/007_E2EBeta.tnl")" = \
        "preset|E2E Beta|$device_version|7|$parameter_count|name,version,desc,data,4|$parameter_count" ] ||
        fail "007_E2EBeta.tnl: $(preset_summary "$preset_folder/007_E2EBeta.tnl")"
    [ "$(parameter_values "$preset_folder/005_E2EAlpha.tnl")" = "$(parameter_values "$preset_folder/e2e_alpha.tnl")" ] ||
        fail "slot 5 does not hold the values of e2e_alpha.tnl"
    [ "$(parameter_values "$preset_folder/007_E2EBeta.tnl")" = "$(parameter_values "$preset_folder/e2e_beta.tnl")" ] ||
        fail "slot 7 does not hold the values of e2e_beta.tnl"
    [ "$(xmllint --xpath 'string(/preset/name)' "$preset_folder/006_BigHallLead.tnl")" = "Big Hall Lead" ] ||
        fail "slot 6 changed"
    [ "$(file_count "$preset_folder")" -eq 5 ] || fail "$(file_count "$preset_folder") files, not 5"

    # Saving the same slots again finds their files: "Create Copy" with "Apply To All" ticked
    # answers for all three, so there is one question and three copies.
    select_rows device 4 shift 6 5
    click_button 238
    # A click that reaches the box before it has come up and taken the keyboard is lost.
    wait_for "$limit" "question box" find_question_box
    wait_for "$limit" "keyboard focus in the question box" question_box_has_focus
    eval "$(xdotool getwindowgeometry --shell "$question_box")"
    xdotool mousemove $((X + WIDTH - 116 + 49)) $((Y + HEIGHT - 85 + 14)) click 1 # "Apply To All"
    answer_question key c # "Create Copy"
    wait_for "$limit" "copies or another question" copies_or_question
    ! find_question_box || fail "asked again although Apply To All was ticked"
    wait_for "$limit" "end of the Save job" no_progress_window
    [ "$(file_count "$preset_folder")" -eq 8 ] || fail "$(file_count "$preset_folder") files, not 8"
    cmp -s "$preset_folder/copy1_005_E2EAlpha.tnl" "$preset_folder/005_E2EAlpha.tnl" ||
        fail "the copy of slot 5 differs from its first save"
    quit_demo
}

scenario_rescan_delete()
{
    mkdir -p "$preset_folder"
    write_preset "$preset_folder/b_bravo.tnl" "Bravo" 1
    write_preset "$preset_folder/c_charlie.tnl" "Charlie" 2
    write_preset "$preset_folder/d_delta.tnl" "Delta" 3
    start_demo

    # Three rows; the fourth row of a table is striped, so it shows when a fourth file is listed.
    select_rows local 0 shift 2 1
    row_shows "$local_probe" 3 "$plain_colour" || fail "a fourth row before the rescan"

    # A file added behind the program's back sorts first; F5 in the list lists it.
    write_preset "$preset_folder/a_alpha.tnl" "Alpha" 4
    select_rows local 1
    wait_for "$limit" "keyboard focus in the main window" main_window_has_focus
    xdotool key F5
    wait_for "$limit" "a fourth row after F5" row_shows "$local_probe" 3 "$striped_colour"
    log "F5 listed the new file"

    # Delete rows 1 and 3 (a_alpha.tnl and c_charlie.tnl) from the context menu of row 3.
    select_rows local 0 ctrl 2
    xdotool mousemove "$local_x" "$(row_y 2)" click 3
    choose_menu_item 3 5 # "Delete"
    answer_question key Return # "Ok"
    wait_until "$limit" has_at_most 2 || true
    local left
    left=$(cd "$preset_folder" && ls | tr '\n' ' ')
    [ "$left" = "b_bravo.tnl d_delta.tnl " ] || fail "left in the folder: $left"
    quit_demo
}

# "< Load To" follows the selections after a file was copied from the context menu.
scenario_copy_then_load_to()
{
    mkdir -p "$preset_folder"
    write_preset "$preset_folder/e2e_alpha.tnl" "E2E Alpha" 3
    start_demo

    select_rows device 4
    select_rows local 0
    xdotool mousemove "$local_x" "$(row_y 0)" click 3
    choose_menu_item 2 5 # "Copy"
    wait_for "$limit" "the copy" files_exist copy1_e2e_alpha.tnl
    wait_for "$limit" "the file row selected again" rows_selected "$local_probe" 0
    rows_selected "$device_probe" 4 || fail "the slot is no longer selected"

    click_button 283 # "< Load To": asks before it overwrites the slot
    wait_until 10 find_question_box || fail "< Load To did nothing after Copy"
    answer_question key Escape # "Skip"
    wait_for "$limit" "end of the job" no_progress_window
    quit_demo
}

# Help with no program on the machine that can show a page: the user is told where the page is,
# and no child process is left behind. With one, the page beside the program is handed to it.
scenario_help_without_opener()
{
    mkdir -p "$work/bin"
    start_demo "$work/bin"

    click_help_button_until visible_window '^Error$'
    screenshot "$work/help-error.png"
    xdotool key Return
    wait_for "$limit" "closing of the error box" no_error_box

    open_help_menu
    choose_menu_item 1 # "Help"
    wait_for "$limit" "error box of Help > Help" visible_window '^Error$'
    xdotool key Return
    wait_for "$limit" "closing of the error box" no_error_box
    no_zombie_children "$demo_pid" || fail "a child process of the demo was left unreaped"

    printf '#!/bin/sh\nprintf "%%s" "$1" > "%s/opened"\n' "$work" >"$work/bin/xdg-open"
    chmod +x "$work/bin/xdg-open"
    click_help_button_until test -s "$work/opened"
    [ "$(cat "$work/opened")" = "$(dirname "$demo")/PresetLibrarianHelp.htm" ] ||
        fail "the opener was handed $(cat "$work/opened")"
    ! visible_window '^Error$' || fail "an error box although the page was opened"
    no_zombie_children "$demo_pid" || fail "the opener was left unreaped"
    quit_demo
}

no_error_box() { ! visible_window '^Error$'; }

# A click while the start-up read still holds the window, or one that only brings the window to
# the front, opens no menu: it is repeated.
open_help_menu() { click_until $((panel_x + 121)) $((panel_y - 12)) "the Help menu" visible_window '^menu$'; }

click_help_button_until() { click_until "$help_x" $((panel_y + 34)) "the Help button" "$@"; }
no_zombie_children() { ! ps -o stat= --ppid "$1" | grep -q Z; }

# A save killed in the middle of its job leaves no stray preset file, and no leftover once the
# program has started again.
scenario_killed_save()
{
    start_demo
    start_save_all
    wait_for 180 "some preset files" has_files 10
    kill -KILL "$demo_pid"
    wait "$demo_pid" 2>/dev/null || true
    demo_pid=""
    log "killed the demo after $(file_count "$preset_folder") files"

    start_demo
    wait_for "$limit" "the folder listed again" rows_selected_or_listed
    local file
    for file in "$preset_folder"/* "$preset_folder"/.[!.]*; do
        [ -e "$file" ] || continue
        case $(basename "$file") in
            [0-9][0-9][0-9]_*.tnl) [ "$(preset_summary "$file" | cut -d'|' -f1)" = preset ] ||
                fail "$(basename "$file") is no whole preset" ;;
            *) fail "left in the preset folder: $(basename "$file")" ;;
        esac
    done
    quit_demo
}

# The computer list shows the files saved before the kill (the first row is striped white,
# the second striped grey).
rows_selected_or_listed() { row_shows "$local_probe" 1 "$striped_colour"; }

# "Exit" in the box that says the device is missing ends the librarian at once, every time.
scenario_exit_at_start()
{
    start_x
    local round pid status
    for round in 1 2 3; do
        "$librarian" >"$work/librarian.log" 2>&1 &
        demo_pid=$!
        wait_for "$limit" "the box saying the device is missing" find_question_box
        wait_for "$limit" "keyboard focus in the box" question_box_has_focus
        eval "$(xdotool getwindowgeometry --shell "$question_box")"
        xdotool mousemove $((X + WIDTH / 2 + 93)) $((Y + HEIGHT - 23)) click 1 # "Exit"
        pid=$demo_pid
        demo_pid=""
        wait_until 3 has_ended "$pid" || fail "the librarian still runs 3 s after Exit (round $round)"
        status=0
        wait "$pid" || status=$?
        [ "$status" -eq 0 ] || fail "the librarian exited with status $status (round $round)"
    done
}

has_ended() { ! kill -0 "$1" 2>/dev/null; }

# A second start of the librarian brings the first one's window to the front and ends; the
# demo, whose device is its own, runs beside it.
scenario_single_instance()
{
    start_x wm
    "$librarian" >"$work/librarian.log" 2>&1 &
    demo_pid=$!
    answer_question click 16 23 # "Ignore"
    wait_for "$limit" "the librarian's window" find_main_window
    local first=$main_window

    "$demo" >"$work/demo.log" 2>&1 &
    other_pids=$!
    wait_for "$limit" "the demo's window in front" front_window_is_not "$first"

    local second status=0
    "$librarian" >"$work/second.log" 2>&1 &
    second=$!
    wait_until 10 has_ended "$second" || fail "the second start still runs"
    wait "$second" || status=$?
    [ "$status" -eq 0 ] || fail "the second start exited with status $status"
    wait_for "$limit" "the librarian's window in front" front_window_is "$first"
    kill -0 "$demo_pid" 2>/dev/null || fail "the first librarian ended"
    kill -0 "$other_pids" 2>/dev/null || fail "the demo ended"
    screenshot "$work/single-instance.png"
}

front_window_is() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
front_window_is_not() { local active; active=$(xdotool getactivewindow 2>/dev/null) && [ "$active" != "$1" ]; }

# choose_menu_item N [LINES]: clicks the N-th line of the open pop-up menu of LINES lines (3
# unless given), counted from 1.
choose_menu_item()
{
    wait_for "$limit" "pop-up menu" visible_window '^menu$'
    eval "$(xdotool getwindowgeometry --shell "$found_window")"
    local lines=${2:-3} deadline=$((SECONDS + limit))
    until no_menu; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the menu took no choice"
        xdotool mousemove $((X + 40)) $((Y + (HEIGHT * (2 * $1 - 1)) / (2 * lines))) click 1
        wait_until 2 no_menu || true
    done
}

# drag_pointer FROM_X FROM_Y TO_X TO_Y: presses the left button at FROM, moves to TO in steps
# with the button held, as a hand does, and lets go there. The pauses are the hand's: a drag
# between programs settles where it will land by messages between them while the pointer moves.
drag_pointer()
{
    local step steps=20
    xdotool mousemove "$1" "$2" mousedown 1
    for ((step = 1; step <= steps; ++step)); do
        xdotool mousemove $(($1 + ($3 - $1) * step / steps)) $(($2 + ($4 - $2) * step / steps))
        sleep 0.05
    done
    xdotool mousemove $(($3 + 2)) $(($4 + 2))
    sleep 0.3
    xdotool mousemove "$3" "$4"
    sleep 0.3
    xdotool mouseup 1
}

# Files onto slots are "< Load To" from the slot under the pointer on; slots onto the computer
# list are "Save >"; a preset file dragged from another program onto the computer list is copied
# into the preset folder.
scenario_drag_and_drop()
{
    [ -x "${TONAREL_DRAG_SOURCE:-}" ] || fail "TONAREL_DRAG_SOURCE names no drag source program"
    mkdir -p "$preset_folder" "$work/outside"
    write_preset "$preset_folder/e2e_alpha.tnl" "E2E Alpha" 3
    write_preset "$preset_folder/e2e_beta.tnl" "E2E Beta" 5
    write_preset "$work/outside/e2e_gamma.tnl" "E2E Gamma" 7
    start_demo

    # The two files onto slot 5 (row 4): both slots are asked about.
    select_rows local 0 shift 1
    drag_pointer "$local_x" "$(row_y 0)" "$device_x" "$(row_y 4)"
    log "dragged two files onto slot 5"
    answer_question key Return # "Overwrite" slot 5
    answer_question key Return # "Overwrite" slot 6
    answer_question key Escape # the load's notice: "Ok"
    wait_for "$limit" "end of the load" no_progress_window

    # Slots 5 and 6 dragged back onto the computer list save what they now hold.
    select_rows device 4 shift 5
    drag_pointer "$device_x" "$(row_y 4)" "$local_x" "$(row_y 5)"
    log "dragged slots 5 and 6 onto the computer list"
    wait_for "$limit" "saved slots" files_exist 005_E2EAlpha.tnl 006_E2EBeta.tnl
    wait_for "$limit" "end of the Save job" no_progress_window
    [ "$(parameter_values "$preset_folder/005_E2EAlpha.tnl")" = "$(parameter_values "$preset_folder/e2e_alpha.tnl")" ] ||
        fail "slot 5 does not hold the values of e2e_alpha.tnl"
    [ "$(parameter_values "$preset_folder/006_E2EBeta.tnl")" = "$(parameter_values "$preset_folder/e2e_beta.tnl")" ] ||
        fail "slot 6 does not hold the values of e2e_beta.tnl"

    # A preset file from outside, dragged by another program. Between two programs the drag is
    # settled by messages while the pointer moves; on a loaded machine a drag whose pointer ran
    # ahead of them ends nowhere, as a hand's sometimes does, and is made again.
    local attempt
    for attempt in 1 2 3; do
        "$TONAREL_DRAG_SOURCE" "$work/outside/e2e_gamma.tnl" >"$work/drag-source.log" 2>&1 &
        other_pids=$!
        wait_for "$limit" "the drag source's window" visible_window '^Drag Source$'
        eval "$(xdotool getwindowgeometry --shell "$found_window")"
        drag_pointer $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) "$local_x" "$(row_y 6)"
        log "dropped a file from outside (attempt $attempt)"
        wait_until 10 files_exist e2e_gamma.tnl && break
        log "the drop did not arrive: $(tr '\n' ' ' <"$work/drag-source.log")"
        kill "$other_pids" 2>/dev/null || true
        wait "$other_pids" 2>/dev/null || true
        wait_until 10 no_visible_window '^Drag Source$' || true
    done
    wait_for "$limit" "the dropped file in the preset folder" files_exist e2e_gamma.tnl
    cmp -s "$work/outside/e2e_gamma.tnl" "$preset_folder/e2e_gamma.tnl" || fail "the dropped file was not copied as it was"
    [ "$(file_count "$preset_folder")" -eq 5 ] || fail "$(file_count "$preset_folder") files, not 5"
    screenshot "$work/after-drops.png"
    quit_demo
}

# The About box and the transfer log's window as a window manager shows them over the window.
scenario_about_and_log()
{
    mkdir -p "$app_folder"
    local line
    for ((line = 1; line <= 120; ++line)); do
        printf '2026-01-01 12:%02d:%02d SEND slot %d "E2E Line %d" ok\n' $((line / 60)) $((line % 60)) $((line % 99 + 1)) "$line"
    done >"$app_folder/tonarel.log"
    start_x wm
    start_demo

    open_help_menu
    choose_menu_item 3 # "About TonarelUtil"
    wait_for "$limit" "the About box" visible_window '^About TonarelUtil$'
    sleep 0.5 # the box's first paint, for the screenshot
    screenshot "$work/about.png"
    xdotool key Return
    wait_for "$limit" "closing of the About box" no_about_box

    open_help_menu
    choose_menu_item 2 # "Show Transfer Log"
    wait_for "$limit" "the transfer log's window" visible_window '^Transfer Log$'
    sleep 0.5
    screenshot "$work/transfer-log.png"
    local log_window=$found_window
    wait_for "$limit" "keyboard focus in the log's window" has_focus "$log_window"
    xdotool key alt+F4 # the window manager's close
    wait_for "$limit" "closing of the log's window" no_log_window
    quit_demo
}

# Quitting while "Save All >>" runs asks first. "Cancel Transfer and Quit" ends the job as Cancel
# does and the program quits with status 0, leaving only whole preset files and nothing half
# written; "Keep Working" lets the job run to its end. The first is asked for with the title
# bar's close button, the second, in a second run, with Ctrl+Q (which the progress window passes
# on to the window's commands).
scenario_close_during_transfer()
{
    start_x wm
    start_demo
    start_save_all
    wait_for 180 "some preset files" has_files 3
    click_close_button
    answer_question key Return # "Cancel Transfer and Quit"
    log "cancelled and quit at $(file_count "$preset_folder") files"
    wait_for "$limit" "end of the demo" demo_has_ended
    local status=0
    wait "$demo_pid" || status=$?
    demo_pid=""
    [ "$status" -eq 0 ] || fail "the demo exited with status $status"
    local saved
    saved=$(file_count "$preset_folder")
    [ "$saved" -lt 99 ] || fail "the job ran to its end instead of being cancelled"
    only_whole_preset_files "$saved"

    rm -f "$preset_folder"/*
    start_demo
    start_save_all
    wait_for 180 "some preset files" has_files 3
    xdotool key ctrl+q
    answer_question key Escape # "Keep Working"
    log "kept working at $(file_count "$preset_folder") files"
    wait_for 180 "99 preset files" has_files 99
    wait_for "$limit" "end of the Save All job" no_progress_window
    only_whole_preset_files 99
    quit_demo
}

# A job started by a drop leaves no trace of its progress window: where the window stood, the
# panel shows again without the pointer moving. The column between the two lists (the transfer
# buttons, in the same state before the drag and after the job) is compared with how it looked
# before the drag.
scenario_drop_leaves_no_ghost()
{
    mkdir -p "$preset_folder"
    write_preset "$preset_folder/e2e_alpha.tnl" "E2E Alpha" 3
    write_preset "$preset_folder/e2e_beta.tnl" "E2E Beta" 5
    start_x wm
    start_demo

    select_rows local 0 shift 1
    screenshot "$work/before-drop.png"
    drag_pointer "$local_x" "$(row_y 0)" "$device_x" "$(row_y 4)"
    answer_question key Return # "Overwrite" slot 5
    answer_question key Return # "Overwrite" slot 6
    answer_question key Escape # the load's notice: "Ok"
    wait_for "$limit" "end of the load" no_progress_window
    wait_until 10 middle_column_as_before ||
        fail "the panel between the lists still differs from before the drop (see $work/after-drop.png)"
    quit_demo
}

# The column between the two lists, as before the drop; the screenshot taken stays for a report.
middle_column_as_before()
{
    local crop=106x420+$((panel_x + half - 74))+$((panel_y + 140)) difference
    screenshot "$work/after-drop.png"
    convert "$work/before-drop.png" -crop "$crop" +repage "$work/column-before.png"
    convert "$work/after-drop.png" -crop "$crop" +repage "$work/column-after.png"
    difference=$(compare -metric AE "$work/column-before.png" "$work/column-after.png" null: 2>&1) || true
    [ "$difference" = 0 ]
}

# The close button at the right end of the window manager's title bar, placed from the frame's
# extents (left, right, top, bottom) around the window. The button is held a moment, as a hand
# holds it: the window manager takes a press and release sent at once, while it moves the focus
# to the window, for no click (seen with openbox when a progress window has the focus).
click_close_button()
{
    local extents right top
    extents=$(xprop -id "$main_window" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ' ')
    right=$(echo "$extents" | cut -d, -f2)
    top=$(echo "$extents" | cut -d, -f3)
    [ -n "$top" ] && [ "$top" -gt 0 ] || fail "no title bar around the window"
    xdotool mousemove $((panel_x + WIDTH / 2)) $((panel_y - 24 - top / 2))
    sleep 0.3
    xdotool mousemove $((panel_x + WIDTH + right - top / 2 - 1)) $((panel_y - 24 - top / 2))
    sleep 0.3
    xdotool mousedown 1
    sleep 0.3
    xdotool mouseup 1
}

# only_whole_preset_files COUNT: the preset folder holds COUNT files, each a whole preset saved
# under its slot's name, and nothing else (no temporary file).
only_whole_preset_files()
{
    local file
    for file in "$preset_folder"/* "$preset_folder"/.[!.]*; do
        [ -e "$file" ] || continue
        case $(basename "$file") in
            [0-9][0-9][0-9]_*.tnl) [ "$(preset_summary "$file" | cut -d'|' -f1,5)" = "preset|$parameter_count" ] ||
                fail "$(basename "$file") is no whole preset" ;;
            *) fail "left in the preset folder: $(basename "$file")" ;;
        esac
    done
    [ "$(file_count "$preset_folder")" -eq "$1" ] || fail "$(file_count "$preset_folder") files, not $1"
}

# Typing in a list shows only the rows whose name holds the text, and a command acts on the
# rows shown; "Compare with Slot…" of a file reads the slot the file's name proposes and shows
# how they differ in a window of its own.
scenario_filter_and_compare()
{
    mkdir -p "$preset_folder"
    write_preset "$preset_folder/005_E2EAlpha.tnl" "E2E Alpha" 3
    write_preset "$preset_folder/b_bravo.tnl" "Bravo" 1
    write_preset "$preset_folder/c_charlie.tnl" "Charlie" 2
    start_x wm
    start_demo

    # Three files: row 1 is striped. Typed "alpha" leaves one row, so row 1 goes plain.
    select_rows local 0
    row_shows "$local_probe" 1 "$striped_colour" || fail "fewer than two files listed"
    xdotool type --delay 50 alpha
    wait_for "$limit" "the computer list filtered" row_shows "$local_probe" 1 "$plain_colour"

    # "hall" in the device list leaves "Big Hall Lead" (slot 6) and "Opera Hall" (slot 50).
    select_rows device 0
    xdotool type --delay 50 hall
    wait_for "$limit" "the device list filtered" row_shows "$device_probe" 3 "$plain_colour"
    row_shows "$device_probe" 1 "$striped_colour" || fail "the device list shows fewer than two rows"
    screenshot "$work/filter.png"

    # "Save >" of the second row shown saves slot 50, not slot 2.
    select_rows device 1
    click_button 238
    wait_for "$limit" "the saved slot" files_exist 050_OperaHall.tnl
    wait_for "$limit" "end of the Save job" no_progress_window
    [ "$(file_count "$preset_folder")" -eq 4 ] || fail "$(file_count "$preset_folder") files, not 4"

    # "Compare with Slot…" of the one file shown: slot 5 is proposed, Return compares.
    xdotool mousemove "$local_x" "$(row_y 0)" click 3
    choose_menu_item 4 5 # "Compare with Slot…"
    wait_for "$limit" "the question which slot" visible_window '^Compare with Slot$'
    wait_for "$limit" "keyboard focus in the question" has_focus "$found_window"
    xdotool key Return
    wait_for "$limit" "the comparison window" visible_window '^Preset Comparison$'
    local comparison=$found_window
    wait_for "$limit" "end of the Compare job" no_progress_window
    sleep 0.5 # the window's first paint, for the screenshot
    screenshot "$work/comparison.png"
    grep -qP '\tCompare\tread\t5\t.*\tdone\t' "$app_folder/tonarel.log" || fail "no read of slot 5 logged for the comparison"
    grep -qP '\tCompare\tjob\t-\t1 preset\t-\tdone\t' "$app_folder/tonarel.log" || fail "no Compare job logged"
    [ "$(file_count "$preset_folder")" -eq 4 ] || fail "the comparison wrote a file"

    wait_for "$limit" "keyboard focus in the comparison window" has_focus "$comparison"
    xdotool key Escape
    wait_for "$limit" "closing of the comparison window" no_comparison_window
    quit_demo
}

# "<< Load All" of a saved set with one file removed: every slot gets the file of its own number,
# and the slot without one is left as it is, as the transfer log's send lines tell. The demo says
# it is the demo, and leaves the librarian's own folder alone.
scenario_load_all_by_number()
{
    start_x wm
    start_demo
    [ "$(xdotool getwindowname "$main_window")" = "Tonarel Librarian - v$(program_version) (Demo)" ] ||
        fail "the demo's title is '$(xdotool getwindowname "$main_window")'"
    xdotool search --class '^TonarelUtilDemo$' 2>/dev/null | grep -qx "$main_window" ||
        fail "the demo's window is not of the class TonarelUtilDemo"

    start_save_all
    wait_for 180 "99 preset files" has_files 99
    wait_for "$limit" "end of the Save All job" no_progress_window
    local removed
    removed=$(printf '050_%s.tnl' "$(demo_names | sed -n 50p | tr -d ' ')")
    [ -f "$preset_folder/$removed" ] || fail "Save All wrote no $removed"
    rm "$preset_folder/$removed"

    local reads_before
    reads_before=$(name_reads_logged)
    click_until "$button_x" $((panel_y + HEIGHT - 24 - 100 + 15)) "Refresh" more_name_reads_than "$reads_before"
    wait_for "$limit" "end of the Refresh" no_progress_window
    # The job's line is logged before its window has gone, and on a loaded machine the window may
    # not even have been mapped by then: a click while it is still modal is refused, so the click
    # is made until the question comes.
    click_until "$button_x" $((panel_y + 330 + 15)) "<< Load All" find_question_box
    answer_question key Return # "OK to overwrite ALL presets?"
    log "<< Load All confirmed"
    wait_for 180 "the Load job in the log" grep -qP '\tLoad\tjob\t' "$app_folder/tonarel.log"
    answer_question key Escape # the load's notice: "Ok"
    wait_for "$limit" "the read-back after the Load job" read_back_logged
    wait_for "$limit" "end of the read-back" no_progress_window

    local sends=0 slot file
    while IFS=$'\t' read -r _ _ _ slot file _; do
        sends=$((sends + 1))
        [ "$slot" != 50 ] || fail "slot 50 was sent $file"
        case $file in
            "$(printf '%03d' "$slot")"_*.tnl) ;;
            *) fail "slot $slot was sent $file" ;;
        esac
    done < <(grep -P '\tLoad\tsend\t' "$app_folder/tonarel.log")
    [ "$sends" -eq 98 ] || fail "$sends send lines, not 98"
    [ ! -e "$librarian_folder" ] || fail "the demo wrote into the librarian's folder: $(ls "$librarian_folder")"
    quit_demo
}

program_version() { sed -n 's/^project(TonarelUtil VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt"; }

# A Refresh reads the slots' names again, then lists the folder again.
name_reads_logged() { grep -cP '\tRead names\tjob\t' "$app_folder/tonarel.log" || true; }
more_name_reads_than() { [ "$(name_reads_logged)" -gt "$1" ]; }

read_back_logged() { sed -n '/\tLoad\tjob\t/,$p' "$app_folder/tonarel.log" | grep -qP '\tRead names\tjob\t'; }

# A titled box of the program (a confirmation, the rename field): waits for it to take the
# keyboard, presses KEY and waits for it to go.
answer_titled_box() # TITLE KEY
{
    wait_for "$limit" "the box '$1'" visible_window "^$1\$"
    local box=$found_window
    wait_for "$limit" "keyboard focus in the box '$1'" test "$(xdotool getwindowfocus 2>/dev/null)" = "$box"
    xdotool key "$2"
    wait_for "$limit" "closing of the box '$1'" window_gone "$box"
}

# "< Load To" of a file into slot 5, then Functions > "Undo Last Load": the slot holds its demo
# preset again, as the load's snapshot kept it, and the undo kept a snapshot of its own.
scenario_undo_after_load_to()
{
    mkdir -p "$preset_folder"
    write_preset "$preset_folder/e2e_alpha.tnl" "E2E Alpha" 3
    start_x wm
    start_demo

    select_rows local 0
    select_rows device 4
    click_button 283
    answer_question key Return # "Overwrite" slot 5
    wait_for "$limit" "the load's notice" find_question_box
    screenshot "$work/load-notice.png"
    answer_question key Escape # "Ok": the load stays for now
    wait_for "$limit" "end of the read-back" no_progress_window
    local snapshot
    snapshot=$(find "$app_folder/Snapshots" -name '005_*.tnl' | head -1)
    [ -n "$snapshot" ] || fail "the load kept no snapshot of slot 5"

    # Functions > "Undo Last Load": the third item, after "Preset Librarian" and "Compare Device
    # with Folder", chosen from the keyboard.
    click_until $((panel_x + 45)) $((panel_y - 12)) "the Functions menu" visible_window '^menu$'
    xdotool key Down Down Down Return
    wait_for "$limit" "the undo's question" visible_window '^Undo Last Load$'
    screenshot "$work/undo-question.png"
    answer_titled_box 'Undo Last Load' Return # "Undo"
    answer_question key Escape # the undo's own notice: "Ok"
    wait_for "$limit" "the Undo job in the log" grep -qP '\tUndo\tjob\t.*\tdone\t' "$app_folder/tonarel.log"
    wait_for "$limit" "end of the read-back" no_progress_window
    grep -qP '\tUndo\tsend\t5\t005_' "$app_folder/tonarel.log" || fail "the undo sent nothing into slot 5"
    [ "$(find "$app_folder/Snapshots" -mindepth 1 -maxdepth 1 -type d | wc -l)" -eq 2 ] ||
        fail "the undo kept no snapshot of its own"

    # "Save >" of slot 5 writes what it holds: the preset the snapshot kept.
    select_rows device 4
    click_button 238
    local saved
    saved=$(basename "$snapshot")
    wait_for "$limit" "the saved slot" files_exist "$saved"
    wait_for "$limit" "end of the Save job" no_progress_window
    [ "$(parameter_values "$preset_folder/$saved")" = "$(parameter_values "$snapshot")" ] ||
        fail "slot 5 does not hold what its snapshot kept"
    screenshot "$work/after-undo.png"
    quit_demo
}

# "Rename…" on a file: the new name goes into the file, and the file is renamed by the save rule.
scenario_rename_file()
{
    mkdir -p "$preset_folder"
    write_preset "$preset_folder/007_e2e.tnl" "E2E Alpha" 3
    start_x wm
    start_demo

    select_rows local 0
    xdotool mousemove "$local_x" "$(row_y 0)" click 3
    choose_menu_item 5 5 # "Rename…"
    wait_for "$limit" "the rename box" visible_window '^Rename$'
    local box=$found_window
    wait_for "$limit" "keyboard focus in the rename box" test "$(xdotool getwindowfocus 2>/dev/null)" = "$box"
    xdotool key ctrl+a
    xdotool type --delay 20 "Lead Vox"
    # An accented letter is refused, and the box says why under the field.
    xdotool key eacute
    screenshot "$work/rename-box.png"
    xdotool key Return
    wait_for "$limit" "closing of the rename box" window_gone "$box"
    wait_for "$limit" "the renamed file" files_exist 007_LeadVox.tnl
    [ ! -e "$preset_folder/007_e2e.tnl" ] || fail "the old file is still there"
    [ "$(xmllint --xpath 'string(/preset/name)' "$preset_folder/007_LeadVox.tnl")" = "Lead Vox" ] ||
        fail "the file holds the name '$(xmllint --xpath 'string(/preset/name)' "$preset_folder/007_LeadVox.tnl")'"
    [ "$(file_count "$preset_folder")" -eq 1 ] || fail "$(file_count "$preset_folder") files, not 1"
    screenshot "$work/after-rename.png"
    quit_demo
}

# The very first right-click on a file after the program has started opens its menu.
scenario_first_right_click()
{
    mkdir -p "$preset_folder"
    write_preset "$preset_folder/e2e_alpha.tnl" "E2E Alpha" 3
    write_preset "$preset_folder/e2e_beta.tnl" "E2E Beta" 5
    start_x wm
    start_demo
    # The start-up read has ended once the device list shows its rows and its window is gone.
    wait_for "$limit" "the device's slots listed" row_shows "$device_probe" 1 "$striped_colour"
    wait_for "$limit" "the files listed" row_shows "$local_probe" 1 "$striped_colour"
    wait_for "$limit" "end of the start-up read" no_progress_window

    # Another program's window in front and holding the keyboard, as a terminal the demo was
    # started from does: the right-click is the one that brings the window to the front, and
    # the window manager raises it on the press.
    xmessage -geometry +0+0 "another program" >/dev/null 2>&1 &
    other_pids=$!
    wait_for "$limit" "the other program's window in front" front_window_is_not "$main_window"
    xdotool mousemove "$local_x" "$(row_y 1)" mousedown 3 sleep 0.2 mouseup 3
    wait_until 10 visible_window '^menu$' || fail "the first right-click on a file opened no menu"
    screenshot "$work/first-menu.png"
    xdotool key Escape
    wait_for "$limit" "closing of the context menu" no_menu
    quit_demo
}

# A slot dragged within the device list moves its preset there after one confirmation, and the
# slots between move up by one: slot 2 onto slot 4, under a window manager. What the slots hold
# is checked by saving them, as their files are named after their presets.
scenario_arrange_slots()
{
    mkdir -p "$preset_folder"
    start_x wm
    start_demo
    wait_for "$limit" "the device's slots listed" row_shows "$device_probe" 1 "$striped_colour"
    wait_for "$limit" "end of the start-up read" no_progress_window
    local -a names
    mapfile -t names < <(demo_names)

    select_rows device 1
    drag_pointer "$device_x" "$(row_y 1)" "$device_x" "$(row_y 3)"
    log "dragged slot 2 onto slot 4"
    answer_question key Return # "Move"
    wait_for "$limit" "end of the move" no_progress_window
    wait_for "$limit" "the moved slot selected where it landed" rows_selected "$device_probe" 3
    screenshot "$work/after-move.png"

    select_rows device 1 shift 3
    drag_pointer "$device_x" "$(row_y 1)" "$local_x" "$(row_y 1)"
    log "dragged slots 2 to 4 onto the computer list"
    wait_for "$limit" "the moved slots saved under their new names" files_exist \
        "002_${names[2]// /}.tnl" "003_${names[3]// /}.tnl" "004_${names[1]// /}.tnl"
    wait_for "$limit" "end of the Save job" no_progress_window
    quit_demo
}

# The window on a display of two pixels per point. JUCE 7.0.5 learns a Linux display's scale in
# its X11 windowing code (juce_linux_XWindowSystem.cpp, DisplayHelpers::getDisplayScale), first
# from the XSETTINGS value Gdk/WindowScalingFactor, then from "gsettings get
# org.gnome.desktop.interface scaling-factor" (or Ubuntu's dconf key), and only then from the
# screen's dots per inch divided by 96; Xft.dpi is not read. This machine has gsettings, so the
# run sets the scale there: GSETTINGS_BACKEND=keyfile with a key file in the run's own HOME
# (XDG_CONFIG_HOME/glib-2.0/settings/keyfile) saying scaling-factor=uint32 2, and the X server's
# -dpi 192 agrees with it should gsettings not answer in time. The run at scale 1 does the same
# with 1 and 96. The scale is taken on the RandR path, which needs the window manager's
# _NET_WORKAREA, so both runs have one.
#
# At 2 the 800 x 600 window is 1600 x 1200 pixels, and the captions are as sharp as at 1: where
# the device list's caption begins, the edge from the background to the caption's frame is
# measured across a row of pixels in a screenshot, and the pixels partway between the two
# (neither within a fifth of the step of one side nor of the other) are counted. A caption drawn
# from its 1x picture enlarged would smear that edge over extra pixels; drawn from its own 2x
# picture it is no wider in pixels than at 1.
scenario_hidpi()
{
    local scale widths=()
    for scale in 1 2; do
        start_scaled_x "$scale"
        start_demo
        [ "$WIDTH" -eq $((800 * scale)) ] && [ "$HEIGHT" -eq $((600 * scale)) ] \
            || fail "at scale $scale the window is ${WIDTH}x${HEIGHT}"
        wait_for "$limit" "the device's slots read" no_progress_window
        sleep 0.5 # the panel's paint after the read, for the screenshot
        screenshot "$work/scale-$scale.png"
        widths+=("$(caption_edge_width "$scale")")
        [[ "${widths[-1]}" =~ ^[0-9]+$ ]] || fail "no edge where the caption begins at scale $scale"
        log "scale $scale: window ${WIDTH}x${HEIGHT}, caption edge ${widths[-1]} pixels wide"
        xdotool key ctrl+q
        wait_for "$limit" "end of the demo" demo_has_ended
        wait "$demo_pid" || fail "the demo did not end cleanly at scale $scale"
        demo_pid=""
        stop_x
    done
    [ "${widths[1]}" -le "${widths[0]}" ] \
        || fail "the caption's edge is ${widths[1]} pixels wide at 2, ${widths[0]} at 1: an enlarged picture"
}

# start_scaled_x SCALE: an X server and window manager whose display JUCE takes at SCALE.
start_scaled_x()
{
    local settings=$HOME/.config/glib-2.0/settings
    mkdir -p "$settings"
    printf '[org/gnome/desktop/interface]\nscaling-factor=uint32 %d\n' "$1" >"$settings/keyfile"
    export XDG_CONFIG_HOME=$HOME/.config GSETTINGS_BACKEND=keyfile
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 2400x1700x24 -dpi $((96 * $1)) -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_for 30 "X server" grep -q '[0-9]' "$work/display"
    DISPLAY=:$(tr -d '[:space:]' <"$work/display")
    export DISPLAY
    openbox >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wait_for 30 "window manager" window_manager_runs
}

stop_x()
{
    local pid
    for pid in $wm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    wm_pid="" xvfb_pid=""
}

# caption_edge_width SCALE: how many pixels of the edge where the device list's caption begins
# lie partway between the background and the caption's frame, halfway down the caption. The
# caption is at (20, 75) in the panel, which begins below the 24-point menu bar.
caption_edge_width()
{
    local s=$1
    import -silent -window root -crop "$((5 * s))x1+$((X + 16 * s))+$((Y + (24 + 75 + 22) * s))" \
        -depth 8 txt:- 2>/dev/null | awk '
        function byte (text) { return 16 * index ("0123456789ABCDEF", substr (text, 1, 1)) - 16 \
                                      + index ("0123456789ABCDEF", substr (text, 2, 1)) - 1 }
        /#[0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F]/ {
            match ($0, /#[0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F]/)
            hex = substr ($0, RSTART + 1, 6)
            level[n++] = (299 * byte (substr (hex, 1, 2)) + 587 * byte (substr (hex, 3, 2)) \
                          + 114 * byte (substr (hex, 5, 2))) / 1000
        }
        END {
            low = high = level[0]
            for (i = 1; i < n; ++i) { if (level[i] < low) low = level[i]; if (level[i] > high) high = level[i] }
            if (n == 0 || high - low < 40) { print "no-edge"; exit }
            step = high - low
            for (i = 0; i < n; ++i) if (level[i] > low + step / 5 && level[i] < high - step / 5) ++partway
            print partway + 0
        }'
}

no_comparison_window() { ! visible_window '^Preset Comparison$'; }
no_about_box() { ! visible_window '^About TonarelUtil$'; }
no_log_window() { ! visible_window '^Transfer Log$'; }
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# The keyboard alone: the window hands the keyboard to the device list, whose ring shows it;
# Tab goes round the panel and back to the list; Down and Return save the first slot ("Save >");
# then Ctrl+L loads a file into a slot, asking its question as the button does.
focus_ring_colour="#F08000"
device_list_has_ring() { [ "$(pixel $((panel_x + 15)) $((panel_y + 300)))" = "$focus_ring_colour" ]; }
save_all_has_ring() { [ "$(pixel $((button_x - 49)) $((panel_y + 192 + 15)))" = "$focus_ring_colour" ]; }

scenario_keyboard()
{
    mkdir -p "$preset_folder"
    write_preset "$preset_folder/e2e_alpha.tnl" "E2E Alpha" 3
    start_x wm
    start_demo
    wait_for "$limit" "the device's slots listed" row_shows "$device_probe" 1 "$striped_colour"
    wait_for "$limit" "end of the start-up read" no_progress_window
    wait_for "$limit" "the keyboard in the main window" main_window_has_focus
    wait_for "$limit" "the focus ring round the device list" device_list_has_ring

    xdotool key Tab
    wait_for "$limit" "the focus ring on Save All >>" save_all_has_ring
    screenshot "$work/keyboard-focus.png"
    device_list_has_ring && fail "the device list kept its ring after Tab"
    local tabs=1
    until device_list_has_ring; do
        [ "$tabs" -lt 12 ] || fail "Tab did not come back round to the device list"
        xdotool key Tab
        tabs=$((tabs + 1))
        wait_until 2 device_list_has_ring || true
    done
    log "Tab came back round to the device list after $tabs presses"

    local first_file
    first_file=$(printf '001_%s.tnl' "$(demo_names | sed -n 1p | tr -d ' ')")
    xdotool key Down
    wait_for "$limit" "slot 1 selected by Down" rows_selected "$device_probe" 0
    xdotool key Return
    wait_for "$limit" "$first_file saved by Return" files_exist "$first_file"
    wait_for "$limit" "end of the save" no_progress_window

    # The file just saved is listed first.
    select_rows device 4
    select_rows local 0
    xdotool key ctrl+l
    answer_question key Return # Overwrite slot 5
    wait_for "$limit" "the load of $first_file into slot 5 in the log" \
        grep -qF "$(printf '\tLoad\tsend\t5\t%s\t' "$first_file")" "$app_folder/tonarel.log"
    answer_question key Escape # the load's notice: "Ok"
    wait_for "$limit" "end of the read-back" no_progress_window
    quit_demo
}

case $scenario in
    first-start-save-all) scenario_first_start_save_all ;;
    load-to) scenario_load_to ;;
    rescan-delete) scenario_rescan_delete ;;
    copy-then-load-to) scenario_copy_then_load_to ;;
    help-without-opener) scenario_help_without_opener ;;
    killed-save) scenario_killed_save ;;
    exit-at-start) scenario_exit_at_start ;;
    single-instance) scenario_single_instance ;;
    drag-and-drop) scenario_drag_and_drop ;;
    about-and-log) scenario_about_and_log ;;
    close-during-transfer) scenario_close_during_transfer ;;
    drop-leaves-no-ghost) scenario_drop_leaves_no_ghost ;;
    filter-and-compare) scenario_filter_and_compare ;;
    load-all-by-number) scenario_load_all_by_number ;;
    first-right-click) scenario_first_right_click ;;
    arrange-slots) scenario_arrange_slots ;;
    hidpi) scenario_hidpi ;;
    keyboard) scenario_keyboard ;;
    undo-after-load-to) scenario_undo_after_load_to ;;
    rename-file) scenario_rename_file ;;
    *) fail "unknown scenario" ;;
esac

log "$scenario passed"
