# Finds the pieces of the test picture in a screenshot. The picture is a
# colour gradient with little blue (red grows to the right, green down), so
# a piece's pixels stand out from the grey table and the white veil of the
# puzzle area: their red or green lies well above their blue.
from collections import deque


def is_piece(pixel):
    r, g, b = pixel
    return max(r, g) - b > 45


def components(shot, left, top, width, height, step=2, skip=None):
    """The connected groups of piece pixels in the rectangle, sampled every
    step pixels: each a list of (x, y) screen points, largest first. skip,
    when given, is a rectangle (left, top, width, height) left out."""
    def skipped(x, y):
        return skip is not None and skip[0] <= x < skip[0] + skip[2] and skip[1] <= y < skip[1] + skip[3]

    columns, rows = width // step, height // step
    mask = [[False] * columns for _ in range(rows)]
    for j in range(rows):
        y = top + j * step
        for i in range(columns):
            x = left + i * step
            mask[j][i] = not skipped(x, y) and is_piece(shot.at(x, y))
    seen = [[False] * columns for _ in range(rows)]
    found = []
    for j in range(rows):
        for i in range(columns):
            if not mask[j][i] or seen[j][i]:
                continue
            group, queue = [], deque([(i, j)])
            seen[j][i] = True
            while queue:
                ci, cj = queue.popleft()
                group.append((left + ci * step, top + cj * step))
                for ni, nj in ((ci + 1, cj), (ci - 1, cj), (ci, cj + 1), (ci, cj - 1)):
                    if 0 <= ni < columns and 0 <= nj < rows and mask[nj][ni] and not seen[nj][ni]:
                        seen[nj][ni] = True
                        queue.append((ni, nj))
            found.append(group)
    found.sort(key=len, reverse=True)
    return found


def away_from(groups, point):
    """The groups whose bounding box does not hold the point."""
    def holds(group):
        return (min(p[0] for p in group) <= point[0] <= max(p[0] for p in group)
                and min(p[1] for p in group) <= point[1] <= max(p[1] for p in group))
    return [g for g in groups if not holds(g)]


def inner_point(group, step=2):
    """The point of the group farthest inside it (the largest of its four
    straight distances to the group's border), a safe place to grab."""
    points = set(group)

    def reach(x, y, dx, dy):
        n = 0
        while (x + dx * (n + 1), y + dy * (n + 1)) in points:
            n += 1
        return n

    best, best_point = -1, group[0]
    for x, y in group:
        depth = min(reach(x, y, step, 0), reach(x, y, -step, 0), reach(x, y, 0, step), reach(x, y, 0, -step))
        if depth > best:
            best, best_point = depth, (x, y)
    return best_point


def differing(a, b, left, top, width, height, tolerance=24):
    """The share of the rectangle's pixels that differ by more than the
    tolerance in a channel between two screenshots."""
    count = 0
    for y in range(top, top + height):
        for x in range(left, left + width):
            pa, pb = a.at(x, y), b.at(x, y)
            if abs(pa[0] - pb[0]) > tolerance or abs(pa[1] - pb[1]) > tolerance or abs(pa[2] - pb[2]) > tolerance:
                count += 1
    return count / float(width * height)
