#!/usr/bin/env bash
# A tour of Vantrel's live view on the current X display, with the simulated cameras, checking
# each step and leaving a screenshot of it in OUTDIR:
#   start, a few seconds of frames, the focus tool on, a click in a live window that moves the
#   focus marker, Save Image (the snapshots land in OUTDIR), Show Sample, the Alignment Assistant
#   from the window menu, and stop.
# The simulated cameras are turned off their reference, the top one 1 % nearer
# (VANTREL_SIM_POSE), unless the caller sets a pose of its own, so that the assistant has
# something to show.
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
    last_shot="$OUTDIR/$(printf '%02d' "$step")-$1.png"
    x11_shot "$last_shot"
    echo "  ${last_shot##*/}"
}
# A screenshot of one window alone, for the documentation.
window_shot() {
    import -window "$2" "$OUTDIR/window-$1.png"
}
# Moves a window to X Y, pulled back as far as its size allows to lie within the screen (the
# layout is made for the test server's wide screen; a laptop's is smaller): place WINDOW X Y.
place() {
    local screen_w screen_h key value w=0 h=0
    read -r screen_w screen_h < <(xdotool getdisplaygeometry)
    while IFS='=' read -r key value; do
        case $key in
            WIDTH) w=$value ;;
            HEIGHT) h=$value ;;
        esac
    done < <(xdotool getwindowgeometry --shell "$1")
    xdotool windowmove "$1" "$(( $2 + w > screen_w ? (screen_w > w ? screen_w - w : 0) : $2 ))" \
        "$(( $3 + h > screen_h ? (screen_h > h ? screen_h - h : 0) : $3 ))"
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
VANTREL_CAMERA=${VANTREL_CAMERA:-sim-dalsa} VANTREL_SIM_POSE=${VANTREL_SIM_POSE-RR=12,-5,1.5;RT=0,3,-0.4,1} \
    "$BUILD_DIR/bin/vantrel" >"$OUTDIR/vantrel.out" 2>&1 &
pid=$!
dialog=$(x11_wait_window '^Vantrel \(') || fail "the dialog did not appear"
xdotool windowmove "$dialog" 0 0
sleep 0.5
shot dialog
window_shot dialog "$dialog"

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
window_shot dialog-live "$dialog"
window_shot side "$side"
window_shot top "$top"
[ "$(changed "$OUTDIR/02-live-view.png" "$OUTDIR/03-focus-moved.png" "30x30+85+455")" -gt 0 ] ||
    fail "the focus marker did not move to the click"

rm -f "$OUTDIR/rr.png" "$OUTDIR/rt.png"
x11_click_control "$dialog" 2010   # Save Image
for _ in $(seq 100); do [ -s "$OUTDIR/rr.png" ] && [ -s "$OUTDIR/rt.png" ] && break; sleep 0.05; done
[ "$(identify -format '%w %h %[channels]' "$OUTDIR/rr.png" 2>/dev/null)" = "640 480 gray" ] ||
    fail "Save Image wrote no 640 x 480 grey rr.png"
[ -s "$OUTDIR/rt.png" ] || fail "Save Image wrote no rt.png"
echo "  rr.png, rt.png"

x11_click_control "$dialog" 2022   # Show Sample
rr=$(x11_wait_window '^RR Sample$') || fail "no RR Sample window"
rt=$(x11_wait_window '^RT Sample$') || fail "no RT Sample window"
place "$rr" 1320 0
place "$rt" 1320 500
sleep 0.5
shot samples
window_shot rr-sample "$rr"
window_shot rt-sample "$rt"
[ "$(identify -format '%w %h' "$OUTDIR/window-rr-sample.png")" = "640 480" ] ||
    fail "the sample window is not 640 x 480"

# The Alignment Assistant, from the window menu: Close, then the assistant, then About.
x11_key "$dialog" alt+space
sleep 0.3
xdotool key Down Down Return
assistant=$(x11_wait_window '^(Alignment Assistant|정렬 도우미)$') || fail "no Alignment Assistant window"
place "$assistant" 1260 0
sleep 2
shot assistant
window_shot assistant "$assistant"
sleep 1
import -window "$assistant" "$OUTDIR/.assistant-later.png"
[ "$(identify -format '%w %h' "$OUTDIR/window-assistant.png")" = \
  "$(identify -format '%w %h' "$OUTDIR/.assistant-later.png")" ] &&
    [ "$(compare -metric AE "$OUTDIR/window-assistant.png" "$OUTDIR/.assistant-later.png" null: 2>&1 |
        cut -d' ' -f1)" -gt 0 ] || fail "the assistant does not follow the live pictures"
rm -f "$OUTDIR/.assistant-later.png"

x11_click_control "$dialog" 2009   # Stop Camera
sleep 0.5
shot stopped
sleep 0.5
x11_shot "$OUTDIR/.after-stop.png"
[ "$(changed "$last_shot" "$OUTDIR/.after-stop.png" "640x480+0+420")" -eq 0 ] ||
    fail "the live view still changes after Stop"
rm -f "$OUTDIR/.after-stop.png"

x11_key "$dialog" Escape
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "vantrel ended with status $status"
echo "tour: all steps passed"
