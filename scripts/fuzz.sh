#!/usr/bin/env bash
# Builds the focus-measure fuzz target with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for a bounded time.
#   scripts/fuzz.sh [seconds]      default 60; the corpus grows in build-fuzz/corpus
# Any crash, sanitizer finding or broken invariant fails the script; the reproducer is left in
# build-fuzz/ (crash-*, leak-*, timeout-*).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
out=build-fuzz
mkdir -p "$out/corpus"

clang++ -std=c++20 -O1 -g -Wall -Wextra -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
    -Isrc $(pkg-config --cflags opencv4) \
    tests/fuzz/focus_fuzz.cpp src/imaging/focus.cpp \
    -lopencv_core -o "$out/focus_fuzz"

# Seeds: the default point on black, the corners, a point far outside and the ends of the int
# range, each followed by a little picture data.
le32() {  # the escapes of a little-endian int32
    local v=$(($1 & 0xFFFFFFFF))
    printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255))
}
seed() {  # seed NAME X Y PICTURE-HEX
    printf "$(le32 "$2")$(le32 "$3")$(sed 's/../\\x&/g' <<<"$4")" >"$out/corpus/seed-$1"
}
seed centre 320 240 00
seed origin 0 0 ff00807f
seed corner 639 479 0306090c0f12
seed outside 700 240 10
seed int-min -2147483648 -2147483648 55
seed int-max 2147483647 2147483647 aa
seed ramp 100 50 000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f

cd "$out"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# OpenCV keeps one-time allocations of its own; libFuzzer's leak check runs on every input.
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ./focus_fuzz -max_total_time="$seconds" -print_final_stats=1 -timeout=10 corpus 2>&1 | tee "$log" | grep -v '^#' || status=$?
status=${status:-0}
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
echo "focus fuzz: ${executions:-0} executions in ${seconds} s, exit status $status"
exit "$status"
