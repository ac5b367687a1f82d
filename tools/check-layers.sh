#!/bin/bash
# Checks that includes run one way: app -> librarian -> device, presets and simulator -> the
# framework, and cli -> device, presets and simulator. A folder may include its own headers and
# those of the folders below it; the engine (device, presets, simulator) includes no JUCE GUI
# module. From the build folder it is given (required) it also checks that the engine library is
# compiled without the GUI modules, whatever generator made the build folder; and that no view or
# window reaches back into the librarian panel. Prints each fault and fails if there is one, or
# if what it needs to look at is missing. The test command runs it ("ctest -R Layers").
#
# Usage: tools/check-layers.sh BUILD_FOLDER
set -euo pipefail
if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 BUILD_FOLDER (a configured build folder of this tree)" >&2
    exit 2
fi
build=$(realpath "$1")
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

# JUCE compiles a module into each target that links it, and gives the target a definition naming
# it. CMake writes the engine's definitions, links and sources into the build folder as it
# generates it (CMakeLists.txt), with either generator; without that file nothing is proven.
engine_build="$build/layers/tonarel_engine-build.txt"
gui_modules='juce_(gui_basics|gui_extra|graphics|data_structures)'
if [ ! -s "$engine_build" ]; then
    echo "no list of what the engine is built from: $engine_build (configure the build folder again)"
    status=1
elif ! grep -q -x 'JUCE_MODULE_AVAILABLE_juce_core=1' "$engine_build"; then
    echo "the engine's list names no JUCE module, not even juce_core: $engine_build cannot be read"
    status=1
elif grep -n -E "$gui_modules" "$engine_build"; then
    echo "the engine library is compiled with a JUCE GUI module: $engine_build"
    status=1
fi

# The lists and windows of the librarian are views: they show what they are handed and report
# what the user does, and never reach back into the panel that holds them. The panel's own files
# (its header, and each file of its member functions) and the content component that makes it
# may name it; no other file of librarian/ or app/ may, in code (comments are not looked at).
is_panel_file() {
    [ "$1" = librarian/PresetLibrarianManager.h ] ||
        { [[ "$1" == librarian/*.cpp ]] && grep -q 'PresetLibrarianManager::' "$1"; }
}
may_name_panel=(app/ContentComp.h app/ContentComp.cpp)

while IFS= read -r file; do
    is_panel_file "$file" && continue
    [[ " ${may_name_panel[*]} " == *" $file "* ]] && continue
    uses=$(grep -n -w 'PresetLibrarianManager' "$file" | grep -v -E '^[0-9]+:[[:space:]]*(//|/?\*)' || true)
    [ -z "$uses" ] && continue
    sed "s|^|$file:|" <<< "$uses"
    echo "$file is a view or a window and may not reach into the librarian panel"
    status=1
done < <(grep -rl -w 'PresetLibrarianManager' librarian app --include='*.h' --include='*.cpp' | sort)

[ $status -eq 0 ] && echo "layers: every include runs downwards, and the engine has no GUI"
exit $status
