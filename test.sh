#!/usr/bin/env bash
# Builds Dotpress (installing what is missing) and runs every test: in the
# normal build, again under AddressSanitizer + UndefinedBehaviorSanitizer in
# build-asan/, then each fuzz target for a minute (scripts/fuzz.sh).
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"

failed=()

dotpress_setup
(cd "$DOTPRESS_BUILD" && ctest --output-on-failure --timeout 600) || failed+=("tests")

# A sanitizer report ends the program at once with exit code 99, which none
# of our programs uses, so a test that runs the converter cannot mistake it
# for a refusal or a failure. Leaks count as reports.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:exitcode=99"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=99"
asan_build="${DOTPRESS_ASAN_BUILD:-$DOTPRESS_ROOT/build-asan}"
if dotpress_build "$asan_build" -DDOTPRESS_SANITIZE=ON; then
    (cd "$asan_build" && ctest --output-on-failure --timeout 600) || failed+=("sanitizer tests")
else
    failed+=("sanitizer build")
fi

"$DOTPRESS_ROOT/scripts/fuzz.sh" 60 || failed+=("fuzzing")

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All passed: tests, sanitizer tests, fuzzing."
