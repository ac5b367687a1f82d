#!/bin/sh
# Builds the Debian package from a built tree and checks it as an installed system would see
# it: the files it holds, the libraries it depends on, its desktop entries and AppStream data,
# the versions it states, and lintian's verdict. CTest runs it ("ctest -L package").
#
#   tools/check-package.sh <cpack> <build folder> <work folder> <version>
#
# A tool that is missing fails the check: a package nobody validated is not a checked package.
set -eu

[ $# -eq 4 ] || { echo "usage: $0 <cpack> <build folder> <work folder> <version>" >&2; exit 2; }
cpack=$1
build=$(cd "$2" && pwd)
work=$3
version=$4

fail()
{
    echo "FAIL: $*" >&2
    exit 1
}

missing=""
for tool in "$cpack" dpkg-deb dpkg-shlibdeps dpkg-parsechangelog desktop-file-validate appstreamcli lintian; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $(basename "$tool")"
done
[ -z "$missing" ] || fail "missing:$missing (tools/install-deps.sh installs them)"

rm -rf "$work"
mkdir -p "$work"

echo "== cpack -G DEB"
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack could not build the package"; }
deb="$work/tonarelutil_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work"; fail "no $(basename "$deb")"; }

echo "== files"
dpkg-deb -x "$deb" "$work/root"
(cd "$work/root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$work/files"
LC_ALL=C sort >"$work/expected-files" <<EOF
usr/bin/TonarelUtil
usr/bin/TonarelUtilDemo
usr/bin/tonarel
usr/share/applications/org.tonarelutil.TonarelUtil.desktop
usr/share/applications/org.tonarelutil.TonarelUtilDemo.desktop
usr/share/doc/tonarelutil/PresetLibrarianHelp.htm
usr/share/doc/tonarelutil/PresetLibrarianHelp.pdf
usr/share/doc/tonarelutil/changelog.gz
usr/share/doc/tonarelutil/copyright
usr/share/icons/hicolor/128x128/apps/tonarelutil.png
usr/share/icons/hicolor/256x256/apps/tonarelutil.png
usr/share/icons/hicolor/32x32/apps/tonarelutil.png
usr/share/icons/hicolor/48x48/apps/tonarelutil.png
usr/share/icons/hicolor/64x64/apps/tonarelutil.png
usr/share/man/man1/TonarelUtil.1.gz
usr/share/man/man1/TonarelUtilDemo.1.gz
usr/share/man/man1/tonarel.1.gz
usr/share/metainfo/org.tonarelutil.TonarelUtil.metainfo.xml
EOF
diff -u "$work/expected-files" "$work/files" || fail "the package's files differ from the list"

echo "== dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends"
# libc6 and libasound2 come from dpkg-shlibdeps, libx11-6 from the list of dlopened libraries.
for package in libc6 libasound2 libfreetype6 libx11-6; do
    case ", $depends," in
        *", $package "* | *", $package,"*) ;;
        *) fail "Depends lacks $package" ;;
    esac
done

echo "== versions"
changelog_version=$(gzip -dc "$work/root/usr/share/doc/tonarelutil/changelog.gz" |
    dpkg-parsechangelog -l - -S Version)
metainfo_version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' \
    "$work/root/usr/share/metainfo/org.tonarelutil.TonarelUtil.metainfo.xml" | head -n 1)
echo "package $(dpkg-deb -f "$deb" Version), changelog $changelog_version, metainfo $metainfo_version"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
[ "$changelog_version" = "$version" ] || fail "packaging/debian/changelog has no entry for $version"
[ "$metainfo_version" = "$version" ] || fail "the metainfo's latest release is not $version"

echo "== desktop-file-validate"
for entry in "$work/root/usr/share/applications/"*.desktop; do
    # It exits with success on warnings and hints; any of them fails the check.
    report=$(desktop-file-validate "$entry" 2>&1) && [ -z "$report" ] ||
        { echo "$report"; fail "$(basename "$entry") is not valid"; }
done

echo "== appstreamcli validate-tree"
# The tree check also ties the metainfo to its desktop entry and icons; --no-net because the
# check must not depend on the network.
appstreamcli validate-tree --no-net "$work/root" || fail "the AppStream data is not valid"

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb" || fail "lintian"

echo "OK: $(basename "$deb")"
