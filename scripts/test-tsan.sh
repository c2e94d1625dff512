#!/usr/bin/env bash
# Builds with ThreadSanitizer (clang) and runs the unit tests: the streaming thread, the timer
# and device locks and the singletons' first use are where threads meet.
#   scripts/test-tsan.sh          the unit tests
#   scripts/test-tsan.sh sound    only the sound tests (OpenAL Soft's null and wave backends), whose
#                                 streams are refilled on the driver's update thread
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# ccache then reuses objects across clones of the repository in other folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

build=${QB_TSAN_BUILD_DIR:-build-tsan}
jobs=$(nproc)
cmake --preset tsan -B "$build" >/dev/null
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=\"$PWD/tests/tsan-suppressions.txt\"}
if [ "${1:-}" = sound ]; then
  ninja -C "$build" -j "$jobs" sound_tests soundwave_tests
  ctest --test-dir "$build" -L sound --output-on-failure -j "$jobs" --timeout 600
  exit 0
fi
targets=$(ninja -C "$build" -t targets all | sed -n 's/^\([a-z_]*_tests\): .*/\1/p' | grep -v '^window_tests$' | grep -v '^sound' | sort -u)
ninja -C "$build" -j "$jobs" $targets pack_assets
ctest --test-dir "$build" -L unit --output-on-failure -j "$jobs" --timeout 600
