# Counting the steps of an end-to-end test, polling, and what a window shows. Sourced.

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...: counts a step that passes or fails
    if "${@:2}"; then
        passed=$((passed + 1))
    else
        echo "FAILED: $1"
        failed=$((failed + 1))
    fi
}

# until_true SECONDS COMMAND...: polls COMMAND every 0.2 s.
until_true() {
    local tries=$(($1 * 5))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

# Mean grey of the middle of a window's picture, 0 (black) to 1.
window_mean() {
    import -window "$1" png:- 2>/dev/null |
        convert png:- -gravity center -crop 50%x50%+0+0 -colorspace Gray -format '%[fx:mean]' info:
}
shows_picture() { awk -v m="$(window_mean "$1")" 'BEGIN { exit !(m > 0.2) }'; }
is_black() { awk -v m="$(window_mean "$1")" 'BEGIN { exit !(m < 0.05) }'; }
