#include "model/PartMeshSet.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <exception>
#include <memory>
#include <numbers>
#include <string>
#include <thread>

#include "foundation/exceptions/Exception.h"
#include "foundation/threads/TaskThread.h"
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

void PartMeshSet::build(const Puzzle& puzzle, const Table& table, bool attributeLighting, unsigned int threads) {
    std::vector<std::uint32_t> parts;
    std::vector<std::size_t> piecesBefore{0};
    for (unsigned int trayId : table.trayOrder())
        for (auto it = table.tray(trayId).parts(); it.valid(); it.next()) {
            parts.push_back(it.current());
            piecesBefore.push_back(piecesBefore.back() + table.part(it.current()).pieces().size());
        }
    const std::size_t pieces = piecesBefore.back();
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t runs = std::max<std::size_t>(1, std::min<std::size_t>(threads, pieces / piecesPerThread));
    if (runs == 1) {
        addParts(puzzle, table, parts, 0, parts.size(), attributeLighting);
        return;
    }
    // Runs of parts of about the same number of pieces, in order: the first
    // is built into this set here, the others into sets of their own.
    std::vector<std::size_t> bounds{0};
    for (std::size_t run = 1; run < runs; ++run) {
        const std::size_t wanted = pieces * run / runs;
        bounds.push_back(std::size_t(std::lower_bound(piecesBefore.begin(), piecesBefore.end(), wanted) -
                                     piecesBefore.begin()));
    }
    bounds.push_back(parts.size());
    std::vector<PartMeshSet> later(runs - 1);
    std::vector<std::unique_ptr<TAVO::TaskThread>> tasks;
    std::exception_ptr firstFailure;
    try {
        for (std::size_t run = 1; run < runs; ++run)
            tasks.push_back(std::make_unique<TAVO::TaskThread>([&, run] {
                later[run - 1].addParts(puzzle, table, parts, bounds[run], bounds[run + 1], attributeLighting);
            }));
        addParts(puzzle, table, parts, bounds[0], bounds[1], attributeLighting);
    } catch (...) {
        firstFailure = std::current_exception();
    }
    // Every run ends before anything is given back; the failure reported is
    // the one of the earliest part, as one build in order would meet it.
    for (const auto& task : tasks) {
        try {
            task->join();
        } catch (...) {
            if (!firstFailure)
                firstFailure = std::current_exception();
        }
    }
    if (firstFailure)
        std::rethrow_exception(firstFailure);
    std::size_t vertices = positions_.size(), indices = indices_.size(), attributes = edgeAttributes_.size();
    for (const PartMeshSet& set : later) {
        vertices += set.positions_.size();
        indices += set.indices_.size();
        attributes += set.edgeAttributes_.size();
    }
    positions_.reserve(vertices);
    indices_.reserve(indices);
    edgeAttributes_.reserve(attributes);
    for (const PartMeshSet& set : later)
        append(set, attributeLighting);
}

void PartMeshSet::addParts(const Puzzle& puzzle, const Table& table, const std::vector<std::uint32_t>& parts,
                           std::size_t first, std::size_t last, bool attributeLighting) {
    for (std::size_t i = first; i < last; ++i) {
        const Part& part = table.part(parts[i]);
        ranges_[parts[i]].push_back(attributeLighting ? addAttribute(puzzle, part) : addPlain(puzzle, part));
    }
}

void PartMeshSet::append(const PartMeshSet& other, bool attributeLighting) {
    const std::uint32_t vertexBase = vertexCount();
    const std::uint32_t indexBase = std::uint32_t(indices_.size());
    positions_.insert(positions_.end(), other.positions_.begin(), other.positions_.end());
    edgeAttributes_.insert(edgeAttributes_.end(), other.edgeAttributes_.begin(), other.edgeAttributes_.end());
    for (std::uint32_t index : other.indices_)
        indices_.push_back(index + vertexBase);
    for (const auto& [id, list] : other.ranges_)
        for (DrawRange range : list) {
            range.first += attributeLighting ? vertexBase : indexBase;
            ranges_[id].push_back(range);
        }
}

PartMeshSet::DrawRange PartMeshSet::addPlain(const Puzzle& puzzle, const Part& part) {
    DrawRange range;
    range.first = std::uint32_t(indices_.size());
    for (std::uint32_t piece : part.pieces()) {
        Polygon outline;
        Triangles triangles;
        triangulate(puzzle, piece, outline, triangles);
        const std::uint32_t base = vertexCount();
        for (const P2& point : outline.points()) {
            positions_.push_back(point[0]);
            positions_.push_back(point[1]);
        }
        for (const auto& triangle : triangles) {
            for (int k = 0; k < 3; ++k)
                indices_.push_back(triangle[k] + base);
            range.count += 3;
        }
    }
    return range;
}

PartMeshSet::DrawRange PartMeshSet::addAttribute(const Puzzle& puzzle, const Part& part) {
    DrawRange range;
    range.first = vertexCount();
    for (std::uint32_t piece : part.pieces()) {
        Polygon outline;
        Triangles triangles;
        triangulate(puzzle, piece, outline, triangles);
        std::vector<std::uint32_t> previous(outline.points().size(), none), next(outline.points().size(), none);
        for (const Polygon::Contour& contour : outline.contours())
            for (std::size_t i = 0; i < contour.size(); ++i) {
                previous[contour[i]] = contour[(i + contour.size() - 1) % contour.size()];
                next[contour[i]] = contour[(i + 1) % contour.size()];
            }
        for (const auto& triangle : triangles) {
            addAttributeTriangle(outline, previous, next, triangle);
            range.count += 3;
        }
    }
    return range;
}

void PartMeshSet::addAttributeTriangle(const Polygon& outline, const std::vector<std::uint32_t>& previous,
                                       const std::vector<std::uint32_t>& next,
                                       const TAVO::Tuple<3, unsigned int>& triangle) {
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
        positions_.push_back(corner[0]);
        positions_.push_back(corner[1]);
        for (std::uint32_t s = 0; s < edgeSlots; ++s) {
            float values[4] = {0.0f, emptySlotDistance, emptySlotDistance, emptySlotDistance};
            if (s < lines.size())
                lines[s].values(corner, values);
            edgeAttributes_.insert(edgeAttributes_.end(), values, values + 4);
        }
    }
}
