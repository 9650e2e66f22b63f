#!/bin/sh
# Compares the polygon triangulator with earcut (npm) on the same outlines.
#   bench/run-triangulation.sh BUILD_FOLDER [COUNT]
# earcut is installed into bench/.earcut (not part of the sources).
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: run-triangulation.sh BUILD_FOLDER [COUNT]}
count=${2:-2000}
cmake --build "$build" --target bench_triangulation >/dev/null
if [ ! -d "$here/.earcut/node_modules/earcut" ]; then
    npm install --silent --no-save --prefix "$here/.earcut" earcut >/dev/null
fi
outlines=$(mktemp)
trap 'rm -f "$outlines"' EXIT
ours=$("$build/bench/bench_triangulation" "$count" "$outlines")
node "$here/earcut-compare.mjs" "$here/.earcut" "$outlines" "$ours"
