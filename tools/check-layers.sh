#!/bin/bash
# Checks that includes run one way: app -> librarian -> device, presets and simulator -> the
# framework, and cli -> device, presets and simulator. A folder may include its own headers and those of the folders below it; the engine
# (device, presets, simulator) includes no JUCE GUI module. Given a build folder, it also checks
# that the engine library is compiled without the GUI modules. Prints each include that runs the
# wrong way and fails if there is one. The test command runs it ("ctest -R Layers").
set -euo pipefail
build=${1:+$(realpath "$1")}
cd "$(dirname "$0")/.."

# What each folder may include besides itself.
declare -A allowed=(
    [app]="librarian device presets simulator resources"
    [cli]="device presets simulator"
    [librarian]="device presets resources"
    [simulator]="device presets"
    [device]="presets"
    [presets]=""
    [resources]=""
)

status=0

for folder in "${!allowed[@]}"; do
    [ -d "$folder" ] || continue
    while IFS=: read -r file line include; do
        target=$(sed -n 's/^#include *"\([^/"]*\)\/.*/\1/p' <<< "$include")
        [ -z "$target" ] || [ "$target" = "$folder" ] && continue
        if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
            echo "$file:$line: $folder/ may not include $target/: $include"
            status=1
        fi
    done < <(grep -rn -E '^#include +"' "$folder" --include='*.h' --include='*.cpp' || true)
done

for folder in device presets simulator cli; do
    if grep -rn -E '^#include +<juce_(gui_basics|gui_extra|graphics|data_structures)/' "$folder"; then
        echo "$folder/ is built on the engine alone and may not include a JUCE GUI module"
        status=1
    fi
done

# JUCE compiles a module into each target that links it, and names every module it compiles in
# the target's flags; a GUI module there means the engine could reach for a window again.
engine_flags="$build/CMakeFiles/tonarel_engine.dir/flags.make"
if [ -n "$build" ] && [ -f "$engine_flags" ] &&
    grep -q -E 'juce_(gui_basics|gui_extra|graphics|data_structures)' "$engine_flags"; then
    echo "the engine library is compiled with a JUCE GUI module: $engine_flags"
    status=1
fi

[ $status -eq 0 ] && echo "layers: every include runs downwards"
exit $status
