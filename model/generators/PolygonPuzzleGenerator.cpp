#include "model/generators/PolygonPuzzleGenerator.h"

#include <cmath>
#include <map>
#include <string>
#include <utility>

#include "geometry/Vector.h"
#include "model/Puzzle.h"
#include "model/edges/EdgeFactory.h"
#include "model/edges/ReverseEdge.h"
#include "model/generators/PuzzleGenerationException.h"

using TAVO::Point;
using TAVO::Vector;

namespace {

// The single-precision machine epsilon: shorter directions count as none.
constexpr float tiny = 1.1920929e-7f;

// The direction of d divided by its length (see TAVO::length); (0, 0) when
// the length is below tiny. Sides and crossing segments alike.
Vector<2, float> unit(const Vector<2, float>& d) {
    const float length = TAVO::length(d);
    if (length < tiny)
        return Vector<2, float>(0.0f, 0.0f);
    return d / length;
}

Vector<2, float> leftNormal(const Vector<2, float>& d) { return Vector<2, float>(-d[1], d[0]); }

Vector<2, float> asVector(const Point<2, float>& p) { return Vector<2, float>(p[0], p[1]); }

} // namespace

PolygonPuzzleGenerator::PolygonPuzzleGenerator(std::shared_ptr<EdgeFactory> inner,
                                               std::shared_ptr<EdgeFactory> border, const Polygon& polygon)
    : inner_(std::move(inner)), border_(std::move(border)), polygon_(polygon) {}

float PolygonPuzzleGenerator::room(const std::vector<Point<2, float>>& points, const Polygon::Contour& contour,
                                   std::size_t k) {
    const std::size_t n = contour.size();
    if (n < 2)
        return 0.0f;
    const Point<2, float>& p = points.at(contour.at(k % n));
    const Point<2, float>& q = points.at(contour[(k + 1) % n]);
    // m = ((px + qx) * 0.5, (py + qy) * 0.5).
    const Vector<2, float> m((p[0] + q[0]) * 0.5f, (p[1] + q[1]) * 0.5f);
    const Vector<2, float> u = unit(q - p);
    const Vector<2, float> v = leftNormal(u);
    // In front: u . x - u . m > 0, both dot products rounded to float first.
    const float um = TAVO::dot(u, m);
    auto inFront = [&](const Point<2, float>& x) { return TAVO::dot(u, asVector(x)) - um > 0.0f; };

    float smallest = 0.0f;
    bool found = false;
    Point<2, float> previous = q;
    bool previousInFront = true;
    // Every other side once: from the one that starts at q to the one ending at p.
    for (std::size_t i = 2; i <= n; ++i) {
        const Point<2, float>& x = points.at(contour[(k + i) % n]);
        const bool front = inFront(x);
        if (front != previousInFront) {
            const Vector<2, float> w = leftNormal(unit(x - previous));
            const float wv = TAVO::dot(w, v);
            if (!(std::fabs(wv) < tiny)) {
                // t = (w . previous - w . m) / (w . v).
                const float t = (TAVO::dot(w, asVector(previous)) - TAVO::dot(w, m)) / wv;
                if (t > 0.0f && (!found || t < smallest)) {
                    smallest = t;
                    found = true;
                }
            }
        }
        previous = x;
        previousInFront = front;
    }
    return found ? smallest : 0.0f;
}

std::unique_ptr<Puzzle> PolygonPuzzleGenerator::generate(const TAVO::Tuple<2, float>&, const TAVO::Buffer&,
                                                         const TAVO::Migration::ImageMetadata&) {
    auto puzzle = std::make_unique<Puzzle>();
    const std::vector<Point<2, float>>& points = polygon_.points();
    const std::vector<Polygon::Contour>& contours = polygon_.contours();
    for (std::size_t c = 0; c < contours.size(); ++c)
        puzzle->addPiece();

    // Side k of a contour runs from point k - 1 to point k (the first from the last point).
    auto ends = [&](const Polygon::Contour& contour, std::size_t k) {
        const std::uint32_t from = contour[(k + contour.size() - 1) % contour.size()], to = contour[k];
        // Looked up here so that a bad index fails before anything is made of it.
        points.at(from);
        points.at(to);
        return std::make_pair(from, to);
    };

    std::map<std::pair<std::uint32_t, std::uint32_t>, Side> sides;
    for (std::uint32_t c = 0; c < contours.size(); ++c) {
        const Polygon::Contour& contour = contours[c];
        for (std::size_t k = 0; k < contour.size(); ++k) {
            const auto [from, to] = ends(contour, k);
            const int way = from <= to ? 0 : 1;
            Side& side = sides[std::minmax(from, to)];
            // A second walk the same way would give one edge three or more
            // pieces, or a piece twice: the contours overlap.
            if (side.pieces[way] != noPiece)
                throw PuzzleGenerationException(TAVO::SourceLocation(),
                                                "Contours " + std::to_string(side.pieces[way]) + " and " +
                                                    std::to_string(c) + " both walk the side from point " +
                                                    std::to_string(from) + " to point " + std::to_string(to) +
                                                    ". ");
            side.pieces[way] = c;
            side.rooms[way] = room(points, contour, (k + contour.size() - 1) % contour.size());
        }
    }

    for (auto& [key, side] : sides) {
        const auto [a, b] = key;
        EdgeFactory& factory = side.pieces[0] == noPiece || side.pieces[1] == noPiece ? *border_ : *inner_;
        std::unique_ptr<Edge> edge;
        if (side.rooms[1] > side.rooms[0]) {
            // Made from b to a, so that its head bulges to the side walked from b to a.
            std::unique_ptr<Edge> backwards;
            factory.create(backwards, points[b], points[a]);
            edge = std::make_unique<ReverseEdge>(std::shared_ptr<Edge>(std::move(backwards)));
        } else {
            factory.create(edge, points[a], points[b]);
        }
        side.edge = puzzle->addEdge(std::move(edge));
    }

    for (std::uint32_t c = 0; c < contours.size(); ++c) {
        const Polygon::Contour& contour = contours[c];
        for (std::size_t k = 0; k < contour.size(); ++k) {
            const auto [from, to] = ends(contour, k);
            const int way = from <= to ? 0 : 1;
            const Side& side = sides.at(std::minmax(from, to));
            PieceEdge record;
            record.neighbour = side.pieces[1 - way] == noPiece ? PieceEdge::border : side.pieces[1 - way];
            record.edge = side.edge;
            record.reversed = std::uint8_t(way);
            record.startsContour = k == 0 ? 1 : 0;
            puzzle->piece(c).push_back(record);
        }
    }
    return puzzle;
}
