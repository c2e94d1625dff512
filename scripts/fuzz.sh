#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan, and runs each over its seed corpus.
#   scripts/fuzz.sh                 a short, fixed number of runs per target (what CI does; see
#                                   short_runs)
#   scripts/fuzz.sh SECONDS [NAME]  a longer run of every target (or of NAME) for SECONDS each
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# ccache then reuses objects across clones of the repository in other folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

# The fuzz targets share the sanitizer build of the unit tests: one clang build serves both.
build=${QB_ASAN_BUILD_DIR:-build-asan}
cmake --preset sanitize -B "$build" >/dev/null
targets=$(ninja -C "$build" -t targets all | sed -n 's/^\([a-z_]*_fuzzer\): .*/\1/p' | sort -u)
ninja -C "$build" -j "$(nproc)" $targets

seconds=${1:-}
only=${2:-}

# The short run's count per target: inputs that load and play whole scenes or levels cost tens of
# milliseconds under the sanitizers, so those targets get fewer runs; together they stay within a
# few minutes.
short_runs() {
  case "$1" in
    scene_file_fuzzer|widget_scene_fuzzer) echo 150 ;;
    level_scene_fuzzer) echo 600 ;;
    profile_fuzzer|property_container_fuzzer|level_configuration_fuzzer) echo 4000 ;;
    *) echo 20000 ;;
  esac
}

# Scenes of the game reach the sound device: the null backend keeps the runs quiet and local.
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Quoted: the sanitizers split their options at spaces and colons, which a checkout's path may hold.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=\"$PWD/fuzz/lsan-suppressions.txt\":print_suppressions=0}
status=0
for src in fuzz/*.cpp; do
  name=$(basename "$src" .cpp)
  [ -n "$only" ] && [ "$only" != "$name" ] && continue
  corpus="fuzz/corpus/$name"
  work=$(mktemp -d)
  if [ -n "$seconds" ]; then
    limit=(-max_total_time="$seconds")
  else
    limit=(-runs="$(short_runs "$name")" -seed=1)
  fi
  echo "fuzz: $name ${limit[*]}"
  # New inputs go to the scratch folder; the committed corpus is only read.
  if ! "$build/fuzz/$name" "${limit[@]}" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$work/" "$work" "$corpus" 2>"$work/log"; then
    tail -n 40 "$work/log"
    echo "fuzz: $name FAILED; artifacts in $work"
    status=1
  else
    tail -n 1 "$work/log"
    rm -rf "$work"
  fi
done
exit $status
