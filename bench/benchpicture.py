"""The picture the game benchmarks play with: a 4000 x 3000 JPEG of vivid
colours in diagonal bands, made with cjpeg."""
import os, subprocess

PICTURE = (4000, 3000)


def write_picture(path, variant=0):
    """Each variant has bands of its own width and slant."""
    width, height = PICTURE
    period, slant = ((500, 3), (650, 2), (800, 1), (950, 4), (1100, 5))[variant]
    row = bytearray()
    for x in range(width):
        h = (x * 6.0 / period) % 6.0
        k = int(255 * (1 - abs(h % 2 - 1)))
        row += bytes(((255, k, 40), (k, 255, 40), (40, 255, k), (40, k, 255), (k, 40, 255), (255, 40, k))[int(h)])
    doubled = bytes(row) * 2
    ppm = path + '.ppm'
    with open(ppm, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (width, height))
        for y in range(height):
            shift = (y * slant) % width * 3
            f.write(doubled[shift:shift + width * 3])
    with open(path, 'wb') as out:
        subprocess.run(['cjpeg', '-quality', '90', ppm], stdout=out, check=True)
    os.remove(ppm)
