#!/usr/bin/env bash
# Frame pacing and start-up from outside, two kestrune binaries in one run
# (before: a build of the code to compare with, after: the one under test):
#
#   bench/run-pacing.sh BEFORE_KESTRUNE AFTER_KESTRUNE [REPEATS] [TOOLS_BIN]
#
#   e.g. git worktree add /tmp/base main && cmake -S /tmp/base -B /tmp/base/out \
#          -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build /tmp/base/out --target kestrune
#        bench/run-pacing.sh /tmp/base/out/bin/kestrune out/release/bin/kestrune
#
# TOOLS_BIN (default: the folder of AFTER_KESTRUNE) holds kestrune-puzzle and
# kestrune-model, which make the saved games both binaries open (999 pieces
# of a generated 4000 x 3000 JPEG, cjpeg), and kestrune-gallery. Each binary
# runs in a fresh copy of them, on a virtual X server (Xvfb, 1280 x 1024) of
# its own with Mesa's software renderer. Measured, REPEATS times (default 3),
# on the bare server, windowed at exact sizes (window_width, window_height,
# maximized=false), with the default lighting:
#   - the cores used left alone on the title page and on the still table:
#     the game's CPU time (all threads) over the wall time, and apart from it
#     the X server's;
#   - screen updates per second while xdotool carries a part round a circle,
#     at 800 x 600 and 1280 x 1024, antialiasing off and on;
#   - launch -> the first painted frame of the saved-games list;
#   - the click on the saved game -> its pieces shown;
# then under a window manager (openbox), the game started as a player has it
# (maximized=true, the gallery's four sample pictures beside the saved games):
#   - launch -> the saved-games list complete, with five saved games of one
#     picture and with five games of five different pictures: the first read
#     of the pixels below the list's title that then stay the same for a
#     second, all five thumbnails shown (and when the first one came);
# (the times waited also with their fastest and slowest runs).
# KESTRUNE_BENCH_PARTS="pacing" or "list" measures only those of the bare
# server or only the list (default both).
# The screen is read with screen-watch (bench/screen-watch.c, built here):
# an update is a read of the window's rectangle that differs from the read
# before, so a count is at most the reads a second it manages (it prints
# them). Prints the medians beside the goals; the machine is shared,
# so figures vary from run to run.
#
# Needs: Xvfb, openbox, xdotool, python3, cjpeg (libjpeg-turbo-progs), a C
# compiler, libx11-dev and libxext-dev, and the run-time XTest library
# (libxtst6). An X display of one's own is used instead when
# KESTRUNE_BENCH_DISPLAY names it (a 1280 x 1024 x 24 one; its server's CPU
# is then not reported apart unless KESTRUNE_BENCH_XPID gives its process
# id; openbox is not started when a window manager runs there already). On a
# machine shared with other work, KESTRUNE_BENCH_REALTIME=1 runs the X server
# started here and everything the measurements start (the games, openbox,
# xdotool, screen-watch) at a real-time priority (chrt -f 10), so that the
# other work's load does not decide what is measured.
set -euo pipefail
if [ $# -lt 2 ]; then
  sed -n '2,9p' "$0" >&2
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
