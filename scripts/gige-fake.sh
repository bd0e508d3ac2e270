# Aravis's GigE Vision fake camera on loopback addresses, inside a private network namespace, for
# the end-to-end tests and the bandwidth benchmark of the GenICam path. Sourced.
#
# GigE Vision discovery broadcasts on every network interface, and the camera modules search the
# network whenever VANTREL_CAMERA is unset or "genicam": whatever sources this file first calls
# gige_enter_namespace, so that nothing it runs can reach beyond this machine's loopback.
#
# Needs: arv-fake-gv-camera-0.8 and arv-tool-0.8 (aravis-tools-cli), ip (iproute2), unshare.

# gige_enter_namespace SCRIPT [ARGS...]: unless the process already sits in a network namespace
# with the loopback interface as its only interface, runs SCRIPT again in a new one (as root, or
# as the root of a new user namespace) and exits with its status. Then brings the loopback up.
gige_enter_namespace() {
    if [ "$(gige_interfaces)" != "lo" ]; then
        local unshare=(unshare --net)
        [ "$(id -u)" -eq 0 ] || unshare=(unshare --map-root-user --net)
        "${unshare[@]}" true 2>/dev/null ||
            { echo "cannot make a private network namespace (${unshare[*]})" >&2; exit 1; }
        exec "${unshare[@]}" -- bash "$@"
    fi
    ip link set lo up
}

# The network interfaces this process sees, one a line (/proc/net follows the namespace).
gige_interfaces() {
    awk -F: 'NR > 2 { gsub(/ /, "", $1); print $1 }' /proc/net/dev
}

# Bytes received on the loopback interface so far.
gige_loopback_bytes() {
    awk -F: '{ gsub(/ /, "", $1) } $1 == "lo" { split($2, f, " "); print f[1] }' /proc/net/dev
}

declare -A GIGE_FAKE_PIDS=()
declare -A GIGE_FAKE_ADDRESSES=()

# gige_fake_start ADDRESS SERIAL [OPTIONS...]: starts a fake camera with that serial number
# (its Aravis id is Aravis-Fake-SERIAL) on a loopback address, and waits until it answers.
gige_fake_start() {
    local address=$1 serial=$2
    shift 2
    [[ $(ip -o addr show dev lo) == *" $address/"* ]] || ip addr add "$address/8" dev lo
    arv-fake-gv-camera-0.8 -i "$address" -s "$serial" "$@" >/dev/null 2>&1 &
    GIGE_FAKE_PIDS[$serial]=$!
    GIGE_FAKE_ADDRESSES[$serial]=$address
    for _ in $(seq 100); do
        [[ $(arv-tool-0.8 -a "$address" control Width 2>/dev/null) == Width* ]] && return 0
        sleep 0.05
    done
    echo "fake camera $serial on $address does not answer" >&2
    return 1
}

# gige_fake_stop SERIAL: ends a fake camera, as a camera that is unplugged.
gige_fake_stop() {
    local pid=${GIGE_FAKE_PIDS[$1]:-}
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    unset "GIGE_FAKE_PIDS[$1]"
}

gige_fake_stop_all() {
    local serial
    for serial in "${!GIGE_FAKE_PIDS[@]}"; do gige_fake_stop "$serial"; done
}

# gige_control SERIAL FEATURE[=VALUE]...: reads or writes features of a fake camera, printing
# "FEATURE = VALUE" lines (arv-tool's own format, bounds removed). Fails when the camera does not
# answer.
gige_control() {
    local address=${GIGE_FAKE_ADDRESSES[$1]:?unknown fake camera $1} output
    shift
    output=$(arv-tool-0.8 -a "$address" control "$@" 2>&1)
    grep -q ' = ' <<<"$output" || { echo "$output" >&2; return 1; }
    sed 's/ min:.*$//' <<<"$output"
}

# gige_user_prefix: prints the command words that run what follows them as an ordinary account,
# as a technician runs Vantrel: root receives GigE Vision streams through a packet socket, an
# ordinary account through a plain socket whose buffer must hold the stream. As the real root
# that account is nobody; inside a user namespace (a run started by an ordinary account) the
# command runs as that account already, and nothing is printed.
gige_user_prefix() {
    if [ "$(id -u)" -eq 0 ] && awk '$1 == 0 && $2 == 0 { found = 1 } END { exit !found }' \
        /proc/self/uid_map; then
        echo "setpriv --reuid=65534 --regid=65534 --clear-groups --"
    fi
}
