#!/usr/bin/env bash
# A reference kept in the Alignment Assistant outlives Vantrel: the real vantrel, started again
# with the same data and settings folders, chooses it for the camera and measures against it.
# The side camera is turned off the built-in sample, so that only a reference of its own says
# ALIGNED (green); the top camera a little too, so that its panel shows no green either.
set -euo pipefail
BUILD_DIR=${VANTREL_BUILD_DIR:?}
source "${VANTREL_SOURCE_DIR:?}/scripts/x11-driver.sh"
source "$VANTREL_SOURCE_DIR/tests/e2e/checks.sh"
artefacts="$BUILD_DIR/tests/e2e-artefacts/assistant"
rm -rf "$artefacts"
mkdir -p "$artefacts"
home=$(mktemp -d)
x11_start
trap 'x11_stop; rm -rf "$home"' EXIT
export XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config
export X11_ENGLISH=1
export VANTREL_SIM_POSE='RR=12,-5,1.5;RT=0,6,0'
references=$XDG_DATA_HOME/vantrel/references

# Pixels of the ALIGNED verdict's green in the window's top band: its status line and the side
# camera's name and verdict, above the side camera's picture (green where it does not match).
side_green() {
    import -window "$assistant" png:- 2>/dev/null |
        convert png:- -crop 100%x9%+0+0 +repage -fx 'g > 0.3 && r < 0.25 && b < 0.25' \
            -format '%[fx:round(mean*w*h)]' info:
}
side_aligned() { [ "$(side_green)" -gt 20 ]; }
side_not_aligned() { [ "$(side_green)" -eq 0 ]; }

# Starts vantrel, starts the cameras and opens the assistant from the window menu.
open_assistant() {
    LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 "$BUILD_DIR/bin/vantrel" >"$artefacts/vantrel-$1.out" 2>&1 &
    pid=$!
    dialog=$(x11_wait_window '^Vantrel \(')
    x11_click_control "$dialog" 2000 # Start Camera
    x11_wait_window '^Right-Right$' >/dev/null
    x11_key "$dialog" alt+space
    sleep 0.3
    xdotool key Down Down Return
    assistant=$(x11_wait_window '^Alignment Assistant$')
}
close_vantrel() {
    x11_key "$dialog" Escape
    local status=0
    wait "$pid" || status=$?
    check "vantrel ends cleanly ($1)" test "$status" -eq 0
}

open_assistant first
check "against the built-in sample the turned side camera is not aligned" \
    until_true 10 side_not_aligned
check "no reference before Keep" test ! -e "$references"
# The side camera's reference choice has the focus; Keep as reference follows it.
x11_key "$assistant" Tab space
check "the kept reference measures the side camera aligned" until_true 10 side_aligned
x11_shot "$artefacts/kept.png"
pictures=("$references"/RR-*.pgm)
check "one picture kept for the side camera" test "${#pictures[@]}" -eq 1 -a -s "${pictures[0]}"
check "its sidecar says the position" grep -qx 'position=RR' "${pictures[0]%.pgm}.txt"
check "only the side camera kept" test "$(ls "$references" | wc -l)" -eq 2
close_vantrel first

open_assistant again
check "started again, the kept reference is chosen and measured" until_true 10 side_aligned
x11_shot "$artefacts/again.png"
check "the reference is still there, alone" test "$(ls "$references" | wc -l)" -eq 2
close_vantrel again

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
