#!/usr/bin/env bash
# Runs bench_frame_cost on a virtual X server with Mesa's software renderer
# (an X display of one's own is used when KESTRUNE_BENCH_DISPLAY names it).
# Given a second build folder (one built from an earlier commit), both are
# run in turn, one round each at a time, so that both meet the same load of
# a shared machine; the medians of all their rounds are printed side by side.
#   bench/run-frame-cost.sh [BUILD_FOLDER] [EARLIER_BUILD_FOLDER] [rounds] [frames] [lighting ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-out/release}
earlier=${2:-}
rounds=${3:-5}
frames=${4:-120}
shift $(( $# < 4 ? $# : 4 ))
lightings=("$@")
[ ${#lightings[@]} -gt 0 ] || lightings=(attribute)
. "$here/display.sh"
trap bench_display_stop EXIT
bench_display
if [ -z "$earlier" ]; then
  "$build/bench/bench_frame_cost" "$rounds" "$frames" "${lightings[@]}"
  exit
fi
results=$(mktemp)
for round in $(seq "$rounds"); do
  for which in earlier build; do
    folder=$([ $which = build ] && echo "$build" || echo "$earlier")
    "$folder/bench/bench_frame_cost" 1 "$frames" "${lightings[@]}" | grep '^carrying' | sed "s/^/$which|/" >>"$results"
  done
  echo "round $round of $rounds done" >&2
done
python3 - "$results" "$earlier" "$build" <<'PY'
import re, statistics, sys
rows = {}
for line in open(sys.argv[1]):
    which, text = line.rstrip("\n").split("|", 1)
    m = re.match(r"carrying, (.*): draw ([0-9.]+) ms, swap ([0-9.]+) ms", text)
    setting, draw, swap = m.group(1), float(m.group(2)), float(m.group(3))
    rows.setdefault(setting, {}).setdefault(which, []).append((draw, swap))
print("medians of the rounds; earlier: %s, now: %s" % (sys.argv[2], sys.argv[3]))
print("%-50s %26s %26s" % ("carrying a part", "earlier: draw ms, updates/s", "now: draw ms, updates/s"))
for setting, runs in rows.items():
    cells = []
    for which in ("earlier", "build"):
        values = runs.get(which, [])
        draw = statistics.median(d for d, s in values)
        updates = statistics.median(1000.0 / (d + s) for d, s in values)
        cells.append("%9.2f ms %8.1f /s (%d)" % (draw, updates, len(values)))
    print("%-50s %26s %26s" % (setting, cells[0], cells[1]))
PY
rm -f "$results"
