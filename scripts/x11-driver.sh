# Drives Vantrel on an X display as a person would: finds its windows, clicks at the mapped
# rectangles of its controls, presses keys and takes screenshots. Sourced by the run command's
# tour and by the end-to-end tests.
#
# Needs: BUILD_DIR (the build folder), Xvfb, xdotool, ImageMagick's import.

x11_start() {
    # Starts a private Xvfb on a free display and exports DISPLAY.
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1980x1000x24 -nolisten tcp -noreset 3>"$fd_file" >/dev/null 2>&1 &
    X11_XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$fd_file" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
    export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
    chmod 700 "$XDG_RUNTIME_DIR"
}

x11_stop() {
    [ -n "${X11_XVFB_PID:-}" ] && kill "$X11_XVFB_PID" 2>/dev/null
    X11_XVFB_PID=""
}

# Prints the ids of the visible windows whose names match the regex. xdotool's own --name
# search reads WM_NAME, which Qt writes in the locale's encoding: a Korean title never matches it
# where that locale is not installed. getwindowname reads the UTF-8 name.
x11_find_windows() {
    local pattern=$1 id
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        xdotool getwindowname "$id" 2>/dev/null | grep -Eq -- "$pattern" && echo "$id"
    done
    return 0
}

x11_wait_window() {
    # Prints the id of the first visible window whose name matches the regex; fails after ~10 s.
    local pattern=$1 id
    for _ in $(seq 200); do
        id=$(x11_find_windows "$pattern" | head -n1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.05
    done
    echo "no window matching '$pattern'" >&2
    return 1
}

x11_window_gone() {
    local pattern=$1
    for _ in $(seq 200); do
        [ -z "$(x11_find_windows "$pattern")" ] && return 0
        sleep 0.05
    done
    return 1
}

x11_click_control() {
    # Clicks the middle of a control of the main dialog: x11_click_control WINDOW_ID CONTROL_ID
    local window=$1 control=$2 x y w h
    read -r x y w h < <("$BUILD_DIR/tests/control_rect" ${X11_ENGLISH:+--english} "$control" 2>/dev/null)
    xdotool mousemove --window "$window" $((x + w / 2)) $((y + h / 2)) click 1
}

x11_click_at() {
    # Clicks a point of a window: x11_click_at WINDOW_ID X Y
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

x11_key() {
    # Types keys into a window, through the keyboard: x11_key WINDOW_ID KEY...
    local window=$1
    shift
    xdotool windowfocus "$window" 2>/dev/null || true
    sleep 0.1
    xdotool key "$@"
}

x11_answer_message_box() {
    # Waits for a message box ("Vantrel") and presses its OK button with Enter.
    local box
    box=$(x11_wait_window '^Vantrel$') || return 1
    x11_key "$box" Return
    x11_window_gone '^Vantrel$'
}

x11_shot() {
    import -window root "$1"
}
