#!/usr/bin/env bash
# Opens `velmo --window` on a fresh home under a virtual X server, clicks a web tile of the default board
# and expects the store page to have been handed to the device, the board on screen, and a clean exit.
# Usage: device-window-test.sh VELMO WORK_FOLDER. Exit 0 passed, 1 failed, 77 skipped (no X server).
set -u

velmo=$1
work=$2
store='http://itunes.apple.com/app/velmo/id428024839?mt=8'
# The middle of the bottom row's first tile, in screen points (the window is at scale 1).
tile_x=55
tile_y=314

xvfb_pid=
velmo_pid=
cleanup() {
    [ -n "$velmo_pid" ] && kill -KILL "$velmo_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    return 0
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*"
    if [ -f "$work/velmo.log" ]; then
        echo "--- velmo's output"
        cat "$work/velmo.log"
    fi
    exit 1
}

# Polls `condition` every tenth of a second for at most `seconds`; false when it never held.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 10))
    while [ "$tries" -gt 0 ]; do
        "$@" && return 0
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

rm -rf "$work"
mkdir -p "$work/home" || fail "cannot make $work"

# Without any display the window cannot open: a message and status 2.
env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$velmo" --window --home "$work/nodisplay" \
    >"$work/nodisplay.log" 2>&1
status=$?
[ "$status" -eq 2 ] || fail "--window without a display ended with $status, not 2"
grep -q "DISPLAY" "$work/nodisplay.log" || fail "--window without a display did not say why"

# The server picks a free display itself, so parallel runs cannot collide.
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "skipped: Xvfb is not installed"
    exit 77
fi
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display_written() { [ -s "$work/display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; }
wait_for 15 display_written
display=$(tr -dc '0-9' <"$work/display")
if [ -z "$display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "skipped: Xvfb could not start here:"
    cat "$work/xvfb.log"
    exit 77
fi
export DISPLAY=":$display"
unset WAYLAND_DISPLAY

"$velmo" --window --home "$work/home" >"$work/velmo.log" 2>&1 &
velmo_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Velmo$' 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "no window named Velmo appeared"
kill -0 "$velmo_pid" 2>/dev/null || fail "velmo ended before it was used"

timeout 10 xdotool mousemove --window "$window" "$tile_x" "$tile_y" click 1 || fail "xdotool could not click"

# The tile opens its page after a short pause, on the real clock.
store_opened() { grep -qxF "$store" "$work/home/Device/opened-urls.log" 2>/dev/null; }
wait_for 10 store_opened || fail "the store page was not opened after clicking the web tile"

timeout 20 import -window root "$work/screen.png" || fail "no screenshot could be taken"
eval "$(timeout 10 xdotool getwindowgeometry --shell "$window")"
# The board is a picture, not one flat colour: many colours within the window's part of the screen.
colours=$(timeout 20 convert "$work/screen.png" -crop "320x480+${X}+${Y}" +repage -format '%k' info:)
[ "${colours:-0}" -gt 50 ] || fail "the screenshot shows no board (only ${colours:-0} colours in the window)"
echo "screenshot: $work/screen.png"

# Closing ends the application cleanly.
kill -TERM "$velmo_pid"
velmo_ended() { ! kill -0 "$velmo_pid" 2>/dev/null; }
wait_for 10 velmo_ended || fail "velmo did not end within 10 s of being closed"
wait "$velmo_pid"
status=$?
velmo_pid=
[ "$status" -eq 0 ] || fail "velmo ended with status $status after its window was closed"
echo "passed"
exit 0
