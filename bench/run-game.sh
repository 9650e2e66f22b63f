#!/usr/bin/env bash
# Runs bench_game_program on a virtual X server with Mesa's software
# renderer, as the tests draw (an X display of one's own is used when
# KESTRUNE_BENCH_DISPLAY names it).
#   bench/run-game.sh [BUILD_FOLDER] [requested pieces]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-out/release}
pieces=${2:-1000}
. "$here/display.sh"
trap bench_display_stop EXIT
bench_display
"$build/bench/bench_game_program" "$pieces"
