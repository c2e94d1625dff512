#!/usr/bin/env bash
# Installs what is missing, builds the game, stages it in build/stage/ (the program, assets/ and
# assets.oca) and starts it. The staged folder runs on its own: build/stage/quillbrook.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

build=${QB_BUILD_DIR:-build}
cmake --preset default -B "$build" >/dev/null
ninja -C "$build" quillbrook
exec "$build/stage/quillbrook"
