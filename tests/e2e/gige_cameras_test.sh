#!/usr/bin/env bash
# The ways real GenICam cameras differ, one case a row: Aravis's GigE Vision fake camera serves a
# description derived from its own (tests/e2e/fake_descriptions.cpp) or is left in a state by
# another program, and the real vantrel, run as an ordinary account in a private network
# namespace, starts it as the side camera. Each case checks that live pictures arrive or that the
# message says why they cannot, and that every feature the module may touch reads the same after
# Vantrel closed as before it started. Screenshots stay in the build's e2e-artefacts/gige-cameras.
set -euo pipefail
BUILD_DIR=${VANTREL_BUILD_DIR:?}
source "${VANTREL_SOURCE_DIR:?}/scripts/gige-fake.sh"
gige_enter_namespace "$0" "$@"
source "$VANTREL_SOURCE_DIR/scripts/x11-driver.sh"
export X11_ENGLISH=1

for needed in "$BUILD_DIR/bin/VantrelTestHooks.so" "$BUILD_DIR/tests/fake_descriptions"; do
    [ -e "$needed" ] || { echo "$needed is missing"; exit 1; }
done
artefacts="$BUILD_DIR/tests/e2e-artefacts/gige-cameras"
rm -rf "$artefacts"
mkdir -p "$artefacts"
descriptions=$(mktemp -d)
work=$(mktemp -d)
chmod 755 "$descriptions"
chmod 777 "$work"
"$BUILD_DIR/tests/fake_descriptions" "$descriptions"
pid=""
holder=""
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    [ -z "$holder" ] || kill "$holder" 2>/dev/null || true
    gige_fake_stop_all
    x11_stop
    rm -rf "$work" "$descriptions"
}
trap cleanup EXIT
x11_start
chmod 777 "$XDG_RUNTIME_DIR"

source "$VANTREL_SOURCE_DIR/tests/e2e/checks.sh"
said() { grep -qF -- "$1" "$work/messages.log" 2>/dev/null; }
ended() { ! kill -0 "$pid" 2>/dev/null; }

# Every feature the module may write, read through the fake's own control channel.
features=(PixelFormat Width Height OffsetX OffsetY BinningHorizontal BinningVertical
    TriggerSelector TriggerMode AcquisitionMode AcquisitionFrameRate ExposureTimeAbs GainRaw
    GevSCPSPacketSize AcquisitionFrameRateEnable AcquisitionFrameRateMode ExposureAuto)
read_features() { arv-tool-0.8 -a 127.0.0.1 control "${features[@]}" 2>&1 | sed 's/ min:.*$//'; }

# NAME | DESCRIPTION | STATE another program left (features to write, "hold" for a program that
# keeps the control channel, "no stream" for a camera whose stream never arrives) | EXPECTED:
# "live", "live:NOTICE" (a message after Start), "says:MESSAGE" (during live view) or
# "fails:REASON" (after "Cannot start Camera").
cases=(
    "older names|stock||live"
    "standard names|sfnc||live"
    "gain in decibel steps|gain-db-steps||live"
    "temperature behind a selector|temperature-selector||live"
    "rate with an enable flag|rate-enable||live"
    "rate with a mode|rate-mode||live"
    "read-only rate|rate-readonly||live"
    "1280 x 1024 with binning|sensor-binning||live"
    "1280 x 1024 without binning|sensor-no-binning||live:cannot bin its 1280 × 1024 sensor: the picture is its centre 640 × 480, 25 % of the field of view"
    "fixed 1280 x 1024|fixed-size||fails:cannot give a 640 × 480 picture (sensor 1280 × 1024)"
    "colour only|colour||fails:gives no 8-bit grey picture (Mono8)"
    "triggers on|stock|TriggerSelector=AcquisitionStart TriggerMode=On TriggerSelector=FrameStart TriggerMode=On|live"
    "Mono16|stock|PixelFormat=Mono16|live"
    "region and single frames|stock|Width=1000 Height=900 OffsetX=8 OffsetY=4 AcquisitionMode=SingleFrame ExposureTimeAbs=15000 GainRaw=2|live"
    "locked while acquiring, auto exposure on|locked|AcquisitionStart|live"
    "held by another program|stock|hold|fails:is in use by another program"
    "stream that never arrives|stock|no stream|says:answers, but no picture arrives. Check that the firewall"
)

run_case() {
    local name=$1 description=$2 state=$3 expected=$4 shot dialog before after status=0
    shot="$artefacts/$(tr ' ' '-' <<<"$name").png"
    local loss=()
    # The fake drops every stream packet, as a firewall would.
    [ "$state" != "no stream" ] || loss=(-r 1000)
    gige_fake_start 127.0.0.1 GV01 -g "$descriptions/$description.xml" "${loss[@]}"
    if [ "$state" = hold ]; then
        arv-camera-test-0.8 -n Aravis-Fake-GV01 >/dev/null 2>&1 &
        holder=$!
        sleep 2
    elif [ -n "$state" ] && [ "$state" != "no stream" ]; then
        # shellcheck disable=SC2086
        arv-tool-0.8 -a 127.0.0.1 control $state >/dev/null
    fi
    before=$(read_features)
    rm -f "$work/messages.log"
    (cd "$work" && unset VANTREL_CAMERA && exec env LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 \
        HOME="$work" VANTREL_CAMERA_SERIALS=RR=GV01 VANTREL_MSGBOX_LOG="$work/messages.log" \
        $(gige_user_prefix) "$BUILD_DIR/bin/vantrel" \
        >"$artefacts/$description.out" 2>&1) &
    pid=$!
    dialog=$(x11_wait_window '^Vantrel \(')
    xdotool windowmove "$dialog" 0 0
    x11_click_control "$dialog" 2000  # Start Camera
    case $expected in
        live*)
            local side top
            side=$(x11_wait_window '^Right-Right$') || true
            top=$(x11_wait_window '^Right-Top$') || true
            # The windows open on top of each other: the top camera's (black) apart.
            [ -z "$side" ] || xdotool windowmove --sync "$side" 0 420
            [ -z "$top" ] || xdotool windowmove --sync "$top" 660 420
            if [ "$expected" != live ]; then
                check "$name: says '${expected#live:}'" until_true 10 said "${expected#live:}"
                x11_answer_message_box || true
            fi
            check "$name: live pictures arrive" until_true 10 shows_picture "$side"
            ;;
        says:*)
            check "$name: says '${expected#says:}'" until_true 15 said "${expected#says:}"
            x11_answer_message_box || true
            ;;
        fails:*)
            check "$name: says why it cannot start" until_true 15 said "${expected#fails:}"
            check "$name: after 'Cannot start Camera'" said "Cannot start Camera"
            x11_answer_message_box || true
            ;;
    esac
    x11_shot "$shot"
    x11_key "$dialog" Escape
    if ! until_true 10 ended; then
        # Escape reached another window, or a message came up (on a loaded machine a stream may
        # fall silent for a moment): what was on the screen, then the dialog is closed again. A
        # vantrel that hangs while closing does not end either way.
        echo "$name: still running 10 s after Escape; focus on '$(xdotool getwindowfocus \
            getwindowname 2>/dev/null)'; messages: $(tr '\n' ' ' 2>/dev/null \
            <"$work/messages.log")"
        x11_shot "${shot%.png}-not-ended.png"
        [ -z "$(x11_find_windows '^Vantrel$')" ] || x11_answer_message_box || true
        x11_key "$dialog" Escape
        until_true 15 ended || kill "$pid" 2>/dev/null || true
    fi
    wait "$pid" || status=$?
    pid=""
    check "$name: vantrel ends cleanly (status $status)" test "$status" -eq 0
    if [ -n "$holder" ]; then
        kill "$holder" 2>/dev/null || true
        wait "$holder" 2>/dev/null || true
        holder=""
    else
        after=$(read_features)
        check "$name: the camera is left as it was found" test "$after" = "$before"
        [ "$after" = "$before" ] || diff <(echo "$before") <(echo "$after") || true
    fi
    gige_fake_stop GV01
}

for row in "${cases[@]}"; do
    IFS='|' read -r name description state expected <<<"$row"
    run_case "$name" "$description" "$state" "$expected"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
