#!/usr/bin/env bash
# Fails when a C++ source of the repository differs from the style in .clang-format.
#   scripts/check-format.sh          checks every tracked source
#   scripts/check-format.sh --fix    rewrites them in the style instead
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -d '' sources < <(git ls-files -z -- '*.h' '*.hpp' '*.cpp' '*.inl')
[ "${#sources[@]}" -gt 0 ] || { echo "format: no sources found under $PWD" >&2; exit 1; }
if [ "${1:-}" = "--fix" ]; then
	clang-format -i -- "${sources[@]}"
	exit 0
fi
clang-format --dry-run -Werror -- "${sources[@]}"
echo "format: ${#sources[@]} sources follow .clang-format"
