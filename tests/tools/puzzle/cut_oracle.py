#!/usr/bin/env python3
"""A second, independent implementation of the grid cut of a new game, written
from the cut's rules alone: the random generator, the classic edge, the grid
generator and the piece outlines. Single precision is emulated by rounding
every operation's double result to float32 (exact for +, -, *, / and the
square root of float32 operands). Prints what `kestrune-puzzle grid` prints.

usage: cut_oracle.py SEED COLUMNS ROWS WIDTH HEIGHT
       cut_oracle.py setup < lines of "WIDTH HEIGHT REQUESTED"
           (prints what `kestrune-puzzle setup` prints for each line)
"""
import math
import struct
import sys


def f(x):
    """Rounds a double to the nearest float32."""
    return struct.unpack('<f', struct.pack('<f', x))[0]


def bits(x):
    return '%08x' % struct.unpack('<I', struct.pack('<f', x))[0]


class Twister:
    def __init__(self, seed):
        mt = [seed & 0xFFFFFFFF]
        for i in range(1, 624):
            prev = mt[i - 1]
            mt.append((((prev ^ (prev >> 30)) + i) * 1812433253) & 0xFFFFFFFF)
        self.mt = mt
        self.index = 624
        self.draws = 0

    def refresh(self):
        mt = self.mt
        for k in range(624):
            y = (mt[k] & 0x80000000) | (mt[(k + 1) % 624] & 0x7FFFFFFF)
            if k == 0:
                partner = mt[623]
            elif k <= 226:
                partner = mt[k - 1]
            else:
                partner = mt[k - 227]
            mt[k] = partner ^ (y >> 1) ^ (0x9908B0DF if y & 1 else 0)

    def word(self):
        if self.index >= 624:
            self.refresh()
            self.index = 0
        y = self.mt[self.index]
        self.index += 1
        self.draws += 1
        y ^= y >> 11
        y ^= (y << 7) & 0x9D2C5680
        y ^= (y << 15) & 0xEFC60000
        y ^= y >> 18
        return y & 0xFFFFFFFF

    def real(self, scale):
        return f(f(f(self.word()) * scale) / 4294967296.0)

    def choice(self, modulus):
        return self.word() % modulus


def length(dx, dy):
    return f(math.sqrt(f(f(dx * dx) + f(dy * dy))))


class Segment:
    def __init__(self, a, b):
        dx, dy = f(b[0] - a[0]), f(b[1] - a[1])
        L = length(dx, dy)
        self.origin = a
        if L > 0:
            self.dir = (f(dx / L), f(dy / L))
            self.length = L
        else:
            r = f(1.0 / math.sqrt(2.0))
            self.dir = (r, r)
            self.length = 0.0

    def along(self, s):
        return (f(self.origin[0] + f(self.dir[0] * s)), f(self.origin[1] + f(self.dir[1] * s)))

    def end(self):
        return self.along(self.length)


class Bezier:
    def __init__(self, s, u, e, w):
        self.p = [s, (f(s[0] + u[0]), f(s[1] + u[1])), (f(e[0] + w[0]), f(e[1] + w[1])), e]

    def at(self, t):
        assert 0.0 <= t <= 1.0
        u = f(1.0 - t)
        w = [f(f(u * u) * u), f(f(f(u * 3.0) * u) * t), f(f(f(3.0 * u) * t) * t), f(f(t * t) * t)]
        out = []
        for c in range(2):
            acc = f(f(w[0] * self.p[0][c]) + f(w[1] * self.p[1][c]))
            acc = f(acc + f(w[2] * self.p[2][c]))
            acc = f(acc + f(w[3] * self.p[3][c]))
            out.append(acc)
        return tuple(out)


class Straight:
    kind = 'straight'

    def __init__(self, a, b):
        self.seg = Segment(a, b)

    def points(self):
        return [self.seg.origin, self.seg.end()]


class Classic:
    kind = 'classic'

    def __init__(self, F, T, s, count):
        self.shape = s
        d = (f(T[0] - F[0]), f(T[1] - F[1]))
        n = (-d[1], d[0])
        L = length(d[0], d[1])

        def P(a, b):
            return tuple(f(f(F[c] + f(d[c] * a)) + f(n[c] * b)) for c in range(2))

        a_end = P(f(f(0.5 + s[1]) - f(s[0] * 0.5)), s[2])
        d_start = P(f(f(0.5 + s[1]) + f(s[0] * 0.5)), s[3])
        H = P(f(0.5 + s[5]), s[4])
        self.A = Segment(F, a_end)
        self.D = Segment(d_start, T)
        ua = tuple(f(f(self.A.dir[c] * L) * s[6]) for c in range(2))
        self.B = Bezier(self.A.end(), ua, H, tuple(f(-d[c] * s[7]) for c in range(2)))
        ud = tuple(f(f(-self.D.dir[c] * L) * s[8]) for c in range(2))
        self.C = Bezier(H, tuple(f(d[c] * s[9]) for c in range(2)), self.D.origin, ud)
        self.count = count

    def points(self):
        c, h = self.count, self.count // 2
        out = [self.A.origin]
        for i in range(1, h):
            out.append(self.B.at(f(float(i - 1) / float(h - 1))))
        for i in range(h, c - 1):
            out.append(self.C.at(f(float(i - h) / float(c - h - 1))))
        out.append(self.D.end())
        return out


class Reverse:
    kind = 'reverse'

    def __init__(self, inner):
        self.inner = inner
        self.shape = inner.shape

    def points(self):
        return list(reversed(self.inner.points()))


RANGES = [  # (scale bits, offset, scaled)
    (0x3DCCCCCC, 0.25, True), (0x3E4CCCCD, -0.1, False), (0x3CA3D70A, -0.03, True), (0x3CA3D70A, -0.03, True),
    (0x3DCCCCCE, 0.2, True), (0x3DCCCCCD, -0.05, True), (0x3DCCCCCE, 0.2, True), (0x3DE147B0, 0.45, True),
    (0x3DCCCCCE, 0.2, True), (0x3DE147B0, 0.45, True),
]


def from_bits(b):
    return struct.unpack('<f', struct.pack('<I', b))[0]


def classic(rng, F, T, k=1.0, spacing=7.5):
    s = []
    for scale_bits, offset, scaled in RANGES:
        r = rng.real(from_bits(scale_bits))
        v = f(r + f(offset))
        s.append(f(v * k) if scaled else v)
    L = length(f(T[0] - F[0]), f(T[1] - F[1]))
    m = int(math.ceil(f(f(L * 1.5) / spacing))) + 1
    m = 2 if m < 2 else min(m, 128)
    return Classic(F, T, s, m + 2)


def random_direction(rng, F, T):
    if rng.choice(2) != 0:
        return classic(rng, F, T)
    return Reverse(classic(rng, T, F))


def grid(seed, C, R, W, H):
    rng = Twister(seed)
    corner = {}
    for j in range(R + 1):
        for i in range(C + 1):
            corner[(i, j)] = (f(f(float(i) / float(C)) * W), f(f(float(j) / float(R)) * H))
    start = {0: (1, 0), 1: (1, 1), 2: (0, 1), 3: (0, 0)}
    edges, side = [], {}

    def make(x, y, s, factory):
        a = corner[(x + start[s][0], y + start[s][1])]
        b = corner[(x + start[(s + 1) % 4][0], y + start[(s + 1) % 4][1])]
        edges.append(factory(a, b))
        side[(x, y, s)] = (len(edges) - 1, 0)

    straight = Straight
    inner = lambda a, b: random_direction(rng, a, b)
    # Pass 1: rows, sides 3 (near) and 1 (far); pass 2: columns, sides 2 and 0.
    for x in range(C):
        make(x, 0, 3, straight)
    for y in range(1, R):
        for x in range(C):
            make(x, y, 3, inner)
    for x in range(C):
        make(x, R - 1, 1, straight)
    for y in range(R):
        make(0, y, 2, straight)
    for x in range(1, C):
        for y in range(R):
            make(x, y, 2, inner)
    for y in range(R):
        make(C - 1, y, 0, straight)
    for y in range(R - 1):
        for x in range(C):
            e, r = side[(x, y + 1, 3)]
            side[(x, y, 1)] = (e, 1 - r)
    for x in range(C - 1):
        for y in range(R):
            e, r = side[(x + 1, y, 2)]
            side[(x, y, 0)] = (e, 1 - r)

    out = []
    for i, e in enumerate(edges):
        line = 'edge %d %s' % (i, e.kind)
        if e.kind != 'straight':
            line += ''.join(' ' + bits(v) for v in e.shape)
        out.append(line)
        pts = e.points()
        out.append('points %d %d' % (i, len(pts)) + ''.join(' %s,%s' % (bits(p[0]), bits(p[1])) for p in pts))
    for y in range(R):
        for x in range(C):
            p = y * C + x
            recs = [side[(x, y, s)] for s in range(4)]
            out.append('piece %d' % p + ''.join(' %d:%d' % r for r in recs))
            outline = []
            for e, r in recs:
                pts = edges[e].points()
                if r:
                    pts = list(reversed(pts))
                outline.extend(pts[1:])
            out.append('outline %d %d' % (p, len(outline)) +
                       ''.join(' %s,%s' % (bits(q[0]), bits(q[1])) for q in outline))
    return '\n'.join(out) + '\n', rng.draws


def roundf(x):
    """Rounds halves away from zero."""
    return math.floor(x + 0.5) if x >= 0 else -math.floor(-x + 0.5)


def search_grid(N, W, H, limit):
    long_side, short_side = (W, H) if W >= H else (H, W)
    if long_side == 0 or short_side == 0 or N == 0:
        return 1, 1
    if limit > 1:
        limit = f(1.0 / limit)
    L, S, Nf = f(long_side), f(short_side), f(N)
    x = f(f(L * Nf) / S)
    n_long0 = int(roundf(f(math.sqrt(x))))
    n_long, n_short = n_long0, int(roundf(f(Nf / f(n_long0))))
    n_max = int(math.ceil(f(math.sqrt(f(x / limit)))))
    steps = min(max(abs(n_max - n_long0), 1), 20)

    def aspect(c_long, c_short):
        a = f(f(f(c_short) * L) / f(S * f(c_long)))
        return f(1.0 / a) if a > 1 else a

    def miss(a, b):
        d = (a * b - N) & 0xFFFFFFFF
        return abs(d - (1 << 32) if d >= (1 << 31) else d)

    for k in range(1, steps + 1):
        for c_long in (n_long0 - k, n_long0 + k):
            if c_long < 1:
                continue
            c_short = int(roundf(f(Nf / f(c_long))))
            a, b = aspect(c_long, c_short), aspect(n_long, n_short)
            if not (a > limit or a > b):
                continue
            dc, db = miss(c_short, c_long), miss(n_short, n_long)
            if dc < db or (dc == db and a > b):
                n_long, n_short = c_long, c_short
    if n_short == 0:
        # Too long for a second row: one row of the requested count.
        n_long, n_short = N, 1
    n_long = max(n_long, 1)
    return (n_long, n_short) if W >= H else (n_short, n_long)


def setup(W, H, N):
    C, R = search_grid(N, W, H, f(1.1))
    if W * H == 0:
        size = (1.0, 1.0)
    else:
        tx = max(f(f(C) * 64.0), f(314.96063))
        ty = max(f(f(R) * 64.0), f(314.96063))
        s = max(f(tx / f(W)), f(ty / f(H)))
        size = (float(roundf(f(f(W) * s))), float(roundf(f(f(H) * s))))
    return 'grid %d %d size %s %s pieces %d' % (C, R, bits(size[0]), bits(size[1]), (C * R) & 0xFFFFFFFF)


if __name__ == '__main__' and sys.argv[1:2] == ['setup']:
    for line in sys.stdin:
        if line.strip():
            W, H, N = (int(a) for a in line.split())
            print(setup(W, H, N))
elif __name__ == '__main__':
    seed, C, R = (int(a) for a in sys.argv[1:4])
    W, H = f(float(sys.argv[4])), f(float(sys.argv[5]))
    text, draws = grid(seed, C, R, W, H)
    sys.stdout.write(text)
    sys.stderr.write('draws %d\n' % draws)
