#!/usr/bin/env bash
# Full-size picture decoding, as a player waits for it when a game starts:
# kestrune-picture convert IN OUT.ppm against djpeg -dct float -pnm (JPEG) and
# pamtopnm (binary PPM), over the same files in the same run, the two
# programs' runs taken in turn. Pictures are rendered at 2560 x 1600 and
# 5120 x 2880 (photograph-like, smooth and noisy), encoded by cjpeg (baseline
# 4:2:0 and progressive, quality 90) and written as binary PPM by
# kestrune-picture itself. Then the eighth-scale decode against djpeg
# -scale 1/8.
#
# Per file: the best wall time of RUNS runs of each program (process start
# included), our time as a ratio of the peer's, the peak resident memory of
# each (GNU time), and our memory limit at full size: twice the decoded
# picture plus the file.
#   bench/run-jpeg.sh [BUILD_FOLDER] [RUNS] [SIZES]
# SIZES defaults to "2560x1600 5120x2880". Needs cjpeg and djpeg
# (libjpeg-turbo-progs), pamtopnm (netpbm) and GNU time.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../out/release}
runs=${2:-5}
sizes=${3:-2560x1600 5120x2880}
work=$(mktemp -d "${TMPDIR:-/var/tmp}/kestrune-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

for tool in cjpeg djpeg pamtopnm /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (libjpeg-turbo-progs, netpbm, time)" >&2; exit 1; }
done
cmake --build "$build" --target bench_jpeg kestrune-picture -j "$(nproc)" >/dev/null
bench="$build/bench/bench_jpeg"
picture="$build/bin/kestrune-picture"

# Wall time of one run in microseconds.
wall_us() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}
# Peak resident memory of one run in KiB.
peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }

printf "%-10s %-7s %-12s %9s %9s %6s %9s %9s %9s\n" \
  size picture kind "ours ms" "peer ms" ratio "ours MiB" "peer MiB" "limit MiB"
# row SIZE PICTURE KIND FILE DECODED_BYTES -- OURS... -- PEER...
row() {
  local size=$1 name=$2 kind=$3 file=$4 decoded=$5
  shift 6
  local ours=() peer=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done
  shift
  peer=("$@")
  local best_ours="" best_peer=""
  for _ in $(seq "$runs"); do
    local a b
    a=$(wall_us "${ours[@]}")
    b=$(wall_us "${peer[@]}")
    if [ -z "$best_ours" ] || [ "$a" -lt "$best_ours" ]; then best_ours=$a; fi
    if [ -z "$best_peer" ] || [ "$b" -lt "$best_peer" ]; then best_peer=$b; fi
  done
  local mem_ours mem_peer bytes
  mem_ours=$(peak_kib "${ours[@]}")
  mem_peer=$(peak_kib "${peer[@]}")
  bytes=$(stat -c %s "$file")
  awk -v s="$size" -v n="$name" -v k="$kind" -v o="$best_ours" -v p="$best_peer" -v mo="$mem_ours" \
      -v mp="$mem_peer" -v d="$decoded" -v f="$bytes" 'BEGIN {
    limit = d > 0 ? sprintf("%9.1f", (2 * d + f) / 1048576) : sprintf("%9s", "-")
    printf "%-10s %-7s %-12s %9.1f %9.1f %6.2f %9.1f %9.1f %s\n", s, n, k, o / 1000, p / 1000, o / p,
           mo / 1024, mp / 1024, limit }'
}

for size in $sizes; do
  width=${size%x*}
  height=${size#*x}
  decoded=$((width * height * 3))
  for style in photo smooth noise; do
    source="$work/$style-$size-source.ppm"
    "$bench" picture "$source" "$width" "$height" "$style"
    cjpeg -quality 90 -outfile "$work/$style-$size.jpg" "$source"
    cjpeg -quality 90 -progressive -outfile "$work/$style-$size-progressive.jpg" "$source"
    "$picture" convert "$source" "$work/$style-$size.ppm"
    rm -f "$source"
    out="$work/out.ppm"
    row "$size" "$style" "baseline" "$work/$style-$size.jpg" "$decoded" \
      -- "$picture" convert "$work/$style-$size.jpg" "$out" \
      -- djpeg -dct float -pnm -outfile "$out" "$work/$style-$size.jpg"
    row "$size" "$style" "progressive" "$work/$style-$size-progressive.jpg" "$decoded" \
      -- "$picture" convert "$work/$style-$size-progressive.jpg" "$out" \
      -- djpeg -dct float -pnm -outfile "$out" "$work/$style-$size-progressive.jpg"
    row "$size" "$style" "PPM" "$work/$style-$size.ppm" "$decoded" \
      -- "$picture" convert "$work/$style-$size.ppm" "$out" \
      -- sh -c 'pamtopnm "$1" > "$2"' _ "$work/$style-$size.ppm" "$out"
    row "$size" "$style" "base 1/8" "$work/$style-$size.jpg" 0 \
      -- "$picture" convert --eighth "$work/$style-$size.jpg" "$out" \
      -- djpeg -scale 1/8 -pnm -outfile "$out" "$work/$style-$size.jpg"
    row "$size" "$style" "prog 1/8" "$work/$style-$size-progressive.jpg" 0 \
      -- "$picture" convert --eighth "$work/$style-$size-progressive.jpg" "$out" \
      -- djpeg -scale 1/8 -pnm -outfile "$out" "$work/$style-$size-progressive.jpg"
    rm -f "$work/$style-$size"*
  done
done
echo "(ours: the exact single-precision inverse DCT and corner-aligned bilinear chroma; djpeg: its float DCT"
echo " and fancy upsampling. The 1/8 rows scale with djpeg's default DCT.)"
