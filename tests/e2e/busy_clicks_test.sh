#!/usr/bin/env bash
# Clicks and keys that arrive while Start Camera is still running. A real camera takes its time
# to open, and window creation runs the event loop, so what a person does meanwhile reaches the
# program in the middle of Start. The faulty module stands in for the camera with an InitDevice
# of 1.5 s and a trace of every call; the real vantrel runs under Xvfb and gets real X events.
set -euo pipefail
BUILD_DIR=${VANTREL_BUILD_DIR:?}
source "${VANTREL_SOURCE_DIR:?}/scripts/x11-driver.sh"
x11_start
trap x11_stop EXIT

passed=0
failed=0
folder=""
pid=""
dialog=""

launch() {
    folder=$(mktemp -d)
    cp "$BUILD_DIR/bin/vantrel" "$BUILD_DIR/bin/PalveroToolLangEng.so" "$folder/"
    cp "$BUILD_DIR/tests/doubles/faulty_camlink.so" "$folder/QxCamLinkDLLDALSA.so"
    (cd "$folder" && VANTREL_CAMERA=sim-none VANTREL_FAULTS="init-delay=1500" \
        VANTREL_FAULTY_TRACE="$folder/trace" exec ./vantrel >"$folder/out" 2>&1) &
    pid=$!
    dialog=$(x11_wait_window '^Vantrel \(')
    sleep 0.3
}

# The device calls in order, without the feature calls.
lifecycle() {
    grep -E '^(InitDevice|StartDevice|StopDevice|ReleaseDevice)' "$folder/trace" 2>/dev/null |
        paste -sd ',' || true
}

# Waits up to ~6 s for the device calls to read $1 exactly.
wait_lifecycle() {
    for _ in $(seq 120); do
        [ "$(lifecycle)" = "$1" ] && return 0
        sleep 0.05
    done
    return 1
}

# Frame ticks read the temperatures; counts those reads since the last device call.
reads_since_last_device_call() {
    awk '/^(InitDevice|StartDevice|StopDevice|ReleaseDevice)/ { n = 0; next }
         /^GetFeatureValueFLOAT/ { n++ } END { print n + 0 }' "$folder/trace"
}

finish() {  # finish NAME STATUS DETAIL
    if [ "$2" -eq 0 ]; then
        passed=$((passed + 1))
    else
        echo "FAILED: $1: $3; device calls: $(lifecycle)"
        x11_shot "$BUILD_DIR/tests/e2e-artefacts/busy-$1.png" 2>/dev/null || true
        failed=$((failed + 1))
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -rf "$folder"
}

mkdir -p "$BUILD_DIR/tests/e2e-artefacts"

# Start, then Stop while the camera is still opening: the device ends stopped, no tick reads it
# any more, and Start is enabled again (a click starts it).
start_then_stop() {
    launch
    x11_click_control "$dialog" 2000
    sleep 0.3
    x11_click_control "$dialog" 2009
    wait_lifecycle "InitDevice,StartDevice 0 1,StopDevice" || return 1
    sleep 1
    [ "$(reads_since_last_device_call)" -eq 0 ] || return 2
    x11_click_control "$dialog" 2000
    wait_lifecycle "InitDevice,StartDevice 0 1,StopDevice,InitDevice,StartDevice 0 1" || return 3
}

# Start clicked twice: one start, no Start inside Start; capture runs; Stop stops it.
start_twice() {
    launch
    x11_click_control "$dialog" 2000
    sleep 0.3
    x11_click_control "$dialog" 2000
    wait_lifecycle "InitDevice,StartDevice 0 1" || return 1
    sleep 2
    [ "$(lifecycle)" = "InitDevice,StartDevice 0 1" ] || return 2
    [ "$(reads_since_last_device_call)" -gt 0 ] || return 3
    x11_click_control "$dialog" 2009
    wait_lifecycle "InitDevice,StartDevice 0 1,StopDevice" || return 4
}

# Start, then Left-handed System: the switch runs after the start, and the left-handed pair runs
# in its own windows.
start_then_left() {
    launch
    x11_click_control "$dialog" 2000
    sleep 0.3
    x11_click_control "$dialog" 2019
    wait_lifecycle "InitDevice,StartDevice 0 1,StopDevice,InitDevice,StartDevice 1 1" || return 1
    x11_wait_window '^Left-Left$' >/dev/null || return 2
    x11_wait_window '^Left-Top$' >/dev/null || return 3
    sleep 1
    [ "$(reads_since_last_device_call)" -gt 0 ] || return 4
}

# Start, then Escape: the dialog closes once the start is done; the device is stopped, then
# released, and the program ends normally.
start_then_escape() {
    launch
    x11_click_control "$dialog" 2000
    sleep 0.3
    x11_key "$dialog" Escape
    local status=0
    for _ in $(seq 160); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$pid" 2>/dev/null && return 1  # still open after 8 s
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || return 2
    [ "$(lifecycle)" = "InitDevice,StartDevice 0 1,StopDevice,ReleaseDevice" ] || return 3
}

for case in start_then_stop start_twice start_then_left start_then_escape; do
    status=0
    "$case" || status=$?
    finish "$case" "$status" "step $status"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
