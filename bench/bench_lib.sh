# Helpers of scripts/bench.sh: statistics over runs, CPU time of a process, launch timing.

machine_summary() {
    local model cores
    model=$(lscpu | sed -n 's/^Model name: *//p' | head -n1)
    cores=$(nproc)
    echo "$model, $cores cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)"
}

load_average() { cut -d' ' -f1-3 /proc/loadavg; }

# Reads numbers, one a line; prints "median min max count".
stats() {
    sort -g | awk '
        { v[NR] = $1 }
        END {
            if (NR == 0) { print "nan nan nan 0"; exit }
            m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%.6g %.6g %.6g %d\n", m, v[1], v[NR], NR
        }'
}

field() { echo "$2" | cut -d' ' -f"$1"; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

# Google Benchmark CSV with repetitions -> "name median min max count" per benchmark, CPU time
# per iteration in microseconds.
benchmark_stats() {
    local csv=$1 names name
    names=$(awk -F, 'NR > 1 && $1 !~ /_(mean|median|stddev|cv)"?$/ { gsub(/"/, "", $1); print $1 }' \
        "$csv" | awk '!seen[$0]++')
    for name in $names; do
        printf '%-44s %s\n' "$name" "$(awk -F, -v want="$name" '
            { n = $1; gsub(/"/, "", n) }
            n == want {
                scale = $5 == "ns" ? 1e-3 : $5 == "us" ? 1 : $5 == "ms" ? 1e3 : 1e6
                print $4 * scale
            }' "$csv" | stats)"
    done
}

# measure_pair PID_A PID_B SECONDS: after 3 s of warming up, the CPU seconds per minute each of
# two processes uses over the same SECONDS of wall time (all threads: utime + stime of
# /proc/PID/stat), and their resident sizes at the start and the end of that time:
# "cpu_a rss_start_a rss_end_a cpu_b rss_start_b rss_end_b".
measure_pair() {
    local a=$1 b=$2 seconds=$3 tick t0 t1 ca0 ca1 cb0 cb1 ra0 ra1 rb0 rb1
    tick=$(getconf CLK_TCK)
    sleep 3
    ra0=$(resident_kib "$a")
    rb0=$(resident_kib "$b")
    ca0=$(cpu_ticks "$a")
    cb0=$(cpu_ticks "$b")
    t0=$(date +%s%N)
    sleep "$seconds"
    ca1=$(cpu_ticks "$a")
    cb1=$(cpu_ticks "$b")
    t1=$(date +%s%N)
    ra1=$(resident_kib "$a")
    rb1=$(resident_kib "$b")
    awk -v ca="$((ca1 - ca0))" -v cb="$((cb1 - cb0))" -v hz="$tick" -v ns="$((t1 - t0))" \
        -v ra0="$ra0" -v ra1="$ra1" -v rb0="$rb0" -v rb1="$rb1" 'BEGIN {
            minutes = ns / 1e9 / 60
            printf "%.3f %d %d %.3f %d %d\n", ca / hz / minutes, ra0, ra1, cb / hz / minutes, rb0, rb1
        }'
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

resident_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }

# launch_to_window FOLDER PATTERN COMMAND...: milliseconds from launching COMMAND in FOLDER to
# a visible window whose name matches PATTERN; the process is ended afterwards. xdotool's own
# --sync polls only every half second, so the window is looked for every 10 ms here. A launch
# that ends before its window appears is reported on standard error and tried again, up to
# three times.
launch_to_window() {
    local folder=$1 pattern=$2 t0 t1 pid attempt log
    shift 2
    log=$(mktemp)
    for attempt in 1 2 3; do
        t0=$(date +%s%N)
        (cd "$folder" && exec "$@" >"$log" 2>&1) &
        pid=$!
        t1=""
        until xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1; do
            if ! kill -0 "$pid" 2>/dev/null; then
                wait "$pid" 2>/dev/null
                echo "launch_to_window: attempt $attempt ended with status $?:" \
                    "$(head -n1 "$log")" >&2
                continue 2
            fi
            sleep 0.01
        done
        t1=$(date +%s%N)
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        sleep 0.3
        break
    done
    rm -f "$log"
    [ -n "$t1" ] || return 1
    echo $(((t1 - t0) / 1000000))
}
