#!/usr/bin/env bash
# Builds Dotpress (installing what is missing) and runs every test: in the
# normal build, again under AddressSanitizer + UndefinedBehaviorSanitizer in
# build-asan/, then each fuzz target for a minute (scripts/fuzz.sh).
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"

failed=()
passed_count=0
failed_count=0

# run_suite BUILD_DIR: runs its CTest suite and adds its counts to the totals.
run_suite() {
    local log status=0 summary total bad
    log=$(mktemp)
    (cd "$1" && ctest --output-on-failure --timeout 600) 2>&1 | tee "$log" || status=1
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
    if [ -n "$summary" ]; then
        total=${summary##* out of }
        bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$summary")
        passed_count=$((passed_count + total - bad))
        failed_count=$((failed_count + bad))
    fi
    rm -f "$log"
    return $status
}

dotpress_setup_tests
run_suite "$DOTPRESS_BUILD" || failed+=("tests")

# A sanitizer report ends the program at once with exit code 99, which none
# of our programs uses, so a test that runs the converter cannot mistake it
# for a refusal or a failure. Leaks count as reports.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:exitcode=99"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=99"
asan_build="${DOTPRESS_ASAN_BUILD:-$DOTPRESS_ROOT/build-asan}"
if dotpress_build "$asan_build" -DDOTPRESS_SANITIZE=ON; then
    run_suite "$asan_build" || failed+=("sanitizer tests")
else
    failed+=("sanitizer build")
fi

"$DOTPRESS_ROOT/scripts/fuzz.sh" 60 || failed+=("fuzzing")

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    echo "$passed_count passed, $failed_count failed"
    exit 1
fi
echo "All passed: tests, sanitizer tests, fuzzing."
echo "$passed_count passed, $failed_count failed"
