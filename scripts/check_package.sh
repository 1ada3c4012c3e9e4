#!/usr/bin/env bash
# Makes the Debian package and tries it on this machine: install with apt-get, check the
# menu entry, start the installed program under Xvfb on the sample course, remove it and
# check nothing of it is left. Needs root (or sudo) and a release build (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

echo "== Debian package"
rm -f build/pencora_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/pencora_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$(basename "$deb"): Depends: $depends"
if echo "$depends" | tr ',|' '\n\n' | grep -qE -- '-dev( |$)'; then
    fail "the package depends on a development package"
fi

if dpkg-query -W -f='${Status}' pencora 2>/dev/null | grep -q "install ok installed"; then
    fail "pencora is already installed here; remove it first"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -qq "./$deb" >/dev/null
files=$(mktemp)
trap 'rm -f "$files"' EXIT
dpkg -L pencora >"$files"
desktop=/usr/share/applications/example.pencora.Pencora.desktop
[ -f "$desktop" ] || fail "no menu entry $desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
[ "$(command -v pencora)" = /usr/bin/pencora ] || fail "pencora is not on the PATH"

tests/install/start_installed.sh /usr/bin build/installed_package.png

$sudo apt-get remove -y -qq pencora >/dev/null
left=0
while read -r path; do
    if [ -e "$path" ] && [ ! -d "$path" ]; then
        echo "left behind: $path" >&2
        left=1
    fi
done <"$files"
[ ! -e /usr/lib/pencora ] || { echo "left behind: /usr/lib/pencora" >&2; left=1; }
[ "$left" -eq 0 ] || fail "apt-get remove left files behind"
echo "ok: installed, started and removed cleanly"
