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
before=$1
after=$2
picture=$3
rounds=${4:-2}
runs=${5:-5}
prefix=()
if [ "${KESTRUNE_BENCH_REALTIME:-}" = 1 ]; then
  prefix=(chrt -f 10)
fi
export SDL_VIDEODRIVER=x11 LIBGL_ALWAYS_SOFTWARE=1
if [ -n "${KESTRUNE_BENCH_DISPLAY:-}" ]; then
  export DISPLAY=$KESTRUNE_BENCH_DISPLAY
else
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true; wait $xvfb 2>/dev/null || true; rm -f "$number_file"' EXIT
  for _ in $(seq 300); do
    grep -q '^[0-9][0-9]*$' "$number_file" && break
    kill -0 $xvfb 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
  done
  export DISPLAY=":$(cat "$number_file")"
fi
for round in $(seq "$rounds"); do
  for build in "$before" "$after"; do
    echo "== round $round: $build"
    "${prefix[@]}" "$build/bench/bench_resume" "$picture" 1000 "$runs" | grep -v '^window\|^picture [0-9]\|^game of'
  done
done
