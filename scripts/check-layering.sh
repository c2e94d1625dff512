#!/usr/bin/env bash
# Fails when a library includes a header of a library above it. The layers, lowest first:
#   framework/core < framework/platform < framework/content/video < framework/content
#        < framework/widgets < game/level < game/gameplay < game/minigames < game/app
# tools/, tests/, bench/ and fuzz/ sit above every library and are not checked.
#
# An include is resolved the way the compiler does: a quoted name first beside the including file
# (".." steps up), then under the include roots framework/ and game/. A name that names no file of
# the tree still counts by its first folder ("app/X.h" is game/app, "widgets/X.h" the widgets), so
# an include of a header that does not exist yet is judged too.
#   scripts/check-layering.sh [ROOT]    ROOT defaults to the repository this script is in.
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

folders=()
for f in framework game; do [ -d "$f" ] && folders+=("$f"); done
[ "${#folders[@]}" -eq 0 ] && { echo "layering: no framework/ or game/ under $PWD" >&2; exit 1; }

files=$(mktemp)
trap 'rm -f "$files"' EXIT
find "${folders[@]}" -type f >"$files"

# Every include line of every source file, as FILE:LINE:TEXT, in one pass.
grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.inl' \
	'^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]+[">]' "${folders[@]}" |
	awk -v filelist="$files" '
	BEGIN {
		n = split("framework/core framework/platform framework/content/video framework/content framework/widgets game/level game/gameplay game/minigames game/app", layers, " ")
		while ((getline f < filelist) > 0)
			exists[f] = 1
		status = 0
	}
	# The path with "." and ".." steps taken; ".." above the root stays "..".
	function normalize(path,    parts, k, i, out, m) {
		k = split(path, parts, "/")
		m = 0
		for (i = 1; i <= k; i++) {
			if (parts[i] == "" || parts[i] == ".")
				continue
			if (parts[i] == ".." && m > 0 && out[m] != "..") { m--; continue }
			out[++m] = parts[i]
		}
		path = ""
		for (i = 1; i <= m; i++)
			path = path (i > 1 ? "/" : "") out[i]
		return path
	}
	function dir_of(path) {
		if (sub(/\/[^\/]*$/, "", path))
			return path
		return "."
	}
	# The tree path an include names, as the compiler finds it; by its first folder when it names
	# no file of the tree.
	function resolve(file, header, quoted,    beside, first) {
		if (quoted) {
			beside = normalize(dir_of(file) "/" header)
			if (beside in exists || header ~ /^\.\.?\//)
				return beside
		}
		if (("framework/" header) in exists) return "framework/" header
		if (("game/" header) in exists) return "game/" header
		first = header; sub(/\/.*/, "", first)
		if (first == "core" || first == "platform" || first == "content" || first == "widgets")
			return "framework/" header
		if (first == "level" || first == "gameplay" || first == "minigames" || first == "app")
			return "game/" header
		return header
	}
	# The layer of a tree path; 0 when it is none of them.
	function layer_of(path,    i, best, bestlen) {
		best = 0; bestlen = 0
		for (i = 1; i <= n; i++)
			if (index(path, layers[i] "/") == 1 && length(layers[i]) > bestlen) { best = i; bestlen = length(layers[i]) }
		return best
	}
	{
		file = $0; sub(/:.*/, "", file)
		rest = substr($0, length(file) + 2)
		line = rest; sub(/:.*/, "", line)
		text = rest; sub(/^[0-9]+:/, "", text)
		quoted = (text ~ /include[[:space:]]*"/)
		header = text; sub(/^[^"<]*["<]/, "", header); sub(/[">].*/, "", header)
		own = layer_of(file)
		target = layer_of(resolve(file, header, quoted))
		if (own > 0 && target > own) {
			printf "layering: %s:%s includes %s (%s sits above %s)\n", file, line, header, layers[target], layers[own] > "/dev/stderr"
			status = 1
		}
	}
	END { exit status }
	' || { exit 1; }
echo "layering: every library includes only its own headers and those below it"
