#!/usr/bin/env python3
"""A reader of shape files written apart from the program that makes them,
and a small rasteriser to look at them.

    shapefile.py check FOLDER         reads every FOLDER/*.dat strictly and prints
                                      one line per file: name, width, height,
                                      then per layer "colours/points/contour sizes"
    shapefile.py render FILE SIZE OUT draws the file at SIZE x SIZE pixels into a PNG
    shapefile.py sheet FOLDER SIZE OUT draws every shape file of FOLDER side by side
    shapefile.py ink FILE SIZE        prints the share of the SIZE x SIZE square
                                      covered by the drawing's first colour
"""
import math
import os
import struct
import sys
import zlib


class FormatError(Exception):
    pass


class Reader:
    def __init__(self, data):
        self.data = data
        self.at = 0

    def take(self, fmt):
        size = struct.calcsize(fmt)
        if self.at + size > len(self.data):
            raise FormatError("short file at byte %d" % self.at)
        values = struct.unpack_from(fmt, self.data, self.at)
        self.at += size
        return values

    def count(self, what, item_size):
        (n,) = self.take("<I")
        if n * item_size > len(self.data) - self.at:
            raise FormatError("%s count %d beyond the file" % (what, n))
        return n


def parse(data):
    r = Reader(data)
    ox, oy, ex, ey = r.take("<4f")
    layers = []
    for _ in range(r.count("layer", 12)):
        colours = [r.take("<4f") for _ in range(r.count("colour", 16))]
        points = [r.take("<2f") for _ in range(r.count("point", 8))]
        if colours and len(colours) != len(points):
            raise FormatError("%d colours for %d points" % (len(colours), len(points)))
        contours = []
        for _ in range(r.count("contour", 4)):
            indices = list(r.take("<%dI" % r.count("index", 4)))
            if len(indices) < 3:
                raise FormatError("a contour of %d points" % len(indices))
            if any(i >= len(points) for i in indices):
                raise FormatError("index beyond the points")
            contours.append(indices)
        for x, y in points:
            if not (math.isfinite(x) and math.isfinite(y)):
                raise FormatError("a point that is not finite")
            if not (ox <= x <= ox + ex and oy <= y <= oy + ey):
                raise FormatError("point (%g, %g) outside the bounds" % (x, y))
        for c in colours:
            if not all(0.0 <= v <= 1.0 for v in c):
                raise FormatError("a colour component outside 0 to 1")
        layers.append({"colours": colours, "points": points, "contours": contours})
    if r.at != len(data):
        raise FormatError("%d bytes after the last contour" % (len(data) - r.at))
    return {"origin": (ox, oy), "extent": (ex, ey), "layers": layers}


def load(path):
    with open(path, "rb") as f:
        return parse(f.read())


def check(folder):
    failed = False
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".dat"):
            continue
        try:
            shape = load(os.path.join(folder, name))
        except FormatError as e:
            print("%s: %s" % (name, e))
            failed = True
            continue
        parts = [name, "%g" % shape["extent"][0], "%g" % shape["extent"][1]]
        if shape["origin"] != (0.0, 0.0):
            parts.append("origin %g %g" % shape["origin"])
        for layer in shape["layers"]:
            parts.append("%d/%d/%s" % (len(layer["colours"]), len(layer["points"]),
                                       ",".join(str(len(c)) for c in layer["contours"])))
        print(" ".join(parts))
    return 1 if failed else 0


def layer_colour(layer, default):
    """The colour as a linear function of the position, fitted to the layer's
    point colours by least squares (exact for linear shading)."""
    if not layer["colours"]:
        return lambda x, y: default
    rows = [(1.0, x, y) for x, y in layer["points"]]
    # Normal equations of a 3 x 3 system, one per channel.
    ata = [[sum(a[i] * a[j] for a in rows) for j in range(3)] for i in range(3)]
    coefficients = []
    for channel in range(4):
        atb = [sum(a[i] * c[channel] for a, c in zip(rows, layer["colours"])) for i in range(3)]
        k = solve(ata, atb)
        # Points on one line: the mean colour.
        coefficients.append(k if k else [sum(c[channel] for c in layer["colours"]) / len(rows), 0.0, 0.0])
    return lambda x, y: tuple(k[0] + k[1] * x + k[2] * y for k in coefficients)


def solve(a, b):
    """Gaussian elimination; None when the system is singular."""
    m = [row[:] + [v] for row, v in zip(a, b)]
    n = len(m)
    for i in range(n):
        p = max(range(i, n), key=lambda r: abs(m[r][i]))
        if abs(m[p][i]) < 1e-12:
            return None
        m[i], m[p] = m[p], m[i]
        for r in range(n):
            if r != i:
                f = m[r][i] / m[i][i]
                m[r] = [x - f * y for x, y in zip(m[r], m[i])]
    return [m[i][n] / m[i][i] for i in range(n)]


def coverage(layer, shape, width, height, samples=4):
    """Even-odd coverage of the layer's contours, per pixel, rows from the top."""
    ox, oy = shape["origin"]
    ex, ey = shape["extent"]
    edges = []
    for contour in layer["contours"]:
        pts = [layer["points"][i] for i in contour]
        for k in range(len(pts)):
            (x0, y0), (x1, y1) = pts[k], pts[(k + 1) % len(pts)]
            edges.append(((x0 - ox) / ex * width, (1.0 - (y0 - oy) / ey) * height,
                          (x1 - ox) / ex * width, (1.0 - (y1 - oy) / ey) * height))
    cover = [[0.0] * width for _ in range(height)]
    weight = 1.0 / samples
    for row in range(height):
        for s in range(samples):
            y = row + (s + 0.5) / samples
            xs = sorted(x0 + (y - y0) * (x1 - x0) / (y1 - y0)
                        for x0, y0, x1, y1 in edges if (y0 <= y) != (y1 <= y))
            line = cover[row]
            for a, b in zip(xs[0::2], xs[1::2]):
                a, b = max(a, 0.0), min(b, float(width))
                if b <= a:
                    continue
                ia, ib = int(a), int(b)
                if ia == ib:
                    line[ia] += (b - a) * weight
                    continue
                line[ia] += (ia + 1 - a) * weight
                for c in range(ia + 1, min(ib, width)):
                    line[c] += weight
                if ib < width:
                    line[ib] += (b - ib) * weight
    return cover


def draw(shape, width, height, ink, paper):
    """RGB rows from the top: the layers over the paper, each in its colours or in ink."""
    image = [[list(paper) for _ in range(width)] for _ in range(height)]
    ox, oy = shape["origin"]
    ex, ey = shape["extent"]
    for layer in shape["layers"]:
        colour = layer_colour(layer, ink + (1.0,))
        cover = coverage(layer, shape, width, height)
        for row in range(height):
            for column in range(width):
                c = cover[row][column]
                if c <= 0.0:
                    continue
                x = ox + (column + 0.5) / width * ex
                y = oy + (1.0 - (row + 0.5) / height) * ey
                r, g, b, a = colour(x, y)
                a = min(max(a, 0.0), 1.0) * min(c, 1.0)
                pixel = image[row][column]
                for i, v in enumerate((r, g, b)):
                    pixel[i] = pixel[i] * (1.0 - a) + min(max(v, 0.0), 1.0) * a
    return image


def write_png(path, image):
    height, width = len(image), len(image[0])
    raw = b"".join(b"\0" + bytes(int(round(v * 255)) for pixel in row for v in pixel) for row in image)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


# The menu draws icons pale yellow on a golden rounded square.
ICON = (1.0, 1.0, 0.8)
ITEM = (0.95, 0.79, 0.0475)


def render_size(shape, size):
    ex, ey = shape["extent"]
    return (size, max(1, int(round(size * ey / ex)))) if ex >= ey else (max(1, int(round(size * ex / ey))), size)


def main(argv):
    if len(argv) == 3 and argv[1] == "check":
        return check(argv[2])
    if len(argv) == 5 and argv[1] == "render":
        shape = load(argv[2])
        w, h = render_size(shape, int(argv[3]))
        write_png(argv[4], draw(shape, w, h, ICON, ITEM))
        return 0
    if len(argv) == 5 and argv[1] == "sheet":
        size = int(argv[3])
        names = sorted(n for n in os.listdir(argv[2]) if n.endswith(".dat"))
        tiles = []
        for name in names:
            shape = load(os.path.join(argv[2], name))
            w, h = render_size(shape, size)
            tiles.append(draw(shape, w, h, ICON, ITEM))
        gap, columns = max(4, size // 10), 6
        rows = [tiles[i:i + columns] for i in range(0, len(tiles), columns)]
        width = max(sum(len(t[0]) + gap for t in r) for r in rows) + gap
        sheet = []
        for r in rows:
            tallest = max(len(t) for t in r)
            for y in range(-gap, tallest):
                line = []
                for t in r:
                    line += [(0.3, 0.3, 0.3)] * gap
                    line += [tuple(t[y][x]) if 0 <= y < len(t) else (0.3, 0.3, 0.3) for x in range(len(t[0]))]
                line += [(0.3, 0.3, 0.3)] * (width - len(line))
                sheet.append(line)
        sheet += [[(0.3, 0.3, 0.3)] * width for _ in range(gap)]
        write_png(argv[4], sheet)
        return 0
    if len(argv) == 4 and argv[1] == "ink":
        shape = load(argv[2])
        w, h = render_size(shape, int(argv[3]))
        total = [[0.0] * w for _ in range(h)]
        for layer in shape["layers"]:
            for row, line in zip(total, coverage(layer, shape, w, h)):
                for i, c in enumerate(line):
                    row[i] = min(1.0, row[i] + c)
        print("%.4f" % (sum(map(sum, total)) / (w * h)))
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
