#!/bin/sh
# Makes resources/help/PresetLibrarianHelp.pdf from PresetLibrarianHelp.htm with Debian's
# headless Chromium, installing Chromium first when it is missing. The PDF is committed, so
# building the program never needs a browser: run this after editing the help page and commit
# both files.
#
# Usage: tools/make-help-pdf.sh [output.pdf]
set -eu

repo="$(cd "$(dirname "$0")/.." && pwd)"
source_page="$repo/resources/help/PresetLibrarianHelp.htm"
output="${1:-$repo/resources/help/PresetLibrarianHelp.pdf}"

[ -f "$source_page" ] || { echo "missing: $source_page" >&2; exit 1; }

if ! command -v chromium >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: chromium"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends chromium
fi

# A profile of its own, so the run neither reads nor leaves anything in the user's Chromium
# settings; removed again on the way out.
profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT INT TERM

case "$output" in
    /*) ;;
    *) output="$PWD/$output" ;;
esac
rm -f "$output"

# Chromium's sandbox cannot start as root, and a machine without a display has no GPU to
# offer; neither matters for printing one local page. The page sets its own A4 size, margins
# and page numbers, so the browser's header and footer lines are switched off.
chromium --headless --no-sandbox --disable-gpu --disable-dev-shm-usage \
    --no-first-run --no-default-browser-check --disable-extensions \
    --user-data-dir="$profile" \
    --no-pdf-header-footer \
    --print-to-pdf="$output" \
    "file://$source_page" 2>"$profile/chromium.log" || {
    cat "$profile/chromium.log" >&2
    exit 1
}

if [ ! -s "$output" ]; then
    cat "$profile/chromium.log" >&2
    echo "Chromium made no PDF" >&2
    exit 1
fi

echo "Wrote $output"
