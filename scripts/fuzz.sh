#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) in build-fuzz/ and runs
# each for SECONDS (default 60), starting from the committed corpus in
# fuzz/corpus/<target>/. New inputs go to build-fuzz/corpus/<target>/, so the
# committed corpus only changes by hand; a crash leaves its input in
# build-fuzz/artifacts/ and makes the script fail.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
source "$(dirname "$0")/setup.sh"

seconds="${1:-60}"
build="${DOTPRESS_FUZZ_BUILD:-$DOTPRESS_ROOT/build-fuzz}"

targets=(fuzz_decode fuzz_listing)

dotpress_install "${DOTPRESS_PACKAGES[@]}" clang libclang-rt-14-dev
cmake -S "$DOTPRESS_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DDOTPRESS_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

# Leaks are checked: the targets free what they take. halt_on_error stops at
# the first report so that libFuzzer saves the input.
export ASAN_OPTIONS="${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

count_files() { find "$@" -type f 2>/dev/null | wc -l; }

status=0
for name in "${targets[@]}"; do
    program="$build/bin/$name"
    target="${name#fuzz_}"
    committed="$DOTPRESS_ROOT/fuzz/corpus/$target"
    work="$build/corpus/$target"
    artifacts="$build/artifacts/$target/"
    mkdir -p "$work" "$artifacts"
    before=$(( $(count_files "$committed") + $(count_files "$work") ))
    echo "== fuzz_$target: $seconds s from $before inputs"
    if ! "$program" -max_total_time="$seconds" -print_final_stats=1 -max_len=16384 \
            -artifact_prefix="$artifacts" "$work" "$committed" >"$build/fuzz_$target.log" 2>&1; then
        status=1
        tail -n 60 "$build/fuzz_$target.log"
        echo "== fuzz_$target FAILED: input saved in $artifacts"
    fi
    after=$(( $(count_files "$committed") + $(count_files "$work") ))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz_$target.log")
    echo "== fuzz_$target: ${runs:-?} inputs tried, corpus $(count_files "$committed") committed" \
         "+ $(count_files "$work") found = $after (was $before)"
done
exit $status
