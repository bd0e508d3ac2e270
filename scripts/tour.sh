#!/usr/bin/env bash
# A tour of Vantrel's live view on the current X display, with the simulated cameras, checking
# each step and leaving a screenshot of it in OUTDIR:
#   start, a few seconds of frames, the focus tool on, a click in a live window that moves the
#   focus marker, and stop.
# Usage: tour.sh BUILD_DIR OUTDIR
set -euo pipefail
BUILD_DIR=$(cd "$1" && pwd)
OUTDIR=$2
source "$(dirname "$0")/x11-driver.sh"
mkdir -p "$OUTDIR"
OUTDIR=$(cd "$OUTDIR" && pwd)

step=0
shot() {
    step=$((step + 1))
    x11_shot "$OUTDIR/$(printf '%02d' "$step")-$1.png"
    echo "  $(printf '%02d' "$step")-$1.png"
}
fail() {
    echo "tour: $*" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
}
# Pixels that differ between the same region of two screenshots: region WxH+X+Y.
changed() {
    local a b
    a=$(mktemp --suffix=.png)
    b=$(mktemp --suffix=.png)
    convert "$1" -crop "$3" +repage "$a"
    convert "$2" -crop "$3" +repage "$b"
    compare -metric AE "$a" "$b" null: 2>&1 | cut -d' ' -f1 || true
    rm -f "$a" "$b"
}

cd "$OUTDIR"
VANTREL_CAMERA=${VANTREL_CAMERA:-sim-dalsa} "$BUILD_DIR/bin/vantrel" >"$OUTDIR/vantrel.out" 2>&1 &
pid=$!
dialog=$(x11_wait_window '^Vantrel \(') || fail "the dialog did not appear"
xdotool windowmove "$dialog" 0 0
sleep 0.5
shot dialog

x11_click_control "$dialog" 2017   # the focus tool on
x11_click_control "$dialog" 2000   # Start Camera
side=$(x11_wait_window '^Right-Right$') || fail "no side window after Start"
top=$(x11_wait_window '^Right-Top$') || fail "no top window after Start"
xdotool windowmove "$side" 0 420
xdotool windowmove "$top" 660 420
sleep 2.5
shot live-view
grep -q "current exposure" "$OUTDIR/vantrel.out" || fail "no exposure line on standard output"

# The read-outs left "-" behind: the side gain read-out's area changed since the first shot.
read -r rx ry rw rh < <("$BUILD_DIR/tests/control_rect" 1025)
[ "$(changed "$OUTDIR/01-dialog.png" "$OUTDIR/02-live-view.png" "${rw}x${rh}+${rx}+${ry}")" -gt 0 ] ||
    fail "the gain read-out did not change"

x11_click_at "$side" 100 50       # move the focus marker
sleep 1
shot focus-moved
[ "$(changed "$OUTDIR/02-live-view.png" "$OUTDIR/03-focus-moved.png" "30x30+85+455")" -gt 0 ] ||
    fail "the focus marker did not move to the click"

x11_click_control "$dialog" 2009   # Stop Camera
sleep 0.5
shot stopped
sleep 0.5
x11_shot "$OUTDIR/.after-stop.png"
[ "$(changed "$OUTDIR/04-stopped.png" "$OUTDIR/.after-stop.png" "640x480+0+420")" -eq 0 ] ||
    fail "the live view still changes after Stop"
rm -f "$OUTDIR/.after-stop.png"

x11_key "$dialog" Escape
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "vantrel ended with status $status"
echo "tour: all steps passed"
