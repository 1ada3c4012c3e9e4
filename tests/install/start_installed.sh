#!/usr/bin/env bash
# Starts an installed Pencora under a virtual X display and checks what a user would see:
#   start_installed.sh BIN_DIR SCREENSHOT.png
# The program is started as the `pencora` command found in BIN_DIR, from the root folder, so
# it has to find its course through the command's link alone. It passes when the main window
# "Pencora" is shown with the program's icon, no message box (a missing catalogue would
# raise one), the catalogue tree filled, and the program still running a few seconds later.
set -euo pipefail
bin_dir=$1
shot=$2
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    set +e
    if [ -n "$app_pid" ]; then
        kill "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -s "$work/app.log" ] && sed 's/^/  pencora: /' "$work/app.log" >&2
    exit 1
}

# A display of our own, on a number away from the low ones people start by hand; the server
# counts as started once a client can talk to it. -noreset: without it the server resets
# when its last client leaves, and a client connecting meanwhile is turned away.
start_display() {
    local attempt n
    for attempt in $(seq 10); do
        n=$((200 + RANDOM % 700))
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 50); do
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    done
    fail "Xvfb did not start: $(cat "$work/xvfb.log")"
}
start_display

(cd / && exec env PATH="$bin_dir:$PATH" SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb pencora) \
    >"$work/app.log" 2>&1 &
app_pid=$!

# The windows the program shows: the main window, and any message box beside it.
shown_windows() {
    local w
    for w in $(xdotool search --onlyvisible --name '' 2>/dev/null || true); do
        if [ "$(xprop -id "$w" _NET_WM_PID 2>/dev/null)" = "_NET_WM_PID(CARDINAL) = $app_pid" ]; then
            echo "$w"
        fi
    done
}
describe() {
    echo "\"$(xdotool getwindowname "$1")\" $(xprop -id "$1" _NET_WM_WINDOW_TYPE | sed 's/.*= //')"
}

for _ in $(seq 60); do
    [ -n "$(shown_windows)" ] && break
    if ! kill -0 "$app_pid" 2>/dev/null; then
        status=0
        wait "$app_pid" || status=$?
        app_pid=""
        fail "pencora ended (status $status) before it showed a window on $DISPLAY"
    fi
    sleep 0.5
done
# Let the first show fill the tree and paint, then check the program is still there.
sleep 3
kill -0 "$app_pid" 2>/dev/null || fail "pencora ended after showing its window"
mapfile -t shown < <(shown_windows)
[ "${#shown[@]}" -gt 0 ] || fail "no window within 30 seconds"
if [ "${#shown[@]}" -ne 1 ]; then
    for w in "${shown[@]}"; do echo "  shown: $(describe "$w")" >&2; done
    fail "expected only the main window, found ${#shown[@]} windows"
fi
window=${shown[0]}
[ "$(describe "$window")" = '"Pencora" _NET_WM_WINDOW_TYPE_NORMAL' ] ||
    fail "the window shown is not the main window: $(describe "$window")"
# Only the head of the property: the whole of it is every size's pixels.
icon=$(xprop -len 8 -id "$window" _NET_WM_ICON)
[[ "$icon" == *"CARDINAL) = "* ]] || fail "the main window has no icon: $icon"

import -window "$window" "$shot"
# The catalogue tree fills the left 190 pixels under the toolbar; an empty tree is plain
# white, a filled one has captions, icons and the highlighted first lesson.
colours=$(import -window "$window" -crop 180x200+4+70 +repage txt:- | tail -n +2 |
    awk '{print $3}' | sort -u | wc -l)
[ "$colours" -gt 8 ] || fail "the catalogue tree looks empty ($colours colours)"
echo "ok: window $window shown, icon set, tree drawn in $colours colours; screenshot $shot"
