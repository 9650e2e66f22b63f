#!/usr/bin/env bash
# Gallery thumbnails of a folder of large photographs: kestrune-picture gallery
# (every picture's thumbnail loaded as the game's gallery does) against
# ImageMagick's convert -thumbnail on the same folder in the same run; time to
# the last thumbnail and peak memory.
#   bench/run-thumbnails.sh [BUILD_FOLDER] [COUNT] [WIDTH] [HEIGHT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../out/release}
count=${2:-32}
width=${3:-4000}
height=${4:-3000}
work=$(mktemp -d "${TMPDIR:-/var/tmp}/kestrune-thumbs.XXXXXX")
trap 'rm -rf "$work"' EXIT
convert=/usr/bin/convert   # ImageMagick itself, not a wrapper earlier on the PATH

cmake --build "$build" --target bench_picture_thumbnails kestrune-picture -j "$(nproc)" >/dev/null
program="$build/bench/bench_picture_thumbnails"
picture="$build/bin/kestrune-picture"
mkdir -p "$work/photos" "$work/theirs"
for i in $(seq 1 "$count"); do
  "$program" "$width" "$height" "$work/source.ppm"
  if [ $((i % 4)) -eq 0 ]; then
    pnmtopng "$work/source.ppm" > "$work/photos/photo$i.png" 2>/dev/null
  elif [ $((i % 4)) -eq 1 ]; then
    cjpeg -quality 90 -progressive -outfile "$work/photos/photo$i.jpg" "$work/source.ppm"
  else
    cjpeg -quality 90 -outfile "$work/photos/photo$i.jpg" "$work/source.ppm"
  fi
done
rm -f "$work/source.ppm"

peak() { awk '/Maximum resident/ { print $6 }' "$1"; }
start=$(date +%s.%N)
/usr/bin/time -v -o "$work/ours.time" "$picture" gallery "$work/photos" > "$work/ours.out"
ours=$(echo "$(date +%s.%N) - $start" | bc)
[ "$(wc -l < "$work/ours.out")" -eq "$count" ] || { echo "the gallery lost pictures" >&2; exit 1; }
start=$(date +%s.%N)
/usr/bin/time -v -o "$work/theirs.time" bash -c '
  for f in "$1"/*; do
    "$2" "$f" -thumbnail "128x128^" -gravity center -extent 128x128 "$3/$(basename "$f").ppm"
  done' _ "$work/photos" "$convert" "$work/theirs"
theirs=$(echo "$(date +%s.%N) - $start" | bc)
echo "$count photographs of ${width}x${height} (JPEG baseline, JPEG progressive, PNG)"
awk -v o="$ours" -v t="$theirs" -v om="$(peak "$work/ours.time")" -v tm="$(peak "$work/theirs.time")" 'BEGIN {
  printf "time to the last thumbnail: ours %.2f s, ImageMagick %.2f s, ratio %.2f\n", o, t, o / t
  printf "peak memory: ours %d MiB, ImageMagick %d MiB (largest single process), ratio %.2f\n", om / 1024, tm / 1024, om / tm }'
