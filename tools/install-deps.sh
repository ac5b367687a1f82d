#!/bin/sh
# Installs the Debian packages that building, running and testing TonarelUtil
# need, and only those that are missing. Run as root (or with sudo available).
set -eu

packages="build-essential cmake pkg-config
    juce-modules-source
    libasound2-dev libfreetype-dev libpng-dev libjpeg-dev zlib1g-dev
    libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev
    fonts-dejavu-core
    googletest libgtest-dev libgmock-dev
    clang libclang-rt-14-dev
    xvfb xauth xdotool x11-utils openbox imagemagick libxml2-utils
    gdb python3
    dpkg-dev lintian desktop-file-utils appstream"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

echo "Installing:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
