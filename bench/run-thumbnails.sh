#!/usr/bin/env bash
# Gallery thumbnails, as the game's gallery fills: kestrune-picture gallery
# over a folder (every picture's thumbnail loaded as the gallery does)
# against ImageMagick's convert -thumbnail over the same folder, in the same
# run. One folder per picture size and kind (baseline JPEG, progressive JPEG,
# PNG, binary PPM), COUNT photograph-like pictures each; per folder the time
# to the last thumbnail of each, our time as a ratio of ImageMagick's, and
# the peak resident memory of each (ImageMagick: its largest process).
#   bench/run-thumbnails.sh [BUILD_FOLDER] [COUNT] [SIZES]
# COUNT defaults to 8 (the gallery holds at most 32), SIZES to
# "2560x1600 5120x2880". Needs cjpeg (libjpeg-turbo-progs), pnmtopng
# (netpbm), ImageMagick and GNU time.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../out/release}
count=${2:-8}
sizes=${3:-2560x1600 5120x2880}
work=$(mktemp -d "${TMPDIR:-/var/tmp}/kestrune-thumbs.XXXXXX")
trap 'rm -rf "$work"' EXIT
convert=/usr/bin/convert   # ImageMagick itself, not a wrapper earlier on the PATH

for tool in cjpeg pnmtopng "$convert" /usr/bin/time bc; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (libjpeg-turbo-progs, netpbm, imagemagick, time, bc)" >&2; exit 1; }
done
cmake --build "$build" --target bench_picture_thumbnails kestrune-picture -j "$(nproc)" >/dev/null
program="$build/bench/bench_picture_thumbnails"
picture="$build/bin/kestrune-picture"

peak() { awk '/Maximum resident/ { print $6 }' "$1"; }

printf "%-10s %-12s %6s %10s %10s %6s %9s %9s\n" size kind count "ours s" "IM s" ratio "ours MiB" "IM MiB"
for size in $sizes; do
  width=${size%x*}
  height=${size#*x}
  for kind in baseline progressive png ppm; do mkdir -p "$work/$size/$kind"; done
  for i in $(seq 1 "$count"); do
    "$program" "$width" "$height" "$work/source$i.ppm"
    cjpeg -quality 90 -outfile "$work/$size/baseline/photo$i.jpg" "$work/source$i.ppm"
    cjpeg -quality 90 -progressive -outfile "$work/$size/progressive/photo$i.jpg" "$work/source$i.ppm"
    pnmtopng "$work/source$i.ppm" > "$work/$size/png/photo$i.png" 2>/dev/null
    mv "$work/source$i.ppm" "$work/$size/ppm/photo$i.ppm"
  done
  for kind in baseline progressive png ppm; do
    folder="$work/$size/$kind"
    rm -rf "$work/theirs"
    mkdir -p "$work/theirs"
    start=$(date +%s.%N)
    /usr/bin/time -v -o "$work/ours.time" "$picture" gallery "$folder" > "$work/ours.out"
    ours=$(echo "$(date +%s.%N) - $start" | bc)
    [ "$(wc -l < "$work/ours.out")" -eq "$count" ] || { echo "the gallery lost pictures of $folder" >&2; exit 1; }
    start=$(date +%s.%N)
    /usr/bin/time -v -o "$work/theirs.time" bash -c '
      for f in "$1"/*; do
        "$2" "$f" -thumbnail "128x128^" -gravity center -extent 128x128 "$3/$(basename "$f").ppm"
      done' _ "$folder" "$convert" "$work/theirs"
    theirs=$(echo "$(date +%s.%N) - $start" | bc)
    awk -v s="$size" -v k="$kind" -v c="$count" -v o="$ours" -v t="$theirs" -v om="$(peak "$work/ours.time")" \
        -v tm="$(peak "$work/theirs.time")" 'BEGIN {
      printf "%-10s %-12s %6d %10.2f %10.2f %6.2f %9.1f %9.1f\n", s, k, c, o, t, o / t, om / 1024, tm / 1024 }'
  done
  rm -rf "${work:?}/$size"
done
