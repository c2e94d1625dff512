#!/usr/bin/env bash
# Fails when a library includes a header of a library above it. The layers, lowest first:
#   core < platform < content/video < content < widgets < game/level < game/gameplay
#        < game/minigames < game/app
# tools/, tests/, bench/ and fuzz/ sit above every library and are not checked.
#   scripts/check-layering.sh [ROOT]    ROOT defaults to the repository this script is in.
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

folders=()
for f in framework game; do [ -d "$f" ] && folders+=("$f"); done
[ "${#folders[@]}" -eq 0 ] && { echo "layering: no framework/ or game/ under $PWD" >&2; exit 1; }

# Every include line of every source file, as FILE:LINE:TEXT, in one pass.
grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.inl' \
	'^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]+[">]' "${folders[@]}" |
	awk '
	BEGIN {
		n = split("core platform content/video content widgets game/level game/gameplay game/minigames game/app", layers, " ")
		status = 0
	}
	# The layer of a path named from framework/ or from the root; 0 when it is none of them.
	function layer_of(path,    i, best, bestlen) {
		sub(/^framework\//, "", path)
		best = 0; bestlen = 0
		for (i = 1; i <= n; i++)
			if (index(path, layers[i] "/") == 1 && length(layers[i]) > bestlen) { best = i; bestlen = length(layers[i]) }
		return best
	}
	{
		file = $0; sub(/:.*/, "", file)
		rest = substr($0, length(file) + 2)
		line = rest; sub(/:.*/, "", line)
		header = rest; sub(/^[^"<]*["<]/, "", header); sub(/[">].*/, "", header)
		own = layer_of(file)
		target = layer_of(header)
		if (own > 0 && target > own) {
			printf "layering: %s:%s includes %s (%s sits above %s)\n", file, line, header, layers[target], layers[own] > "/dev/stderr"
			status = 1
		}
	}
	END { exit status }
	' || { exit 1; }
echo "layering: every library includes only its own headers and those below it"
