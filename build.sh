#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Kestrune and runs it or its tests.
#   ./build.sh run    install what is missing, build, and start the game in
#                     the folder play/ (saved games, log, configuration), with
#                     the sample pictures put into play/gallery/
#   ./build.sh test   install what is missing, build, run every test
#                     (plain, then under AddressSanitizer+UBSan, then the
#                     thread tests under ThreadSanitizer); the drawing tests
#                     run on a virtual X server started for the run
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  g++ cmake make pkg-config
  # the window and OpenGL framework
  libsdl2-dev libglew-dev
  # the Wayland connection under SDL's window, asked whether it still holds
  libwayland-dev
  # the window's title bar on Wayland, where each program draws its own
  libdecor-0-plugin-1-cairo
  # the window tests ask the X server itself
  libx11-dev
  googletest libgtest-dev
  # independent oracles of the tests
  python3 diffutils netpbm pngcheck zopfli libjpeg-turbo-progs
  # the drawing tests: a virtual X server and Mesa's software renderer
  xvfb libgl1-mesa-dri mesa-utils
  # the game played end to end: pointer and keys, screenshots
  xdotool imagemagick
  # the game started on a Wayland compositor, a client of the virtual X server
  weston
)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

jobs=$(nproc)

configure_and_build() { # folder, cmake options..., then optional targets after --
  local dir=$1; shift
  local options=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && { shift; targets=("$@"); }
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$dir" -j "$jobs" --target "${targets[@]}"
  else
    cmake --build "$dir" -j "$jobs"
  fi
}

# One virtual X server for the whole test run, with a 24-bit screen. It is
# stopped by its process id on every way out of this script. -noreset keeps
# it from resetting whenever its last client leaves, which refuses the
# connections that arrive meanwhile (parallel test processes come and go).
xvfb_pid=""
display_number=""
stop_display() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
  if [ -n "$display_number" ]; then
    rm -f "$display_number"
    display_number=""
  fi
}
start_display() {
  display_number=$(mktemp)
  trap stop_display EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_number" >/dev/null 2>&1 &
  xvfb_pid=$!
  # The server writes its display number once it accepts connections.
  local tries=0
  until grep -q '^[0-9][0-9]*$' "$display_number" 2>/dev/null; do
    if ! kill -0 "$xvfb_pid" 2>/dev/null || [ $tries -ge 300 ]; then
      echo "The virtual X server (Xvfb) did not start." >&2
      exit 1
    fi
    sleep 0.1
    tries=$((tries + 1))
  done
  export DISPLAY=":$(cat "$display_number")"
  # SDL on X11, drawing with Mesa's software renderer.
  export SDL_VIDEODRIVER=x11 LIBGL_ALWAYS_SOFTWARE=1
}

run_tests() { # folder, ctest options...
  local dir=$1; shift
  (cd "$dir" && ctest -j "$jobs" --output-on-failure --timeout 600 "$@")
}

# Under load, LeakSanitizer's check at exit now and then crashes in its own
# runtime after a test has passed. When that is all that failed, those tests
# run once more; any other failure stands.
run_sanitized_tests() { # folder
  local dir=$1
  run_tests "$dir" && return 0
  python3 tests/support/leak_check_crashes.py "$dir" || return 1
  echo "Running them once more:"
  run_tests "$dir" --rerun-failed
}

case "${1:-}" in
  run)
    install_missing
    configure_and_build out/release -DKESTRUNE_TESTS=OFF -DKESTRUNE_BENCH=OFF
    # The game keeps its saved games, its log and its configuration in the
    # folder it runs in. The sample pictures join the player's own there;
    # none is replaced.
    mkdir -p play/gallery
    cp -n out/release/gallery/*.png play/gallery/
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "The game is built, but it needs a graphical desktop to open its window, and this" >&2
      echo "session has none (neither DISPLAY nor WAYLAND_DISPLAY is set). Run this command" >&2
      echo "again from a terminal inside a desktop session (or over ssh -X)." >&2
      exit 1
    fi
    cd play
    echo "Starting Kestrune in $(pwd) (its saved games, log and configuration are kept there)."
    status=0
    ../out/release/bin/kestrune --configuration configuration.txt || status=$?
    if [ "$status" -ne 0 ]; then
      echo "The game ended with an error. The end of its log, play/jigsaw_log.txt:" >&2
      tail -n 5 jigsaw_log.txt >&2 || true
    fi
    exit "$status"
    ;;
  test)
    install_missing
    configure_and_build out/release -DKESTRUNE_TESTS=ON -DKESTRUNE_BENCH=ON
    start_display
    run_tests out/release
    configure_and_build out/asan -DKESTRUNE_SANITIZE=ON -DKESTRUNE_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_sanitized_tests out/asan
    threads=$(find tests -path '*/threads/*Test.cpp' -printf '%h\n' | sed 's|^tests/||' | sort -u)
    if [ -n "$threads" ]; then
      targets=()
      for t in $threads; do targets+=("test_${t//\//_}"); done
      configure_and_build out/tsan -DKESTRUNE_TSAN=ON -DKESTRUNE_BENCH=OFF -- "${targets[@]}"
      for t in $threads; do TSAN_OPTIONS=halt_on_error=1 run_tests out/tsan -L "^$t\$"; done
    fi
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
