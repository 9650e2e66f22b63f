# Sourced by the run-*.sh scripts of the benchmarks that draw: the X display
# they draw on, with Mesa's software renderer as the tests draw.
#
#   bench_display [COMMAND PREFIX ...]
#     exports SDL_VIDEODRIVER=x11, LIBGL_ALWAYS_SOFTWARE=1 and DISPLAY: the
#     display KESTRUNE_BENCH_DISPLAY names, else a virtual X server of its
#     own (Xvfb, 1280 x 1024 x 24), started behind the prefix when one is
#     given, whose process id it leaves in bench_xvfb (empty otherwise);
#   bench_display_stop
#     ends that server; the script's EXIT trap calls it;
#   bench_realtime
#     sets the array bench_prefix to a real-time priority (chrt -f 10) when
#     KESTRUNE_BENCH_REALTIME=1, else empties it: on a machine shared with
#     other work, what runs behind it is not slowed by that work's load.

bench_xvfb=""

bench_display() {
  export SDL_VIDEODRIVER=x11 LIBGL_ALWAYS_SOFTWARE=1
  if [ -n "${KESTRUNE_BENCH_DISPLAY:-}" ]; then
    export DISPLAY=$KESTRUNE_BENCH_DISPLAY
    return
  fi
  local number_file
  number_file=$(mktemp)
  "$@" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
  bench_xvfb=$!
  for _ in $(seq 300); do
    grep -q '^[0-9][0-9]*$' "$number_file" && break
    kill -0 "$bench_xvfb" 2>/dev/null || { rm -f "$number_file"; echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
  done
  export DISPLAY=":$(cat "$number_file")"
  rm -f "$number_file"
}

bench_display_stop() {
  if [ -n "$bench_xvfb" ]; then
    kill "$bench_xvfb" 2>/dev/null || true
    wait "$bench_xvfb" 2>/dev/null || true
    bench_xvfb=""
  fi
}

bench_realtime() {
  bench_prefix=()
  if [ "${KESTRUNE_BENCH_REALTIME:-}" = 1 ]; then
    bench_prefix=(chrt -f 10)
  fi
}
