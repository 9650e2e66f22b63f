#!/usr/bin/env bash
# Runs bench_game_program on a virtual X server with Mesa's software
# renderer, as the tests draw (an X display of one's own is used when
# KESTRUNE_BENCH_DISPLAY names it).
#   bench/run-game.sh [BUILD_FOLDER] [requested pieces]
set -euo pipefail
build=${1:-out/release}
pieces=${2:-1000}
export SDL_VIDEODRIVER=x11 LIBGL_ALWAYS_SOFTWARE=1
if [ -n "${KESTRUNE_BENCH_DISPLAY:-}" ]; then
  export DISPLAY=$KESTRUNE_BENCH_DISPLAY
  exec "$build/bench/bench_game_program" "$pieces"
fi
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
"$build/bench/bench_game_program" "$pieces"
