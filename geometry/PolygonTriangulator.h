#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "geometry/Polygon.h"
#include "geometry/Tuple.h"
#include "geometry/Vector.h"

// Cuts a polygon with holes into pieces monotone along a sweep direction by
// adding diagonals, then triangulates each piece with a vertex stack. The
// triangles are triples of indices into the polygon's points; no point is made.
//
// Malformed input (a contour of fewer than 3 indices, an index beyond the
// points, a point that is not finite, contours that cross each other or
// themselves, or a sweep that finds no edge where a well-formed polygon has one)
// throws TAVO::BoundException or TAVO::UnexpectedValueException.
class PolygonTriangulator {
public:
    // Copies the polygon and does the whole decomposition. The direction should
    // be of unit length; with the flag set outer contours run counter-clockwise
    // and holes clockwise, with it cleared the other way round.
    PolygonTriangulator(const Polygon& polygon, const TAVO::Vector<2, float>& direction, bool orientation);

    PolygonTriangulator(const PolygonTriangulator&) = delete;
    PolygonTriangulator& operator=(const PolygonTriangulator&) = delete;

    // Appends the triangles of every decomposed contour, contour by contour;
    // out is not cleared first.
    void triangulate(std::vector<TAVO::Tuple<3, unsigned int>>& out) const;

    // The decomposed copy of the polygon.
    const Polygon& polygon() const { return polygon_; }

    // True when the crossing coordinate of the edge (x, z) at the height of y is
    // greater than the across coordinate of y and the flag is set, or is not
    // greater and the flag is cleared (x, y, z are point indices).
    bool inside(std::uint32_t x, std::uint32_t y, std::uint32_t z, bool flag) const;

    // P becomes P[0..i], Q[j..last], Q[0..j], P[i], P[i+1..]: a bridge from
    // P[i] once around Q and back. Q is left as it is. Positions must be valid.
    static void insertBridge(Polygon::Contour& p, const Polygon::Contour& q, std::size_t i, std::size_t j);

    // Heights closer than this count as equal in the event order.
    static constexpr float heightEpsilon = 1e-6f;
    // Edges whose ends differ in height by less than this count as level.
    static constexpr float levelEpsilon = 0.0001f;

private:
    using Edge = std::pair<std::uint32_t, std::uint32_t>;
    using EdgeList = std::vector<Edge>;

    struct EventKey {
        float across;
        float height;
        std::uint32_t vertex;
        std::uint32_t first; // the first neighbour
    };
    struct EventOrder {
        bool operator()(const EventKey& p, const EventKey& q) const;
    };
    // Event -> second neighbour.
    using EventMap = std::map<EventKey, std::uint32_t, EventOrder>;

    enum class Kind { start = 0, end = 1, regularFirst = 2, regularSecond = 3, merge = 4, split = 5 };

    void validate() const;
    void buildEvents();
    void decompose();
    Kind classify() const;

    float height(std::uint32_t vertex) const;
    float across(std::uint32_t vertex) const;
    // The across coordinate of the edge at the height.
    float crossing(std::uint32_t from, std::uint32_t to, float at) const;
    float crossing(const Edge& edge, float at) const { return crossing(edge.first, edge.second, at); }

    // The left bound (flag set) or the right bound (cleared) of the current event.
    std::optional<Edge> bound(const EdgeList& edges, bool left) const;
    bool stopsWalk(EventMap::const_iterator event, const Edge& left, const Edge& right) const;
    // The first event after the current one at an end of either bound or
    // between them; the end of the map when there is none.
    EventMap::iterator forwardWalk(const Edge& left, const Edge& right);
    void boundsOrThrow(std::uint32_t vertex, Edge& left, Edge& right) const;
    void addDiagonal(std::uint32_t a, std::uint32_t b);
    // Whether the inside of the piece at this occurrence of a vertex lies in the
    // direction of the target point.
    bool opensTowards(const Polygon::Contour& contour, std::size_t position, std::uint32_t target) const;

    Polygon polygon_;
    bool orientation_;
    const TAVO::Point<2, float>* points_;
    TAVO::Vector<2, float> direction_;
    EventMap events_;
    EventMap::iterator current_;
    EdgeList firstChain_;
    EdgeList secondChain_;
};
