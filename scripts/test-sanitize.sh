#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs the unit tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# ccache then reuses objects across clones of the repository in other folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

build=${QB_ASAN_BUILD_DIR:-build-asan}
jobs=$(nproc)
cmake --preset sanitize -B "$build" >/dev/null
# Only what the unit tests need: the test programs but the window, end-to-end and sound suites
# (those run in the default build, the sound ones also under ThreadSanitizer), and the packer tool.
targets=$(ninja -C "$build" -t targets all | sed -n 's/^\([a-z_]*_tests\): .*/\1/p' |
  grep -v -E '^(window|appwindow|e2e|sound|soundwave)_tests$' | sort -u)
ninja -C "$build" -j "$jobs" $targets pack_assets
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" -L unit --output-on-failure -j "$jobs" --timeout 300
