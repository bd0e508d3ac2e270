#!/usr/bin/env bash
# Builds Vantrel and runs every test: unit, integration, reliability and end-to-end; then the
# whole suite again under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer; then
# the focus-measure fuzz target for a minute. Any failure or sanitizer finding fails the run.
#   VANTREL_FUZZ_SECONDS   how long the fuzz target runs (default 60)
#   BUILD, ASAN_BUILD      the two build folders (default build and build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
build=${BUILD:-build}
asan_build=${ASAN_BUILD:-build-asan}

# Runs one stage and keeps its time. (The command runs with errexit off: its functions chain
# their steps with && or collect a status themselves.)
stage_times=()
stage() {  # stage NAME COMMAND...
    local name=$1 start=$SECONDS status=0
    shift
    echo "=== $name"
    "$@" || status=$?
    stage_times+=("$name: $((SECONDS - start)) s$([ "$status" -eq 0 ] || echo ", failed")")
    return "$status"
}
print_stage_times() {
    echo "=== stage times"
    printf '  %s\n' "${stage_times[@]}"
}
trap print_stage_times EXIT

# The normal build.
normal_build() {
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
        cmake --build "$build" -j"$jobs"
}

# The sanitizer build.
sanitizer_build() {
    cmake -S . -B "$asan_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_SANITIZE=ON \
        -DVANTREL_BENCH=OFF &&
        cmake --build "$asan_build" -j"$jobs"
}

# Every finding, also one in a program that an end-to-end test starts and whose exit status it
# does not look at, leaves a report in the sanitizer-logs folder of the build; any report fails
# the run.
sanitizer_tests() {
    local logs=$root/$asan_build/sanitizer-logs status=0
    rm -rf "$logs"
    mkdir -p "$logs"
    # Writable by every user, like /tmp: the GigE Vision cases run vantrel as an ordinary user,
    # and a sanitizer that cannot open its log ends the program with status 1 and no report.
    chmod 1777 "$logs"
    ASAN_OPTIONS="detect_leaks=1:log_path=$logs/asan" \
        LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
        UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$logs/ubsan" \
        ctest --test-dir "$asan_build" --output-on-failure -j"$jobs" || status=$?
    if compgen -G "$logs/*" >/dev/null; then
        echo "Sanitizer reports:"
        for report in "$logs"/*; do
            echo "--- $report"
            cat "$report"
        done
        status=1
    fi
    return "$status"
}

stage "build" normal_build
stage "tests" ctest --test-dir "$build" --output-on-failure -j"$jobs"
stage "sanitizer build" sanitizer_build
stage "sanitizer tests" sanitizer_tests
stage "focus fuzzing" scripts/fuzz.sh "${VANTREL_FUZZ_SECONDS:-60}"
