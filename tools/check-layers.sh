#!/bin/bash
# Checks that includes run one way: app -> librarian -> device, presets and simulator -> the
# framework. A folder may include its own headers and those of the folders below it; the engine
# (device, presets, simulator) includes no JUCE GUI module. Prints each include that runs the
# wrong way and fails if there is one. The test command runs it ("ctest -R Layers").
set -euo pipefail
cd "$(dirname "$0")/.."

# What each folder may include besides itself.
declare -A allowed=(
    [app]="librarian device presets simulator resources"
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

for folder in device presets simulator; do
    if grep -rn -E '^#include +<juce_(gui_basics|gui_extra|graphics|data_structures)/' "$folder"; then
        echo "the engine ($folder/) may not include a JUCE GUI module"
        status=1
    fi
done

[ $status -eq 0 ] && echo "layers: every include runs downwards"
exit $status
