#!/usr/bin/env bash
# JPEG decoding: our importer against libjpeg-turbo's djpeg on 12-megapixel
# photograph-like pictures made with cjpeg (baseline 4:2:0, progressive, and
# eighth-scale against djpeg -scale 1/8), in the same run. Prints the best of
# RUNS times and our time as a ratio of djpeg's.
#   bench/run-jpeg.sh [BUILD_FOLDER] [RUNS]
# Needs cjpeg and djpeg (apt-get install libjpeg-turbo-progs).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../out/release}
runs=${2:-5}
work=$(mktemp -d "${TMPDIR:-/var/tmp}/kestrune-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

if ! command -v cjpeg >/dev/null || ! command -v djpeg >/dev/null; then
  echo "cjpeg and djpeg are needed (libjpeg-turbo-progs)" >&2
  exit 1
fi
cmake --build "$build" --target bench_jpeg -j "$(nproc)" >/dev/null
bench="$build/bench/bench_jpeg"

"$bench" picture "$work/photo.ppm" 4000 3000
cjpeg -quality 90 -outfile "$work/baseline.jpg" "$work/photo.ppm"
cjpeg -quality 90 -progressive -outfile "$work/progressive.jpg" "$work/photo.ppm"

# Best wall time of djpeg in milliseconds (process start included, ~1 ms).
djpeg_ms() {
  local best=""
  for _ in $(seq "$runs"); do
    local start end ms
    start=$(date +%s%N)
    djpeg -outfile /dev/null "$@"
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
}

printf "%-26s %10s %10s %8s\n" "12 MP, quality 90" "ours ms" "djpeg ms" "ratio"
row() {
  local name=$1 ours=$2 theirs=$3
  printf "%-26s %10s %10s %8s\n" "$name" "$ours" "$theirs" "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2f", a / b }')"
}
row "baseline 4:2:0" "$("$bench" decode "$work/baseline.jpg" "$runs")" "$(djpeg_ms "$work/baseline.jpg")"
row "progressive 4:2:0" "$("$bench" decode "$work/progressive.jpg" "$runs")" "$(djpeg_ms "$work/progressive.jpg")"
row "baseline, eighth scale" "$("$bench" decode "$work/baseline.jpg" "$runs" eighth)" \
  "$(djpeg_ms -scale 1/8 "$work/baseline.jpg")"
row "progressive, eighth scale" "$("$bench" decode "$work/progressive.jpg" "$runs" eighth)" \
  "$(djpeg_ms -scale 1/8 "$work/progressive.jpg")"
echo "(djpeg uses its default integer DCT and fancy upsampling; ours the exact single-precision sums.)"
