#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/Command.h"
#include "support/TempFolder.h"

using KestruneTest::Command;
using KestruneTest::TempFolder;

namespace {

const std::string tool = KESTRUNE_BINARY_DIR "/bin/kestrune-picture";

bool haveOracles() {
    return Command::available("python3") && Command::available("pngtopnm") && Command::available("pngcheck") &&
           Command::available("pamdepth");
}

// Python helpers shared by the oracle scripts: a PNG writer with a chosen
// filter per row, a NetPBM reader, and a pixel comparison that accepts
// different maxvals and grey against colour.
const char* const pythonHelpers = R"PY(
import zlib, struct, random, subprocess, os, sys

def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc: return a
    if pb <= pc: return b
    return c

def filtered(rows, bpp):
    out = b''
    prev = bytes(len(rows[0]))
    for y, row in enumerate(rows):
        f = y % 5
        line = bytearray()
        for i, x in enumerate(row):
            a = row[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            pred = [0, a, b, (a + b) // 2, paeth(a, b, c)][f]
            line.append((x - pred) & 255)
        out += bytes([f]) + bytes(line)
        prev = row
    return out

def write_png(path, width, height, depth, ctype, rows, palette=None, trns=None, interlace=0, split=False):
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    bpp = max(1, channels * depth // 8)
    data = zlib.compress(filtered(rows, bpp), 9)
    body = chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, ctype, 0, 0, interlace))
    body += chunk(b'tEXt', b'Comment\x00made by a test')
    if palette is not None: body += chunk(b'PLTE', palette)
    if trns is not None: body += chunk(b'tRNS', trns)
    if split:
        body += chunk(b'IDAT', data[:7]) + chunk(b'IDAT', data[7:])
    else:
        body += chunk(b'IDAT', data)
    open(path, 'wb').write(b'\x89PNG\r\n\x1a\n' + body + chunk(b'IEND', b''))

def tokens(data, pos, count):
    out = []
    while len(out) < count:
        while data[pos] in b' \t\r\n': pos += 1
        if data[pos] == ord('#'):
            while data[pos] != 10: pos += 1
            continue
        start = pos
        while data[pos] not in b' \t\r\n#': pos += 1
        out.append(int(data[start:pos]))
    return out, pos + 1

def read_pnm(path):
    data = open(path, 'rb').read()
    kind = data[:2]
    if kind == b'P4':
        (w, h), pos = tokens(data, 2, 2)
        stride = (w + 7) // 8
        px = [((0 if (data[pos + y * stride + x // 8] >> (7 - x % 8)) & 1 else 1),)
              for y in range(h) for x in range(w)]
        return w, h, 1, px
    (w, h, m), pos = tokens(data, 2, 3)
    ch = 3 if kind == b'P6' else 1
    size = 2 if m > 255 else 1
    vals = [int.from_bytes(data[pos + i * size: pos + (i + 1) * size], 'big') for i in range(w * h * ch)]
    return w, h, m, [tuple(vals[i * ch:(i + 1) * ch]) for i in range(w * h)]

def same(path_a, path_b):
    wa, ha, ma, pa = read_pnm(path_a)
    wb, hb, mb, pb = read_pnm(path_b)
    if (wa, ha) != (wb, hb): return False
    for a, b in zip(pa, pb):
        if len(a) != len(b):
            a, b = (a * 3 if len(a) == 1 else a), (b * 3 if len(b) == 1 else b)
        if any(x * mb != y * ma for x, y in zip(a, b)): return False
    return True

def run(*args):
    return subprocess.run(list(args), capture_output=True)
)PY";

} // namespace

TEST(PictureTool, DecodesPngLikeAReferenceDecoderForEveryKind) {
    if (!haveOracles())
        GTEST_SKIP() << "python3, netpbm or pngcheck missing";
    TempFolder folder;
    const auto result = Command::python(std::string(pythonHelpers) + "tool = '" + tool + "'\nfolder = '" +
                                        folder.path() + R"PY('
r = random.Random(9)
cases = []
for ctype, depths in ((0, (1, 2, 4, 8, 16)), (2, (8, 16)), (3, (1, 2, 4, 8)), (4, (8, 16)), (6, (8, 16))):
    for depth in depths:
        for trns in (False, True):
            if trns and ctype != 3: continue
            w, h = 13, 11
            channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
            rowbytes = (w * channels * depth + 7) // 8
            # Few distinct values make ties in the Paeth predictor common.
            levels = [0, 1, 128, 255] if depth >= 8 else list(range(256))
            rows = [bytes(r.choice(levels) for _ in range(rowbytes)) for _ in range(h)]
            palette = None
            tr = None
            if ctype == 3:
                entries = 1 << depth
                palette = bytes(r.randrange(256) for _ in range(3 * entries))
                if trns: tr = bytes(r.randrange(256) for _ in range(entries))
            name = os.path.join(folder, 'c%d-d%d-t%d' % (ctype, depth, trns))
            write_png(name + '.png', w, h, depth, ctype, rows, palette, tr, split=(depth == 8))
            cases.append(name)
bad = []
for name in cases:
    ours = run(tool, 'convert', name + '.png', name + '.pnm')
    with open(name + '.ref.pnm', 'wb') as f:
        subprocess.run(['pngtopnm', name + '.png'], stdout=f, stderr=subprocess.DEVNULL, check=True)
    if ours.returncode != 0 or not same(name + '.pnm', name + '.ref.pnm'):
        bad.append(('decode', name, ours.stderr))
        continue
    # Our exporter: the file passes the validator and decodes the same.
    ours = run(tool, 'convert', name + '.png', name + '.out.png')
    check = run('pngcheck', '-q', name + '.out.png')
    with open(name + '.out.pnm', 'wb') as f:
        subprocess.run(['pngtopnm', name + '.out.png'], stdout=f, stderr=subprocess.DEVNULL)
    if ours.returncode != 0 or check.returncode != 0 or not same(name + '.out.pnm', name + '.ref.pnm'):
        bad.append(('export', name, ours.stderr, check.stdout))
print(len(cases), bad)
)PY");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "19 []\n");
}

TEST(PictureTool, RefusesInterlacedAndBrokenFiles) {
    if (!haveOracles())
        GTEST_SKIP() << "python3, netpbm or pngcheck missing";
    TempFolder folder;
    const auto result = Command::python(std::string(pythonHelpers) + "tool = '" + tool + "'\nfolder = '" +
                                        folder.path() + R"PY('
p = os.path.join(folder, 'i.png')
write_png(p, 4, 4, 8, 0, [bytes(4)] * 4, interlace=1)
a = run(tool, 'convert', p, p + '.pgm')
print(a.returncode, a.stderr.decode().strip(), os.path.exists(p + '.pgm'))
a = run(tool, 'convert', os.path.join(folder, 'missing.png'), p + '.pgm')
print(a.returncode)
a = run(tool, 'convert', p)
print(a.returncode)
open(p, 'wb').write(b'\x89PNG\r\n\x1a\n')
a = run(tool, 'convert', p, p + '.pgm')
print(a.returncode, a.stderr.decode().strip())
)PY");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "1 No support for PNG interlace method 1. False\n1\n1\n1 png : unexpected end of file\n");
}

TEST(PictureTool, NetpbmFilesAgreeWithNetpbmAndRoundTrip) {
    if (!haveOracles())
        GTEST_SKIP() << "python3, netpbm or pngcheck missing";
    TempFolder folder;
    const auto result = Command::python(std::string(pythonHelpers) + "tool = '" + tool + "'\nfolder = '" +
                                        folder.path() + R"PY('
r = random.Random(4)
w, h = 10, 7
bad = []
def path(name): return os.path.join(folder, name)
# Files in the exporter's own header form, so a round trip must give the same bytes.
files = {}
files['bits.pbm'] = b'P4\n%d\n%d\n' % (w, h) + bytes(r.randrange(256) & 0xC0 for _ in range(2 * h))
for maxval, size in ((255, 1), (65535, 2)):
    files['g%d.pgm' % maxval] = b'P5\n%d\n%d\n%d\n' % (w, h, maxval) + bytes(r.randrange(256) for _ in range(w * h * size))
    files['c%d.ppm' % maxval] = b'P6\n%d\n%d\n%d\n' % (w, h, maxval) + bytes(r.randrange(256) for _ in range(3 * w * h * size))
for name, data in files.items():
    open(path(name), 'wb').write(data)
    a = run(tool, 'convert', path(name), path('rt-' + name))
    if a.returncode != 0 or open(path('rt-' + name), 'rb').read() != data:
        bad.append(('roundtrip', name, a.stderr))
    # Through our PNG, decoded by the reference decoder.
    a = run(tool, 'convert', path(name), path(name + '.png'))
    with open(path(name + '.ref.pnm'), 'wb') as f:
        subprocess.run(['pngtopnm', path(name + '.png')], stdout=f, stderr=subprocess.DEVNULL)
    if a.returncode != 0 or not same(path(name), path(name + '.ref.pnm')):
        bad.append(('png', name, a.stderr))
# Maxvals below 255 (and between 255 and 65535) are scaled like netpbm's pamdepth.
for maxval, depth in ((1, 255), (100, 255), (200, 255), (1000, 65535)):
    size = 2 if maxval > 255 else 1
    data = b'P6 %d %d %d\n' % (w, h, maxval) + b''.join(r.randrange(maxval + 1).to_bytes(size, 'big') for _ in range(3 * w * h))
    name = 'm%d.ppm' % maxval
    open(path(name), 'wb').write(data)
    a = run(tool, 'convert', path(name), path('ours-' + name))
    with open(path('ref-' + name), 'wb') as f:
        subprocess.run(['pamdepth', str(depth), path(name)], stdout=f, stderr=subprocess.DEVNULL, check=True)
    if a.returncode != 0 or read_pnm(path('ours-' + name)) != read_pnm(path('ref-' + name)):
        bad.append(('maxval', maxval, a.stderr))
# Comments between tokens.
open(path('comment.pgm'), 'wb').write(b'P5\n# made by hand\n2 # width\n1\n255\n\x10\x20')
a = run(tool, 'convert', path('comment.pgm'), path('comment-out.pgm'))
if a.returncode != 0 or open(path('comment-out.pgm'), 'rb').read() != b'P5\n2\n1\n255\n\x10\x20':
    bad.append(('comment', a.stderr))
# The plain forms are refused.
for plain in ('P1\n1 1\n1\n', 'P2\n1 1\n255\n7\n', 'P3\n1 1\n255\n1 2 3\n'):
    open(path('plain.pnm'), 'w').write(plain)
    a = run(tool, 'convert', path('plain.pnm'), path('plain-out.pnm'))
    if a.returncode != 1 or a.stderr.decode().strip() != 'No support for plain ASCII.':
        bad.append(('plain', plain, a.stderr))
print(bad)
)PY");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "[]\n");
}
