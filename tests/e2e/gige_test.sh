#!/usr/bin/env bash
# The real vantrel and its real modules against two of Aravis's GigE Vision fake cameras on the
# loopback interface, all in a private network namespace, with VANTREL_CAMERA unset as when the
# program is started from the desktop menu, run by an ordinary account as technicians run it.
# The side camera (RR) is GV01 on 127.0.0.1, the top camera (RT) GV02 on 127.0.0.2, which loses
# 2% of its stream packets. Covers: live pictures arriving, snapshots at random moments never
# black, the rate asked of the cameras, a camera killed while live and found again at the next
# Start, a pulled cable (the camera stops answering, then answers again with its settings), and
# the cameras left as they were found, also after a pulled cable and with acquisition stopped.
# Screenshots stay in the build's e2e-artefacts/gige folder.
set -euo pipefail
BUILD_DIR=${VANTREL_BUILD_DIR:?}
source "${VANTREL_SOURCE_DIR:?}/scripts/gige-fake.sh"
gige_enter_namespace "$0" "$@"
source "$VANTREL_SOURCE_DIR/scripts/x11-driver.sh"
export X11_ENGLISH=1  # the English dialog's control rectangles

# The message log, by which the test sees any message box, comes from the test hooks module.
[ -e "$BUILD_DIR/bin/VantrelTestHooks.so" ] || { echo "no test hooks module in $BUILD_DIR/bin"; exit 1; }
artefacts="$BUILD_DIR/tests/e2e-artefacts/gige"
rm -rf "$artefacts"
mkdir -p "$artefacts"
work=$(mktemp -d)
chmod 777 "$work"
pid=""
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    gige_fake_stop_all
    x11_stop
    rm -rf "$work"
}
trap cleanup EXIT

source "$VANTREL_SOURCE_DIR/tests/e2e/checks.sh"
finish() {
    x11_shot "$artefacts/last.png" 2>/dev/null || true
    echo "$passed passed, $failed failed"
    exit $((failed == 0 ? 0 : 1))
}

png_mean() { identify -format '%[fx:mean]' "$1" 2>/dev/null; }
not_black_png() { awk -v m="$(png_mean "$1")" 'BEGIN { exit !(m > 0.2) }'; }
snapshots_written() { png_mean "$work/rr.png" >/dev/null && png_mean "$work/rt.png" >/dev/null; }

gige_fake_start 127.0.0.1 GV01
gige_fake_start 127.0.0.2 GV02 -r 20
# The top camera as another program left it: a region, binning, a wide pixel format, a trigger,
# single frames, 200 frames a second, another exposure and gain.
restored_features=(PixelFormat Width Height OffsetX OffsetY BinningHorizontal BinningVertical
    TriggerSelector TriggerMode AcquisitionMode AcquisitionFrameRate ExposureTimeAbs GainRaw
    GevSCPSPacketSize)
gige_control GV02 BinningHorizontal=2 BinningVertical=2 Width=1000 Height=900 OffsetX=8 \
    OffsetY=4 PixelFormat=Mono16 TriggerSelector=AcquisitionStart TriggerMode=On \
    AcquisitionMode=SingleFrame AcquisitionFrameRate=200 ExposureTimeAbs=15000 GainRaw=2 >/dev/null
found=$(gige_control GV02 "${restored_features[@]}")

x11_start
chmod 777 "$XDG_RUNTIME_DIR"
(cd "$work" && unset VANTREL_CAMERA && exec env LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 HOME="$work" \
    VANTREL_CAMERA_SERIALS=RR=GV01,RT=GV02 VANTREL_MSGBOX_LOG="$work/messages.log" \
    $(gige_user_prefix) "$BUILD_DIR/bin/vantrel" >"$artefacts/vantrel.out" 2>&1) &
pid=$!
dialog=$(x11_wait_window '^Vantrel \(')
xdotool windowmove "$dialog" 0 0
x11_click_control "$dialog" 2000  # Start Camera
side=$(x11_wait_window '^Right-Right$') && top=$(x11_wait_window '^Right-Top$') ||
    { echo "no live windows; vantrel said:"; cat "$artefacts/vantrel.out"; finish; }
xdotool windowmove --sync "$side" 0 420
xdotool windowmove --sync "$top" 660 420

# Live pictures arrive from both cameras and move.
check "side camera shows pictures" until_true 10 shows_picture "$side"
check "top camera shows pictures despite packet loss" until_true 10 shows_picture "$top"
import -window "$side" "$work/first.png"
moved_on() {
    import -window "$side" "$work/now.png"
    [ "$(compare -metric AE "$work/first.png" "$work/now.png" null: 2>&1 | cut -d' ' -f1)" != 0 ]
}
check "side pictures are live" until_true 5 moved_on
x11_shot "$artefacts/live.png"
check "the module asked the top camera for 20 frames a second" \
    grep -qx 'AcquisitionFrameRate = 20' <(gige_control GV02 AcquisitionFrameRate)

# Save Image at random moments: neither picture is ever black.
black=0
for shot in $(seq 15); do
    sleep "0.$((RANDOM % 300))"
    rm -f "$work/rr.png" "$work/rt.png"
    x11_click_control "$dialog" 2010  # Save Image
    if ! until_true 10 snapshots_written; then
        # A message box stands in the way of the rest.
        echo "snapshot $shot: no files; messages: $(cat "$work/messages.log" 2>/dev/null)"
        black=$((black + 1))
        break
    fi
    for file in rr rt; do
        not_black_png "$work/$file.png" || {
            echo "snapshot $shot: $file.png mean $(png_mean "$work/$file.png")"
            cp "$work/$file.png" "$artefacts/black-$shot-$file.png"
            black=$((black + 1))
        }
    done
done
check "fifteen snapshots, none black" test "$black" -eq 0

# The side camera dies while live: its window goes black, the top camera goes on, nothing crashes.
gige_fake_stop GV01
check "the dead camera's window turns black" until_true 20 is_black "$side"
check "the other camera goes on" shows_picture "$top"
check "vantrel survives a camera that dies" kill -0 "$pid"
x11_shot "$artefacts/camera-killed.png"

# Back again: the next Start finds it.
gige_fake_start 127.0.0.1 GV01
x11_click_control "$dialog" 2009  # Stop Camera
x11_click_control "$dialog" 2000  # Start Camera
check "the camera is found again at the next Start" until_true 20 shows_picture "$side"
x11_shot "$artefacts/camera-back.png"

# A pulled cable: the top camera stops answering, keeping its settings, and is plugged in again.
pull_cable() {
    kill -STOP "${GIGE_FAKE_PIDS[GV02]}"
    check "$1: the top window turns black" until_true 20 is_black "$top"
    kill -CONT "${GIGE_FAKE_PIDS[GV02]}"
}
pull_cable "a pulled cable"
x11_click_control "$dialog" 2009  # Stop Camera
x11_click_control "$dialog" 2000  # Start Camera
top=$(x11_wait_window '^Right-Top$')
xdotool windowmove --sync "$top" 660 420
check "the camera is found again after its cable was back" until_true 20 shows_picture "$top"
# Pulled once more, and Vantrel closed while the camera is lost.
pull_cable "a second pulled cable"
sleep 1

x11_key "$dialog" Escape
ended() { ! kill -0 "$pid" 2>/dev/null; }
# A message box left open would hold the dialog: then the program is ended, and the check fails.
until_true 15 ended || kill "$pid"
status=0
wait "$pid" || status=$?
pid=""
check "vantrel ends cleanly" test "$status" -eq 0
check "no message was shown" test ! -s "$work/messages.log"
check "the top camera is left as it was found, though lost twice" \
    test "$(gige_control GV02 "${restored_features[@]}")" = "$found"
# Nothing streams once Vantrel closed: no more than the control traffic on the loopback.
bytes=$(gige_loopback_bytes)
sleep 1
check "acquisition is stopped at release" test $(($(gige_loopback_bytes) - bytes)) -lt 100000
finish
