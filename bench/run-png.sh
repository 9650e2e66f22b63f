#!/usr/bin/env bash
# Decodes a few photograph-like RGB PNGs of some megapixels with our importer
# and with libpng, and inflates their image data with our inflater and with
# zlib; prints our time as a ratio of the peer's.
#   bench/run-png.sh [build folder]     (default: build)
# Needs: python3, netpbm (pnmtopng), a C compiler, libpng-dev, zlib1g-dev.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target bench_png >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -o "$work/peer" bench/png-peer.c -lpng -lz

python3 - "$work" <<'PY'
import math, random, sys
folder = sys.argv[1]
for index, (w, h) in enumerate(((1600, 1200), (2048, 1536))):
    r = random.Random(index)
    cx, cy = r.uniform(0, w), r.uniform(0, h)
    noise = [int(r.gauss(0, 6)) for _ in range(8191)]
    cosx = [math.cos(x / 97.0) for x in range(w)]
    rows = []
    for y in range(h):
        row = bytearray()
        k = y * 31
        for x in range(w):
            base = 128 + 90 * math.sin(math.hypot(x - cx, y - cy) / 40.0) * cosx[x]
            n = noise[(k + x) % 8191]
            row += bytes((max(0, min(255, int(base + n))), max(0, min(255, int(base + 30 + n))), max(0, min(255, int(base + 60 - n)))))
        rows.append(bytes(row))
    with open('%s/photo%d.ppm' % (folder, index), 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (w, h))
        f.writelines(rows)
PY
for p in "$work"/*.ppm; do pnmtopng "$p" > "${p%.ppm}.png" 2>/dev/null; done

"$build/bench/bench_png" "$work"/*.png > "$work/ours.txt"
"$work/peer" "$work"/*.png > "$work/peer.txt"
paste "$work/ours.txt" "$work/peer.txt" | awk '{
  name = $1; sub(/.*\//, "", name)
  printf "%-12s decode %.4fs vs libpng %.4fs (x%.2f)   inflate %.4fs vs zlib %.4fs (x%.2f)\n",
         name, $2, $5, $2 / $5, $3, $6, $3 / $6 }'
