#!/usr/bin/env bash
# Frame pacing from outside, two kestrune binaries in one run (before: a build
# of the code to compare with, after: the one under test):
#
#   bench/run-pacing.sh BEFORE_KESTRUNE AFTER_KESTRUNE [REPEATS] [TOOLS_BIN]
#
#   e.g. git worktree add /tmp/base main && cmake -S /tmp/base -B /tmp/base/out \
#          -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build /tmp/base/out --target kestrune
#        bench/run-pacing.sh /tmp/base/out/bin/kestrune out/release/bin/kestrune
#
# TOOLS_BIN (default: the folder of AFTER_KESTRUNE) holds kestrune-puzzle and
# kestrune-model, which make the saved game both binaries resume: 999 pieces of
# a generated 4000 x 3000 JPEG (cjpeg). Each binary runs in a fresh copy of
# it, windowed at exact sizes (window_width, window_height, maximized=false),
# with the default lighting, on a virtual X server (Xvfb, 1280 x 1024) of its
# own with Mesa's software renderer. Measured, REPEATS times (default 3):
#   - the cores used left alone on the title page and on the still table:
#     the game's CPU time (all threads) over the wall time, and apart from it
#     the X server's;
#   - screen updates per second while xdotool carries a part round a circle,
#     at 800 x 600 and 1280 x 1024, antialiasing off and on;
#   - launch -> the first painted frame of the saved-games list;
#   - the click on the saved game -> its pieces shown
#   (these two also with their fastest and slowest runs).
# The screen is read with screen-watch (bench/screen-watch.c, built here):
# an update is a read of the window's rectangle that differs from the read
# before, so a count is at most the reads a second it manages (it prints
# them). Prints the medians beside the goals; the machine is shared,
# so figures vary from run to run.
#
# Needs: Xvfb, xdotool, python3, cjpeg (libjpeg-turbo-progs), a C compiler,
# libx11-dev and libxext-dev, and the run-time XTest library (libxtst6).
# An X display of one's own is used instead when KESTRUNE_BENCH_DISPLAY names
# it (a 1280 x 1024 x 24 one; its server's CPU is then not reported apart
# unless KESTRUNE_BENCH_XPID gives its process id). On a machine shared with
# other work, KESTRUNE_BENCH_REALTIME=1 runs the X server started here and
# everything the measurements start (the games, xdotool, screen-watch) at a
# real-time priority (chrt -f 10), so that the other work's load does not
# decide what is measured.
set -euo pipefail
if [ $# -lt 2 ]; then
  sed -n '2,12p' "$0" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
before=$(realpath "$1")
after=$(realpath "$2")
repeats=${3:-3}
tools=$(realpath "${4:-$(dirname "$after")}")
work=$(mktemp -d)
. "$here/display.sh"
cleanup() {
  bench_display_stop
  rm -rf "$work"
}
trap cleanup EXIT
cc -O2 -Wall -o "$work/screen-watch" "$here/screen-watch.c" -lX11 -lXext -ldl

bench_realtime
bench_display "${bench_prefix[@]}"
xpid=${bench_xvfb:-${KESTRUNE_BENCH_XPID:-0}}
"${bench_prefix[@]}" python3 "$here/pacing.py" "$work/screen-watch" "$xpid" "$tools" "$before" "$after" "$repeats"
