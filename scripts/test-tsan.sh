#!/usr/bin/env bash
# Builds with ThreadSanitizer (clang) and runs the unit tests: the streaming thread, the timer
# and device locks and the singletons' first use are where threads meet.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# ccache then reuses objects across clones of the repository in other folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

build=${QB_TSAN_BUILD_DIR:-build-tsan}
jobs=$(nproc)
cmake --preset tsan -B "$build" >/dev/null
targets=$(ninja -C "$build" -t targets all | sed -n 's/^\([a-z_]*_tests\): .*/\1/p' | grep -v '^window_tests$' | sort -u)
ninja -C "$build" -j "$jobs" $targets pack_assets
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
ctest --test-dir "$build" -L unit --output-on-failure -j "$jobs" --timeout 600
