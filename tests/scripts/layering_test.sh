#!/usr/bin/env bash
# The layering check passes on the tree and fails on an include that climbs a layer.
#   layering_test.sh REPOSITORY_ROOT
set -euo pipefail
repo=$1
check="$repo/scripts/check-layering.sh"

bash "$check" "$repo" >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/framework/core" "$scratch/framework/platform" "$scratch/framework/content/video" \
	"$scratch/framework/content"
printf '#include "core/Low.h"\n' >"$scratch/framework/platform/Fine.cpp"
printf '#include "content/video/Quad.h"\n' >"$scratch/framework/content/Fine.cpp"
printf '#pragma once\n' >"$scratch/framework/core/Low.h"
bash "$check" "$scratch" >/dev/null

# One wrong include each: core reaching platform, the video layer reaching content.
for wrong in "framework/core/Wrong.cpp:platform/CFileSystem.h" \
	"framework/content/video/Wrong.h:content/CQuadBatch.h"; do
	file=${wrong%%:*}
	header=${wrong#*:}
	printf '#include <vector>\n#include "%s"\n' "$header" >"$scratch/$file"
	if out=$(bash "$check" "$scratch" 2>&1); then
		echo "the check passed a tree where $file includes $header" >&2
		exit 1
	fi
	case $out in
	*"$file:2 includes $header"*) ;;
	*)
		echo "the check did not name $file:2 and $header: $out" >&2
		exit 1
		;;
	esac
	rm "$scratch/$file"
done
echo "layering test passed"
