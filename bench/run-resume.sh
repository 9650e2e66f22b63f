#!/usr/bin/env bash
# bench_resume of two builds (before and after a change) in turn in the same
# run, on a virtual X server with Mesa's software renderer (or the display
# KESTRUNE_BENCH_DISPLAY names), with a large JPEG of one's own (see
# bench_jpeg picture and cjpeg):
#   bench/run-resume.sh BEFORE_BUILD AFTER_BUILD PICTURE.jpg [ROUNDS] [RUNS]
# Each round runs both builds' bench_resume with RUNS runs each. On a
# machine shared with other work, KESTRUNE_BENCH_REALTIME=1 runs them at a
# real-time priority (chrt -f 10) so that the other work's load does not
# decide what is measured.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
before=$1
after=$2
picture=$3
rounds=${4:-2}
runs=${5:-5}
. "$here/display.sh"
bench_realtime
trap bench_display_stop EXIT
bench_display
for round in $(seq "$rounds"); do
  for build in "$before" "$after"; do
    echo "== round $round: $build"
    "${bench_prefix[@]}" "$build/bench/bench_resume" "$picture" 1000 "$runs" | grep -v '^window\|^picture [0-9]\|^game of'
  done
done
