#!/usr/bin/env bash
# Fails when a library includes a header of a library above it. The layers, lowest first:
#   core < platform < content/video < content < widgets < game/level < game/gameplay
#        < game/minigames < game/app
# tools/, tests/, bench/ and fuzz/ sit above every library and are not checked.
#   scripts/check-layering.sh [ROOT]    ROOT defaults to the repository this script is in.
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

layers=(core platform content/video content widgets game/level game/gameplay game/minigames game/app)

# The layer of a path relative to framework/ or the repository root; -1 when it is none of them.
layer_of() {
	local path=$1 i best=-1 bestlen=0
	path=${path#framework/}
	for i in "${!layers[@]}"; do
		local l=${layers[$i]}
		if [[ $path == "$l"/* && ${#l} -gt $bestlen ]]; then
			best=$i
			bestlen=${#l}
		fi
	done
	echo "$best"
}

status=0
while IFS= read -r -d '' file; do
	own=$(layer_of "$file")
	[ "$own" -lt 0 ] && continue
	# Project headers are named from framework/ ("core/...") or from the root ("game/...").
	while IFS=: read -r line header; do
		target=$(layer_of "$header")
		if [ "$target" -gt "$own" ]; then
			echo "layering: $file:$line includes $header (${layers[$target]} sits above ${layers[$own]})" >&2
			status=1
		fi
	done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]+[">]' "$file" |
		sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]+)[">].*/\1:\2/')
done < <(find framework game -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.inl' \) -print0 2>/dev/null)

if [ "$status" -eq 0 ]; then
	echo "layering: every library includes only its own headers and those below it"
fi
exit $status
