#include "model/PartMeshSet.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>
#include <string>

#include "foundation/exceptions/Exception.h"
#include "foundation/threads/Bands.h"
#include "geometry/Polygon.h"
#include "geometry/PolygonTriangulator.h"
#include "model/Part.h"
#include "model/PartMeshException.h"
#include "model/Puzzle.h"
#include "model/Table.h"

using TAVO::Point;
using TAVO::Vector;
using P2 = Point<2, float>;
using V2 = Vector<2, float>;

namespace {

constexpr std::uint32_t none = 0xFFFFFFFFu;
// Beyond the nearby distance, with room for the rounding of measured distances.
constexpr float farMargin = PartMeshSet::nearbyDistance + 1.0f;

// The piece's outline and its triangles (sweep upwards, outer contours
// counter-clockwise).
void triangulate(const Puzzle& puzzle, std::uint32_t piece, Polygon& outline,
                 std::vector<TAVO::Tuple<3, unsigned int>>& triangles) {
    puzzle.pieceOutline(piece, outline);
    try {
        PolygonTriangulator triangulator(outline, V2(0.0f, 1.0f), true);
        triangulator.triangulate(triangles);
    } catch (const TAVO::Exception& failure) {
        throw PartMeshException(TAVO::SourceLocation(), "The outline of piece " + std::to_string(piece) +
                                                            " cannot be cut into triangles: " + failure.message());
    }
}

V2 diagonal() { return TAVO::normalised(V2(1.0f, 1.0f)); }

// A straight edge of an outline from p to q.
struct EdgeSlot {
    P2 p, q;
};

// A triangle side from its start towards the next corner.
struct Side {
    P2 origin;
    V2 direction;
    float length;

    Side(const P2& from, const P2& to) : origin(from) {
        const V2 d = to - from;
        length = TAVO::length(d);
        direction = length == 0.0f ? diagonal() : d / length;
    }

    // The distance to the nearest point of the side.
    float distance(const P2& point) const {
        const float along = std::clamp(TAVO::dot(point - origin, direction), 0.0f, length);
        return TAVO::length(point - (origin + direction * along));
    }
};

struct Nearby {
    float distance;
    EdgeSlot edge;
};

// The lines of one slot: the edge line and its two end caps.
struct SlotLines {
    V2 normal, along;
    float fraction, lineOffset, startOffset, endOffset;

    explicit SlotLines(const EdgeSlot& edge) {
        const V2 d = edge.q - edge.p;
        along = TAVO::length(d) < FLT_EPSILON ? V2(0.0f, 0.0f) : TAVO::normalised(d);
        normal = V2(-along[1], along[0]);
        const V2 p(edge.p[0], edge.p[1]), q(edge.q[0], edge.q[1]);
        lineOffset = TAVO::dot(normal, p);
        startOffset = TAVO::dot(along, p);
        endOffset = TAVO::dot(-along, q);
        // The normal's direction as a fraction of a turn counter-clockwise from x.
        double turn = std::atan2(static_cast<double>(normal[1]), static_cast<double>(normal[0]));
        if (turn < 0.0)
            turn += 2.0 * std::numbers::pi;
        fraction = static_cast<float>(turn / (2.0 * std::numbers::pi));
    }

    // The four values of the slot at a corner.
    void values(const P2& corner, float* out) const {
        const V2 c(corner[0], corner[1]);
        out[0] = fraction;
        out[1] = TAVO::dot(normal, c) - lineOffset;
        out[2] = TAVO::dot(along, c) - startOffset;
        out[3] = TAVO::dot(-along, c) - endOffset;
    }
};

} // namespace

// One piece's outline and triangles, and where its mesh goes in the set.
struct PartMeshSet::PieceMesh {
    std::uint32_t piece = 0;
    Polygon outline;
    Triangles triangles;
    // Its first vertex, and its first index (plain) or edge value (attribute).
    std::size_t vertex = 0, index = 0;
};

void PartMeshSet::release() { *this = PartMeshSet(); }

void PartMeshSet::build(const Puzzle& puzzle, const Table& table, bool attributeLighting, unsigned int threads) {
    // Every piece in drawing order: trays in the table's order, parts bottom first.
    std::vector<std::uint32_t> parts;
    std::vector<PieceMesh> pieces;
    for (unsigned int trayId : table.trayOrder())
        for (auto it = table.tray(trayId).parts(); it.valid(); it.next()) {
            parts.push_back(it.current());
            for (std::uint32_t piece : table.part(it.current()).pieces())
                pieces.emplace_back().piece = piece;
        }
    // Runs of about the same number of pieces, in order. The failure passed
    // on is the one of the earliest piece, as one build in order meets it.
    const unsigned int runs = TAVO::Bands::count(pieces.size(), piecesPerThread, threads);
    auto first = [&](std::size_t run) { return pieces.size() * run / runs; };

    // The triangles of every piece, which tell the size of its mesh.
    TAVO::Bands::run(runs, [&](unsigned int run) {
        for (std::size_t i = first(run); i < first(run + 1); ++i)
            triangulate(puzzle, pieces[i].piece, pieces[i].outline, pieces[i].triangles);
    });

    // Each piece's place after the meshes already held, and each part's range.
    std::size_t vertices = vertexCount(), indices = attributeLighting ? edgeAttributes_.size() : indices_.size();
    std::vector<DrawRange> partRanges(parts.size());
    std::size_t next = 0;
    for (std::size_t p = 0; p < parts.size(); ++p) {
        DrawRange& range = partRanges[p];
        range.first = std::uint32_t(attributeLighting ? vertices : indices);
        for (std::size_t n = table.part(parts[p]).pieces().size(); n > 0; --n, ++next) {
            PieceMesh& piece = pieces[next];
            piece.vertex = vertices;
            piece.index = indices;
            const std::size_t corners = 3 * piece.triangles.size();
            vertices += attributeLighting ? corners : piece.outline.points().size();
            indices += attributeLighting ? attributesPerVertex * corners : corners;
            range.count += std::uint32_t(corners);
        }
    }
    positions_.resize(2 * vertices);
    if (attributeLighting)
        edgeAttributes_.resize(indices);
    else
        indices_.resize(indices);
    for (std::size_t p = 0; p < parts.size(); ++p)
        ranges_[parts[p]].push_back(partRanges[p]);

    // The meshes, each run writing its pieces in place.
    TAVO::Bands::run(runs, [&](unsigned int run) {
        for (std::size_t i = first(run); i < first(run + 1); ++i) {
            if (attributeLighting)
                placeAttribute(pieces[i]);
            else
                placePlain(pieces[i]);
        }
    });
}

void PartMeshSet::placePlain(const PieceMesh& piece) {
    float* position = positions_.data() + 2 * piece.vertex;
    for (const P2& point : piece.outline.points()) {
        *position++ = point[0];
        *position++ = point[1];
    }
    std::uint32_t* index = indices_.data() + piece.index;
    const std::uint32_t base = std::uint32_t(piece.vertex);
    for (const auto& triangle : piece.triangles)
        for (int k = 0; k < 3; ++k)
            *index++ = triangle[k] + base;
}

void PartMeshSet::placeAttribute(const PieceMesh& piece) {
    const Polygon& outline = piece.outline;
    std::vector<std::uint32_t> previous(outline.points().size(), none), next(outline.points().size(), none);
    for (const Polygon::Contour& contour : outline.contours())
        for (std::size_t i = 0; i < contour.size(); ++i) {
            previous[contour[i]] = contour[(i + contour.size() - 1) % contour.size()];
            next[contour[i]] = contour[(i + 1) % contour.size()];
        }
    float* positions = positions_.data() + 2 * piece.vertex;
    float* attributes = edgeAttributes_.data() + piece.index;
    for (const auto& triangle : piece.triangles) {
        attributeTriangle(outline, previous, next, triangle, positions, attributes);
        positions += 2 * 3;
        attributes += attributesPerVertex * 3;
    }
}

void PartMeshSet::attributeTriangle(const Polygon& outline, const std::vector<std::uint32_t>& previous,
                                   const std::vector<std::uint32_t>& next, const TAVO::Tuple<3, unsigned int>& triangle,
                                   float* positions, float* attributes) {
    const std::vector<P2>& points = outline.points();
    const std::uint32_t c[3] = {triangle[0], triangle[1], triangle[2]};
    auto isCorner = [&](std::uint32_t index) { return index == c[0] || index == c[1] || index == c[2]; };
    std::vector<EdgeSlot> slots;
    auto add = [&](std::uint32_t from, std::uint32_t to) {
        if (slots.size() < edgeSlots)
            slots.push_back({points[from], points[to]});
    };

    // The triangle's own outline sides.
    for (int k = 0; k < 3; ++k) {
        const std::uint32_t a = c[k], b = c[(k + 1) % 3];
        if (previous[a] == b || next[a] == b)
            add(a, b);
    }
    // The outline edges at its corners that are not its sides.
    for (int k = 0; k < 3; ++k) {
        const std::uint32_t a = c[k], b = c[(k + 1) % 3], d = c[(k + 2) % 3];
        if (previous[a] != b && previous[a] != d)
            add(previous[a], a);
        if (next[a] != b && next[a] != d)
            add(a, next[a]);
    }
    // The nearest other outline segments.
    const std::size_t free = edgeSlots - slots.size();
    if (free > 0) {
        const Side sides[3] = {Side(points[c[0]], points[c[1]]), Side(points[c[1]], points[c[2]]),
                               Side(points[c[2]], points[c[0]])};
        // Segments with both ends well outside the triangle's box grown by
        // the nearby distance cannot come within it: skipped unmeasured.
        float low[2], high[2];
        for (int axis = 0; axis < 2; ++axis) {
            low[axis] = std::min({points[c[0]][axis], points[c[1]][axis], points[c[2]][axis]}) - farMargin;
            high[axis] = std::max({points[c[0]][axis], points[c[1]][axis], points[c[2]][axis]}) + farMargin;
        }
        auto far = [&](const P2& p) { return p[0] < low[0] || p[0] > high[0] || p[1] < low[1] || p[1] > high[1]; };
        std::vector<Nearby> kept;
        for (const Polygon::Contour& contour : outline.contours())
            for (std::size_t i = 0; i < contour.size(); ++i) {
                const std::uint32_t a = contour[(i + contour.size() - 1) % contour.size()], b = contour[i];
                if (isCorner(a) || isCorner(b) || (far(points[a]) && far(points[b])))
                    continue;
                for (const Side& side : sides) {
                    const float m = std::min(side.distance(points[b]), side.distance(points[a]));
                    if (!(m < nearbyDistance) || !(kept.size() < free || m < kept.back().distance))
                        continue;
                    const auto at = std::upper_bound(kept.begin(), kept.end(), m,
                                                     [](float d, const Nearby& n) { return d < n.distance; });
                    kept.insert(at, Nearby{m, {points[a], points[b]}});
                    if (kept.size() > free)
                        kept.pop_back();
                    break;
                }
            }
        for (const Nearby& near : kept) {
            const V2 d = near.edge.q - near.edge.p;
            const float length = TAVO::length(d);
            const V2 direction = length == 0.0f ? diagonal() : d / length;
            slots.push_back({near.edge.p, near.edge.p + direction * length});
        }
    }

    std::vector<SlotLines> lines;
    lines.reserve(slots.size());
    for (const EdgeSlot& slot : slots)
        lines.emplace_back(slot);
    for (int k = 0; k < 3; ++k) {
        const P2& corner = points[c[k]];
        *positions++ = corner[0];
        *positions++ = corner[1];
        for (std::uint32_t s = 0; s < edgeSlots; ++s, attributes += 4) {
            float values[4] = {0.0f, emptySlotDistance, emptySlotDistance, emptySlotDistance};
            if (s < lines.size())
                lines[s].values(corner, values);
            std::copy(values, values + 4, attributes);
        }
    }
}
