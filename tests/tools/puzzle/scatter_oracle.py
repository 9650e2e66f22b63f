#!/usr/bin/env python3
"""A second, independent implementation of the scatter of a new game, written
from its rules alone: the shuffle, the outer-rectangle placer, the tray's
bounds and the view's zoom. The cut comes from cut_oracle.py (its printed
edges are read back); piece bounds follow the edges' own rectangles. Single
precision is emulated as there. Prints what `kestrune-puzzle scatter` prints.

usage: scatter_oracle.py SEED COLUMNS ROWS WIDTH HEIGHT
"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cut_oracle as cut  # noqa: E402

f = cut.f
bits = cut.bits
GOLDEN = f(1.618034)


def point_of(text):
    x, y = text.split(',')
    return (cut.from_bits(int(x, 16)), cut.from_bits(int(y, 16)))


class Box:
    """A rectangle as origin and extent, grown by the model's rules."""

    def __init__(self, x, y, w=0.0, h=0.0):
        self.o = [x, y]
        self.e = [w, h]

    def extend(self, p):
        for i in range(2):
            if self.o[i] > p[i]:
                self.e[i] = f(f(self.o[i] + self.e[i]) - p[i])
                self.o[i] = p[i]
            elif f(p[i] - self.o[i]) > self.e[i]:
                self.e[i] = f(p[i] - self.o[i])

    def unite(self, other):
        for i in range(2):
            low = min(self.o[i], other.o[i])
            high = max(f(self.o[i] + self.e[i]), f(other.o[i] + other.e[i]))
            self.o[i], self.e[i] = low, f(high - low)


def piece_bounds(text):
    """The bounds of every piece of a printed cut."""
    edges, kinds, shapes, pieces = {}, {}, {}, []
    for line in text.splitlines():
        words = line.split()
        if words[0] == 'edge':
            kinds[int(words[1])] = words[2]
            shapes[int(words[1])] = [cut.from_bits(int(w, 16)) for w in words[3:]]
        elif words[0] == 'points':
            edges[int(words[1])] = [point_of(w) for w in words[3:]]
        elif words[0] == 'piece':
            pieces.append([int(w.split(':')[0]) for w in words[2:]])
    boxes = {}
    for i, pts in edges.items():
        if kinds[i] == 'straight':
            box = Box(*pts[0])
            box.extend(pts[-1])
        else:
            first, last = (pts[0], pts[-1]) if kinds[i] == 'classic' else (pts[-1], pts[0])
            c = cut.Classic(first, last, shapes[i], len(pts))
            box = Box(*first)
            for p in (last, c.B.p[3], c.A.end(), c.D.origin):
                box.extend(p)
        boxes[i] = box
    out = []
    for records in pieces:
        box = Box(boxes[records[0]].o[0], boxes[records[0]].o[1], *boxes[records[0]].e)
        for e in records[1:]:
            box.unite(boxes[e])
        out.append(box)
    return out


class Placer:
    def __init__(self, inner, gap):
        self.gap = gap
        self.cov = inner
        self.start_run()

    def start_run(self):
        (x, y), (w, h) = self.cov.o, self.cov.e
        wide = w > f(h * GOLDEN)
        self.axis = 0 if wide else 1
        b = 1 - self.axis
        low, high = self.cov.o[b], f(self.cov.o[b] + self.cov.e[b])
        far = abs(high) > abs(low)
        if wide and far:
            self.step, self.off, self.cur = (1.0, 0.0), (0.0, 1.0), [x, y]
        elif wide:
            self.step, self.off, self.cur = (-1.0, 0.0), (1.0, 0.0), [f(x + w), f(y + h)]
        elif far:
            self.step, self.off, self.cur = (0.0, -1.0), (1.0, 1.0), [x, f(y + h)]
        else:
            self.step, self.off, self.cur = (0.0, 1.0), (0.0, 0.0), [f(x + w), y]
        a = self.axis
        self.limits = (self.cov.o[a], f(self.cov.o[a] + self.cov.e[a]))

    def outside(self, v):
        return v < self.limits[0] or v > self.limits[1]

    def place(self, w, h):
        s = (f(w + f(2.0 * self.gap[0])), f(h + f(2.0 * self.gap[1])))
        a = self.axis
        if self.outside(f(self.cur[a] + f(s[a] * self.step[a]))):
            self.start_run()
        p = [f(self.cur[i] - f(s[i] * self.off[i])) for i in range(2)]
        for i in range(2):
            self.cur[i] = f(self.cur[i] + f(s[i] * self.step[i]))
        for i in range(2):
            low = min(self.cov.o[i], p[i])
            high = max(f(p[i] + s[i]), f(self.cov.o[i] + self.cov.e[i]))
            self.cov.o[i], self.cov.e[i] = low, f(high - low)
        if self.outside(self.cur[self.axis]):
            self.start_run()
        return (f(p[0] + self.gap[0]), f(p[1] + self.gap[1]))


def scatter(seed, C, R, W, H):
    text, _ = cut.grid(seed, C, R, W, H)
    bounds = piece_bounds(text)
    n = len(bounds)
    order = list(range(n))
    rng = cut.Twister(0)
    for i in range(1, n):
        j = rng.choice(i + 1)
        if j != i:
            order[i], order[j] = order[j], order[i]
    placer = Placer(Box(f(-W * 0.5), f(-H * 0.5), W, H), (5.0, 5.0))
    places = [placer.place(*bounds[piece].e) for piece in order]
    tray = None
    for i, piece in enumerate(order):
        box = Box(places[i][0], places[i][1], *bounds[piece].e)
        if tray is None:
            tray = Box(places[i][0], places[i][1])
        tray.unite(box)
    if tray is None:
        tray = Box(0.0, 0.0)
    scale = max(1.0, f(tray.e[1] / 540.0), f(tray.e[0] / 960.0))
    level = f(-math.log2(scale))
    lines = ['view 0 %s %s %s' % (bits(0.0), bits(0.0), bits(level))]
    for i, piece in enumerate(order):
        lines.append('part %d piece %d tray 0 place %d pose %s %s %016x' %
                     (i, piece, i, bits(places[i][0]), bits(places[i][1]), 0))
    return '\n'.join(lines) + '\n'


if __name__ == '__main__':
    seed, C, R = (int(a) for a in sys.argv[1:4])
    W, H = f(float(sys.argv[4])), f(float(sys.argv[5]))
    sys.stdout.write(scatter(seed, C, R, W, H))
