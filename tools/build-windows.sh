#!/bin/bash
# Builds TonarelUtil for 64-bit Windows on Debian with MinGW-w64: TonarelUtil.exe,
# TonarelUtilDemo.exe, tonarel.exe and the installer TonarelUtil-<version>-win64.exe, all in
# build-windows/ (or --build-dir). With --test it then runs their tests under Wine, each run with
# a Wine prefix and a home folder of its own inside the build folder.
#
#   tools/build-windows.sh [--test] [--build-dir DIR] [--jobs N]
#
# Installs what is missing (as tools/install-deps.sh does; run as root or with sudo). Debian's
# JUCE leaves out its copies of libpng and libjpeg and Debian has no MinGW build of them, so they
# are cross-built once, static, from Debian's own sources into DIR/deps/prefix, GoogleTest
# (/usr/src/googletest) beside them.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-windows"
jobs=$(nproc)
run_tests=0

while [ $# -gt 0 ]; do
    case "$1" in
        --test) run_tests=1 ;;
        --build-dir) build=$(realpath -m "$2"); shift ;;
        --jobs) jobs="$2"; shift ;;
        *) echo "usage: $0 [--test] [--build-dir DIR] [--jobs N]" >&2; exit 2 ;;
    esac
    shift
done

toolchain="$root/cmake/mingw-w64-x86_64.cmake"
deps="$build/deps"
prefix="$deps/prefix"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

install_packages() {
    "$root/tools/install-deps.sh"
    local packages="mingw-w64 g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 nsis dpkg-dev"
    local missing="" package
    for package in $packages; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $package"
        fi
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

# apt-get source needs a deb-src entry. Where there is none, the system's own binary entries are
# repeated for sources, so the sources come from the same mirror and suites as the packages.
ensure_source_entries() {
    if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        return 0
    fi
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -e "$file" ] || continue
        sed -E 's/^Types:.*/Types: deb-src/' "$file" \
            | $sudo tee "/etc/apt/sources.list.d/$(basename "$file" .sources)-src.sources" >/dev/null
    done
    if [ -s /etc/apt/sources.list ]; then
        sed -nE 's/^deb(\s)/deb-src\1/p' /etc/apt/sources.list \
            | $sudo tee /etc/apt/sources.list.d/system-src.list >/dev/null
    fi
    $sudo apt-get update -qq
}

# One CMake project of Debian's sources, cross-built static into the prefix.
cross_build_library() {
    local source="$1"; shift
    cmake -S "$source" -B "$source/build-windows" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DTONAREL_WINDOWS_LIBS="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_BUILD_TYPE=Release "$@" >"$source/build-windows.log"
    nice cmake --build "$source/build-windows" -j"$jobs" >>"$source/build-windows.log"
    cmake --install "$source/build-windows" >>"$source/build-windows.log"
}

# The newest source of a package, or the release's own where a mirror lacks the newest (a
# security update's source, say).
fetch_source() {
    local codename
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    (cd "$deps/sources" && { apt-get source -qq "$1" >/dev/null 2>&1 \
        || apt-get source -qq "$1/$codename" >/dev/null; })
}

build_libraries() {
    [ -e "$prefix/.complete" ] && return 0
    ensure_source_entries
    rm -rf "$deps"
    mkdir -p "$deps/sources" "$prefix"
    fetch_source libpng1.6
    fetch_source libjpeg-turbo

    local png jpeg
    png=$(find "$deps/sources" -maxdepth 1 -type d -name 'libpng1.6-*')
    jpeg=$(find "$deps/sources" -maxdepth 1 -type d -name 'libjpeg-turbo-*')

    echo "Cross-building libpng, libjpeg-turbo and GoogleTest into $prefix"
    cross_build_library "$png" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
    cross_build_library "$jpeg" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DWITH_SIMD=OFF
    # JUCE's loader defines JPEG_INTERNALS, which includes jpegint.h beside jpeglib.h.
    cp "$jpeg/jpegint.h" "$prefix/include/"
    # jconfig.h leaves out libjpeg's boolean where the Windows RPC header has declared its own;
    # JUCE includes the library in a namespace of its own, where that one is not seen.
    sed -i '/#ifndef __RPCNDR_H__/,/#endif/{/#ifndef __RPCNDR_H__/d;/#endif/d}' "$prefix/include/jconfig.h"
    grep -q '^typedef unsigned char boolean;' "$prefix/include/jconfig.h"

    mkdir -p "$deps/googletest"
    cp -r /usr/src/googletest/. "$deps/googletest/"
    cross_build_library "$deps/googletest" -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF

    touch "$prefix/.complete"
}

build_programs() {
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTONAREL_WINDOWS_LIBS="$prefix" \
        -DJUCE_DIR="$(dirname "$(dpkg -L juce-modules-source | grep -m1 '/JUCEConfig.cmake$')")" \
        -DTONAREL_LINUX_COMMAND_LINE="$linux_build/tonarel" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
    nice cmake --build "$build" -j"$jobs"
    (cd "$build" && cpack -G NSIS)
}

# The end-to-end tests hold the Windows programs' files to what the Linux command line writes.
# The Linux build of the README's commands (build/) has it, and is only brought up to date; without
# one it is built, alone, in a tree of its own inside the build folder.
if [ -f "$root/build/CMakeCache.txt" ]; then
    linux_build=$root/build
else
    linux_build=$build/linux-reference
fi

build_linux_reference() {
    [ -f "$linux_build/CMakeCache.txt" ] ||
        cmake -S "$root" -B "$linux_build" -DTONAREL_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
    nice cmake --build "$linux_build" -j"$jobs" --target tonarel
}

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

install_packages
build_libraries
build_programs

if [ "$run_tests" -eq 1 ]; then
    build_linux_reference
    xvfb-run -a "$root/tests/windows/run-windows-tests.sh" "$build" "$jobs"
fi
