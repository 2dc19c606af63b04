#!/usr/bin/env bash
# Starts the program on a virtual display, checks that its window maps with its title and size,
# saves a picture of the screen, then presses Esc and checks that the program ends with status 0.
#   run_on_xvfb.sh BUILD_DIR SCREENSHOT_PNG
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR SCREENSHOT_PNG" >&2
    exit 2
fi
BUILD_DIR=$(cd "$1" && pwd)
SHOT=$2
HERE=$(cd "$(dirname "$0")" && pwd)
APP="$BUILD_DIR/bin/quenlo"
TITLE="Quenlo通讯录批量导入工具"
WIDTH=1000
HEIGHT=580

fail() {
    echo "smoke: $*" >&2
    exit 1
}
[ -x "$APP" ] || fail "no program at $APP"

# The screen grabber: the one the test build made, or one made here for ./dev run.
GRAB=${QUENLO_SCREEN_GRAB:-}
if [ -z "$GRAB" ]; then
    GRAB="$BUILD_DIR/screen-grab/quenlo-screen-grab"
    if [ ! -x "$GRAB" ]; then
        cmake -S "$HERE" -B "$BUILD_DIR/screen-grab" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
        cmake --build "$BUILD_DIR/screen-grab" >/dev/null
    fi
fi

WORK=$(mktemp -d)
XVFB_PID=
APP_PID=
cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

# A screen a little larger than the window, so the picture is mostly the window.
exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 1100x680x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
exec 3>&-
for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    sleep 0.1
done
[ -s "$WORK/display" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
export DISPLAY=":$(head -n1 "$WORK/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

"$APP" >"$WORK/app.log" 2>&1 &
APP_PID=$!

WINDOW=
for _ in $(seq 150); do
    WINDOW=$(xdotool search --onlyvisible --name "$TITLE" 2>/dev/null | head -n1 || true)
    [ -n "$WINDOW" ] && break
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before its window appeared: $(cat "$WORK/app.log")"
    sleep 0.1
done
[ -n "$WINDOW" ] || fail "no window titled $TITLE appeared"

NAME=$(xdotool getwindowname "$WINDOW")
case "$NAME" in
    "$TITLE"*) ;;
    *) fail "window title is '$NAME'" ;;
esac
# Nothing draws a frame on a bare X server, so the outer size is the client size.
SIZE=$(xwininfo -id "$WINDOW" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$SIZE" = "${WIDTH}x${HEIGHT}" ] || fail "window is $SIZE, not ${WIDTH}x${HEIGHT}"
# Centred on the 1100 x 680 screen.
CORNER=$(xwininfo -id "$WINDOW" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4} END {print x "," y}')
[ "$CORNER" = "50,50" ] || fail "window stands at $CORNER, not centred at 50,50"

sleep 1  # let the first paint land
mkdir -p "$(dirname "$SHOT")"
"$GRAB" "$SHOT" || fail "could not save the screenshot"

xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
xdotool key Escape
STATUS=
for _ in $(seq 100); do
    if ! kill -0 "$APP_PID" 2>/dev/null; then
        set +e
        wait "$APP_PID"
        STATUS=$?
        set -e
        break
    fi
    sleep 0.1
done
APP_PID_DONE=$APP_PID
[ -n "$STATUS" ] || fail "Esc did not close the window"
APP_PID=
[ "$STATUS" -eq 0 ] || fail "the program ended with status $STATUS: $(cat "$WORK/app.log")"
echo "smoke: window '$NAME' ${SIZE}, screenshot in $SHOT, closed by Esc with status 0 (pid $APP_PID_DONE)"
