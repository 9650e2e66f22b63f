#!/usr/bin/env python3
"""A second, independent implementation of the cut, peg and polygon
generators, written from their rules alone, on top of the grid cut's oracle
(random generator, edges, single precision emulated by rounding every
operation to float32). Prints what the kestrune-puzzle commands print.

usage: generator_oracle.py cut SEED PIECES RATIO WIDTH HEIGHT
       generator_oracle.py peg TEXT WIDTH HEIGHT
       generator_oracle.py polygon X,Y X,Y ... [/ X,Y ...] -- WIDTH HEIGHT
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cut_oracle import Reverse, Straight, Twister, bits, classic, f, length  # noqa: E402

BORDER = 0xFFFFFFFF
EPSILON = f(1.1920929e-7)


def start_of(edge):
    return edge.points()[0]


def end_of(edge):
    return edge.points()[-1]


def squared(a, b):
    dx, dy = f(b[0] - a[0]), f(b[1] - a[1])
    return f(f(dx * dx) + f(dy * dy))


def describe(edges, pieces):
    """pieces: lists of records (edge, reversed, starts)."""
    out = []
    for i, e in enumerate(edges):
        line = 'edge %d %s' % (i, e.kind)
        if e.kind != 'straight' and hasattr(e, 'shape') and e.shape is not None:
            line += ''.join(' ' + bits(v) for v in e.shape)
        out.append(line)
        pts = e.points()
        out.append('points %d %d' % (i, len(pts)) + ''.join(' %s,%s' % (bits(p[0]), bits(p[1])) for p in pts))
    for p, records in enumerate(pieces):
        out.append('piece %d' % p + ''.join(' %d:%d' % (e, r) for e, r, _ in records))
        loops = []
        for k, (e, r, starts) in enumerate(records):
            if k == 0 or starts:
                loops.append([])
            pts = edges[e].points()
            if r:
                pts = list(reversed(pts))
            loops[-1].extend(pts[1:])
        if not loops:
            out.append('outline %d 0' % p)
        for loop in loops:
            out.append('outline %d %d' % (p, len(loop)) + ''.join(' %s,%s' % (bits(q[0]), bits(q[1])) for q in loop))
    return '\n'.join(out) + '\n'


class StraightReverse(Reverse):
    """A reversed straight edge: no shape values."""

    def __init__(self, inner):
        self.inner = inner
        self.shape = None


def reverse_of(edge):
    return Reverse(edge) if edge.kind == 'classic' else StraightReverse(edge)


# The recursive cut ------------------------------------------------------------

class Node:
    def __init__(self, corners, orientation):
        self.corners = corners
        self.orientation = orientation
        self.cut = None
        self.kids = None
        self.pieces = None


def cut(seed, pieces_text, ratio_text, W, H):
    rng = Twister(seed)
    ratio = f(float(ratio_text))
    count = int(pieces_text)
    assert 0.0 <= ratio <= 1.0 and 1 <= count <= 65536
    low = f(f(1.0 - ratio) * 0.5)
    depth = (count - 1).bit_length()
    passes = 1 if depth // 2 <= 1 else 2 * (depth // 2) - 1
    pts = [(0.0, 0.0), (W, 0.0), (0.0, H), (W, H)]

    def between(i, j, t):
        a, b = pts[i], pts[j]
        pts.append((f(a[0] + f(f(b[0] - a[0]) * t)), f(a[1] + f(f(b[1] - a[1]) * t))))
        return len(pts) - 1

    def place(node, t0, t1):
        c = node.corners
        node.cut = (between(c[0], c[1], t0), between(c[2], c[3], t1))

    def draw():
        return f(low + rng.real(ratio))

    root = Node((0, 1, 2, 3), 2)
    t0 = draw()
    t1 = draw()
    place(root, t0, t1)

    def leaves(node):
        if node.kids is None:
            return [node]
        return leaves(node.kids[0]) + leaves(node.kids[1])

    for _ in range(passes):
        for leaf in leaves(root):
            c, k = leaf.corners, leaf.cut
            kids = []
            for corners in ((c[0], c[2], k[0], k[1]), (k[0], k[1], c[1], c[3])):
                kid = Node(corners, 2 - leaf.orientation)
                second = draw()
                first = draw()
                place(kid, first, second)
                kids.append(kid)
            leaf.kids = kids

    npieces = 0
    for leaf in leaves(root):
        leaf.pieces = (npieces, npieces + 1)
        npieces += 2
    edges = []
    records = [[] for _ in range(npieces)]

    def stretches(x, k, orientation):
        if x.orientation != orientation:
            if x.kids is None:
                return [(x.corners[2 * k], x.cut[k], x.pieces[0]), (x.cut[k], x.corners[2 * k + 1], x.pieces[1])]
            return stretches(x.kids[0], k, orientation) + stretches(x.kids[1], k, orientation)
        if x.kids is None:
            return [(x.corners[k], x.corners[k + 2], x.pieces[k])]
        return stretches(x.kids[k], k, orientation)

    def line(node):
        if node.kids is None:
            one = [(node.cut[0], node.cut[1], node.pieces[0])]
            two = [(node.cut[0], node.cut[1], node.pieces[1])]
        else:
            one = stretches(node.kids[0], 1, node.orientation)
            two = stretches(node.kids[1], 0, node.orientation)
        i = j = 0
        at = one[0][0]
        while i < len(one):
            if j == len(two):
                take_one = True
            else:
                take_one = squared(pts[at], pts[two[j][1]]) > squared(pts[at], pts[one[i][1]])
            to = one[i][1] if take_one else two[j][1]
            if j < len(two) and to != at and pts[to] != pts[at]:
                edges.append(classic(rng, pts[at], pts[to]))
                flip = 1 if node.orientation == 0 else 0
                records[one[i][2]].append([len(edges) - 1, flip, 0])
                records[two[j][2]].append([len(edges) - 1, 1 - flip, 0])
            if take_one:
                i += 1
            else:
                j += 1
            at = to
        if node.kids is not None:
            line(node.kids[0])
            line(node.kids[1])

    line(root)

    def border(x, k, orientation, flip):
        def make(a, b, piece):
            edges.append(Straight(pts[a], pts[b]))
            records[piece].append([len(edges) - 1, flip, 0])

        first = x.corners[(4 - k) % 4]
        if x.orientation != orientation:
            if x.kids is None:
                make(first, x.cut[k], x.pieces[k])
                make(x.cut[k], x.corners[k + 1], x.pieces[1 - k])
            else:
                border(x.kids[0], k, orientation, flip)
                border(x.kids[1], k, orientation, flip)
        elif x.kids is None:
            make(first, x.corners[(6 - k) % 4], x.pieces[k])
        else:
            border(x.kids[k], k, orientation, flip)

    for side in (1, 2, 0, 3):
        border(root, side % 2, side & 2, 1 if side >= 2 else 0)

    for recs in records:
        recs[0][2] = 1
        for k in range(1, len(recs)):
            e, r, _ = recs[k - 1]
            end = start_of(edges[e]) if r else end_of(edges[e])
            best, best_d = k, None
            for i in range(k, len(recs)):
                e2, r2, _ = recs[i]
                d = squared(end, end_of(edges[e2]) if r2 else start_of(edges[e2]))
                if best_d is None or d < best_d:
                    best, best_d = i, d
            recs.insert(k, recs.pop(best))
    return describe(edges, [[tuple(r) for r in recs] for recs in records])


# Pegs -------------------------------------------------------------------------

def peg(text, W, H):
    text = ''.join(c for c in text if c not in ' \t\n\r')
    # (number, ends a peg) in text order; an empty number does not parse.
    items, number = [], ''
    for c in text:
        if c in ',;':
            assert number, 'empty number'
            items.append((number, c == ';'))
            number = ''
        else:
            number += c
    if number:
        items.append((number, True))
    edges = []
    board = []
    corners = [(0.0, 0.0), (W, 0.0), (W, H), (0.0, H)]
    for i in range(4):
        edges.append(Straight(corners[i], corners[(i + 1) % 4]))
        board.append((i, 0, 0))
    pieces = [board]
    values = []
    for number, ends in items:
        values.append(f(float(number)))
        if not ends:
            continue
        assert len(values) % 2 == 0, 'odd'
        pairs = [(f(values[i] * W), f(values[i + 1] * H)) for i in range(0, len(values), 2)]
        values = []
        if len(pairs) < 3:
            continue
        first = len(edges)
        for i in range(len(pairs)):
            edges.append(Straight(pairs[i], pairs[(i + 1) % len(pairs)]))
        pieces.append([(first + i, 0, 1 if i == 0 else 0) for i in range(len(pairs))])
        for i in reversed(range(len(pairs))):
            board.append((first + i, 1, 1 if i == len(pairs) - 1 else 0))
    return describe(edges, pieces)


# Polygons ---------------------------------------------------------------------

def unit(dx, dy):
    L = length(dx, dy)
    if L < EPSILON:
        return (0.0, 0.0)
    return (f(dx / L), f(dy / L))


def dot(a, b):
    return f(f(a[0] * b[0]) + f(a[1] * b[1]))


def room(pts, contour, k):
    n = len(contour)
    if n < 2:
        return 0.0
    p, q = pts[contour[k % n]], pts[contour[(k + 1) % n]]
    m = (f(f(p[0] + q[0]) * 0.5), f(f(p[1] + q[1]) * 0.5))
    u = unit(f(q[0] - p[0]), f(q[1] - p[1]))
    v = (-u[1], u[0])
    um = dot(u, m)
    best = None
    prev, prev_front = q, True
    for i in range(2, n + 1):
        x = pts[contour[(k + i) % n]]
        front = f(dot(u, x) - um) > 0
        if front != prev_front:
            e = unit(f(x[0] - prev[0]), f(x[1] - prev[1]))
            w = (-e[1], e[0])
            wv = dot(w, v)
            if not abs(wv) < EPSILON:
                t = f(f(dot(w, prev) - dot(w, m)) / wv)
                if t > 0 and (best is None or t < best):
                    best = t
        prev, prev_front = x, front
    return 0.0 if best is None else best


def polygon(words):
    pts, index, contours, contour = [], {}, [], []
    for word in words:
        if word == '/':
            contours.append(contour)
            contour = []
            continue
        x, y = word.split(',')
        xy = (f(float(x)), f(float(y)))
        if xy not in index:
            index[xy] = len(pts)
            pts.append(xy)
        contour.append(index[xy])
    contours.append(contour)
    rng = Twister(0)
    sides = {}
    for c, contour in enumerate(contours):
        n = len(contour)
        for k in range(n):
            a, b = contour[k - 1], contour[k]
            key = (min(a, b), max(a, b))
            way = 0 if a <= b else 1
            entry = sides.setdefault(key, [[BORDER, BORDER], [0.0, 0.0], None])
            assert entry[0][way] == BORDER
            entry[0][way] = c
            entry[1][way] = room(pts, contour, (k - 1) % n)
    edges = []
    for key in sorted(sides):
        owners, rooms, _ = sides[key]
        a, b = key
        inner = BORDER not in owners

        def make(s, e):
            return classic(rng, pts[s], pts[e]) if inner else Straight(pts[s], pts[e])

        if rooms[1] > rooms[0]:
            edges.append(reverse_of(make(b, a)))
        else:
            edges.append(make(a, b))
        sides[key][2] = len(edges) - 1
    pieces = []
    for contour in contours:
        recs = []
        for k in range(len(contour)):
            a, b = contour[k - 1], contour[k]
            recs.append((sides[(min(a, b), max(a, b))][2], 0 if a <= b else 1, 1 if k == 0 else 0))
        pieces.append(recs)
    return describe(edges, pieces)


if __name__ == '__main__':
    command, args = sys.argv[1], sys.argv[2:]
    if command == 'cut':
        text = cut(int(args[0]), args[1], args[2], f(float(args[3])), f(float(args[4])))
    elif command == 'peg':
        text = peg(args[0], f(float(args[1])), f(float(args[2])))
    else:
        text = polygon(args[:args.index('--')])
    sys.stdout.write(text)
