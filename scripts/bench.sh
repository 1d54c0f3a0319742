#!/usr/bin/env bash
# Builds a Release tree in build-bench (installing what is missing), then runs
# the conversion benchmarks, the window timings (offscreen and under Xvfb) and
# the whole-process comparison. Arguments go to the benchmark binary, e.g.
#   scripts/bench.sh --benchmark_repetitions=5
# Figures and how to read them: docs/performance.md.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$here/scripts/setup.sh"
build="${BENCH_BUILD:-$here/build-bench}"

dotpress_install "${DOTPRESS_PACKAGES[@]}" libbenchmark-dev xvfb xauth
dotpress_build "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== Conversion steps (Google Benchmark)"
"$build/bin/dotpress-bench" --benchmark_counters_tabular=true "$@"

echo
echo "== Window timings"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
if [[ -x $build/bin/dotpress-window-bench ]]; then
    QT_QPA_PLATFORM=offscreen "$build/bin/dotpress-window-bench"
    xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "$build/bin/dotpress-window-bench"
else
    echo "(not built: the main window or the preview is missing)"
fi

echo
echo "== Whole-process comparison"
"$here/scripts/compare.sh" "$build"
