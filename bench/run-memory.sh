#!/usr/bin/env bash
# The memory a game's load takes, two builds (before and after a change) side
# by side in the same run, their runs interleaved:
#   bench/run-memory.sh BEFORE_BUILD AFTER_BUILD [ROUNDS] [PIECES]
# For each build, ROUNDS times (default 5): the peak resident memory (GNU
# time) and the wall time of a new game and of resuming it with
# kestrune-model session, and, for builds with bench_game_memory, of the
# same in the game on a virtual X server with Mesa's software renderer (or
# the display KESTRUNE_BENCH_DISPLAY names); medians and ratios. The picture
# is a 4000 x 3000 JPEG made with cjpeg, cut into PIECES pieces (default
# 999; 9996 for a large game). On a machine shared with other work,
# KESTRUNE_BENCH_REALTIME=1 runs every measured program at a real-time
# priority (chrt -f 10), so that the other work's load does not decide the
# times. Needs cjpeg (libjpeg-turbo-progs), GNU time, python3 and Xvfb.
set -euo pipefail
if [ $# -lt 2 ]; then
  sed -n '2,4p' "$0" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
. "$here/display.sh"
bench_realtime
trap bench_display_stop EXIT
bench_display
python3 "$here/memory.py" "$1" "$2" "${3:-5}" "${4:-999}" "${bench_prefix[@]}"
