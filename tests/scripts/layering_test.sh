#!/usr/bin/env bash
# The layering check passes on the tree, and fails on every boundary when one include climbs it:
# written from an include root ("app/X.h"), beside the file ("../widgets/X.h") or through a
# folder of the game that does not exist yet.
#   layering_test.sh REPOSITORY_ROOT
set -euo pipefail
repo=$1
check="$repo/scripts/check-layering.sh"

bash "$check" "$repo" >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
layers=(framework/core framework/platform framework/content/video framework/content framework/widgets
	game/level game/gameplay game/minigames game/app)
for layer in "${layers[@]}"; do
	mkdir -p "$scratch/$layer"
	printf '#pragma once\n' >"$scratch/$layer/Here.h"
done
# Includes that go down or stay put pass, in every form the tree writes them.
printf '#include "core/Here.h"\n#include "Here.h"\n#include <vector>\n' >"$scratch/framework/platform/Fine.cpp"
printf '#include "content/video/Here.h"\n#include "video/Here.h"\n' >"$scratch/framework/content/Fine.cpp"
printf '#include "../core/Here.h"\n#include "widgets/Here.h"\n' >"$scratch/framework/widgets/Fine.cpp"
printf '#include "level/Here.h"\n#include "minigames/Here.h"\n#include "core/Here.h"\n' >"$scratch/game/app/Fine.cpp"
printf '#include "../level/Here.h"\n' >"$scratch/game/gameplay/Fine.cpp"
bash "$check" "$scratch" >/dev/null

# plants FILE HEADER: the check must fail and name the file, the line and the header.
plant() {
	local file=$1 header=$2 out
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
}

# Every boundary, from the include root.
root_name() { local l=${1#framework/}; l=${l#game/}; echo "$l/Here.h"; }
for ((i = 0; i + 1 < ${#layers[@]}; i++)); do
	plant "${layers[i]}/Wrong.cpp" "$(root_name "${layers[i + 1]}")"
done
# Through "..", and to headers that no file of the tree holds.
plant framework/core/Wrong.h ../widgets/SceneManager.h
plant framework/content/video/Wrong.cpp ../CQuadBatch.h
plant game/level/Wrong.cpp ../app/GGame.h
plant game/level/Wrong.h app/GGame.h
plant framework/widgets/Wrong.cpp level/GBuildingNode.h
plant game/gameplay/Wrong.cpp minigames/GMiniGameScene.h
echo "layering test passed"
