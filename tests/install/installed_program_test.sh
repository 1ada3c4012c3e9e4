#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks the result the way a user meets it:
#   installed_program_test.sh BUILD_DIR SCREENSHOT.png
# The layout (program with its course in lib/pencora, the `pencora` link on the PATH, menu
# entry, metadata and icons), the validators' verdict on the desktop and metainfo files, and
# the installed program started through its link under a virtual display.
set -euo pipefail
build=$1
shot=$2
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

program=$prefix/lib/pencora/pencora
[ -x "$program" ] || fail "no program at lib/pencora/pencora"
[ -L "$prefix/bin/pencora" ] || fail "bin/pencora is not a link"
[ "$(readlink -f "$prefix/bin/pencora")" = "$(readlink -f "$program")" ] ||
    fail "bin/pencora does not lead to lib/pencora/pencora"
case "$(readlink "$prefix/bin/pencora")" in
    /*) fail "bin/pencora is an absolute link; the package could not be moved" ;;
esac
for f in xml/unit.xml xml/hanzi1.xml xml/hanzi12.xml sndsoft/begin.mp3; do
    [ -f "$prefix/lib/pencora/Data/$f" ] || fail "the sample course lacks Data/$f"
done
desktop=$prefix/share/applications/example.pencora.Pencora.desktop
metainfo=$prefix/share/metainfo/example.pencora.Pencora.metainfo.xml
for size in 16 22 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/pencora.png
    [ -f "$icon" ] || fail "no ${size}x${size} icon"
    file -b "$icon" | grep -q "PNG image data, $size x $size" || fail "$icon is not $size px"
done

desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Categories=Education;Languages;' "$desktop" || fail "menu categories"
grep -q '^Name\[zh_CN\]=' "$desktop" || fail "no Chinese name in the menu entry"
# --no-net: the screenshot and home page addresses are checked where there is a network.
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

"$here/start_installed.sh" "$prefix/bin" "$shot"
