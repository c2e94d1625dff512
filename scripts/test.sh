#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# ccache then reuses objects across clones of the repository in other folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

build=${QB_BUILD_DIR:-build}
jobs=$(nproc)
cmake --preset default -B "$build" >/dev/null
ninja -C "$build" -j "$jobs"

# The window and end-to-end tests need an X server; Xvfb gives them one with Mesa's OpenGL.
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300
