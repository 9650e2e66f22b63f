#include "geometry/PolygonTriangulator.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <string>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "geometry/CyclicElement.h"

using namespace TAVO;

namespace {

[[noreturn]] void malformed(const std::string& what, const std::string& expected) {
    throw UnexpectedValueException(SourceLocation(), what, expected);
}

// The sign of the turn a -> b -> c, in double.
int orientation(const Point<2, float>& a, const Point<2, float>& b, const Point<2, float>& c) {
    const double value = (double(b[0]) - a[0]) * (double(c[1]) - a[1]) - (double(b[1]) - a[1]) * (double(c[0]) - a[0]);
    return value > 0.0 ? 1 : value < 0.0 ? -1 : 0;
}

struct Segment {
    std::uint32_t from, to;
    float low, high; // extent in y
};

} // namespace

bool PolygonTriangulator::EventOrder::operator()(const EventKey& p, const EventKey& q) const {
    if (q.height > p.height + heightEpsilon)
        return true;
    if (p.height > q.height + heightEpsilon)
        return false;
    return p.across > q.across;
}

PolygonTriangulator::PolygonTriangulator(const Polygon& polygon, const Vector<2, float>& direction, bool orientation)
    : polygon_(polygon), orientation_(orientation),
      points_(polygon_.points().empty() ? nullptr : polygon_.points().data()), direction_(direction) {
    validate();
    buildEvents();
    decompose();
}

void PolygonTriangulator::validate() const {
    const std::vector<Point<2, float>>& points = polygon_.points();
    if (!std::isfinite(direction_[0]) || !std::isfinite(direction_[1]))
        malformed("A sweep direction that is not finite", "a direction");
    std::vector<Segment> segments;
    for (std::uint32_t c = 0; c < polygon_.contourCount(); ++c) {
        const Polygon::Contour& contour = polygon_.contour(c);
        if (contour.size() < 3)
            malformed("Contour " + std::to_string(c) + " of " + std::to_string(contour.size()) + " indices",
                      "a ring of at least 3 points");
        for (std::uint32_t index : contour) {
            if (index >= points.size())
                throw BoundException<unsigned int>(SourceLocation(), index, static_cast<unsigned int>(points.size()));
            if (!std::isfinite(points[index][0]) || !std::isfinite(points[index][1]))
                malformed("Point " + std::to_string(index) + " that is not finite", "a polygon point");
        }
        for (std::size_t i = 0; i < contour.size(); ++i) {
            const std::uint32_t from = contour[i], to = contour[(i + 1) % contour.size()];
            const float y0 = points[from][1], y1 = points[to][1];
            segments.push_back(Segment{from, to, std::min(y0, y1), std::max(y0, y1)});
        }
    }

    // Two edges cross when each has the other's ends strictly on both sides.
    // Touching ends and overlapping collinear edges do not count.
    std::sort(segments.begin(), segments.end(), [](const Segment& a, const Segment& b) { return a.low < b.low; });
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        for (std::size_t j = i + 1; j < segments.size() && segments[j].low <= s.high; ++j) {
            const Segment& t = segments[j];
            const Point<2, float>&a = points[s.from], &b = points[s.to], &c = points[t.from], &d = points[t.to];
            if (orientation(a, b, c) * orientation(a, b, d) < 0 && orientation(c, d, a) * orientation(c, d, b) < 0)
                malformed("A polygon whose edges (" + std::to_string(s.from) + ", " + std::to_string(s.to) + ") and (" +
                              std::to_string(t.from) + ", " + std::to_string(t.to) + ") cross",
                          "a polygon of simple contours");
        }
    }
}

float PolygonTriangulator::height(std::uint32_t vertex) const {
    const Point<2, float>& p = points_[vertex];
    return p[0] * direction_[0] + p[1] * direction_[1];
}

float PolygonTriangulator::across(std::uint32_t vertex) const {
    const Point<2, float>& p = points_[vertex];
    return p[0] * direction_[1] - p[1] * direction_[0];
}

float PolygonTriangulator::crossing(std::uint32_t from, std::uint32_t to, float at) const {
    const float delta = height(to) - height(from);
    if (std::fabs(delta) < levelEpsilon)
        return across(to);
    return (across(to) - across(from)) * (at - height(from)) / delta + across(from);
}

bool PolygonTriangulator::inside(std::uint32_t x, std::uint32_t y, std::uint32_t z, bool flag) const {
    const bool greater = crossing(x, z, height(y)) > across(y);
    return greater == flag;
}

void PolygonTriangulator::buildEvents() {
    for (const Polygon::Contour& contour : polygon_.contours()) {
        const std::int32_t n = static_cast<std::int32_t>(contour.size());
        for (std::int32_t i = 0; i < n; ++i) {
            const std::uint32_t v = contour[i];
            const std::uint32_t previous = cyclicElement(contour, i - 1);
            const std::uint32_t next = cyclicElement(contour, i + 1);
            const std::uint32_t first = orientation_ ? previous : next;
            const std::uint32_t second = orientation_ ? next : previous;
            // Keeps the first of several occurrences at one place.
            events_.emplace(EventKey{across(v), height(v), v, first}, second);
        }
    }
    current_ = events_.begin();
}

PolygonTriangulator::Kind PolygonTriangulator::classify() const {
    const std::uint32_t v = current_->first.vertex;
    const std::uint32_t a = current_->first.first;
    const std::uint32_t b = current_->second;
    bool aFound = false, bFound = false, aBefore = false, bBefore = false, passed = false;
    for (auto it = events_.begin(); it != events_.end() && !(aFound && bFound); ++it) {
        if (it == EventMap::const_iterator(current_))
            passed = true;
        if (!aFound && it->first.vertex == a) {
            aFound = true;
            aBefore = !passed;
        }
        if (!bFound && it->first.vertex == b) {
            bFound = true;
            bBefore = !passed;
        }
    }
    const Point<2, float>&pe = points_[v], &pa = points_[a], &pb = points_[b];
    const float c = (pa[0] - pe[0]) * (pb[1] - pe[1]) - (pa[1] - pe[1]) * (pb[0] - pe[0]);
    if (!aBefore && !bBefore)
        return c > 0.0f ? Kind::split : Kind::start;
    if (aBefore && bBefore)
        return c > 0.0f ? Kind::merge : Kind::end;
    return aBefore ? Kind::regularSecond : Kind::regularFirst;
}

std::optional<PolygonTriangulator::Edge> PolygonTriangulator::bound(const EdgeList& edges, bool left) const {
    const std::uint32_t v = current_->first.vertex;
    const float h = current_->first.height;
    const float a = current_->first.across;
    std::optional<Edge> best;
    float bestValue = 0.0f;
    for (const Edge& edge : edges) {
        if (edge.first == v || edge.second == v)
            continue;
        const float x = crossing(edge, h);
        if (left) {
            if (x < a && (!best || x > bestValue)) {
                best = edge;
                bestValue = x;
            }
        } else {
            if (x >= a && (!best || x <= bestValue)) {
                best = edge;
                bestValue = x;
            }
        }
    }
    return best;
}

bool PolygonTriangulator::stopsWalk(EventMap::const_iterator event, const Edge& left, const Edge& right) const {
    const std::uint32_t w = event->first.vertex;
    if (w == left.first || w == left.second || w == right.first || w == right.second)
        return true;
    const float h = event->first.height;
    const float a = event->first.across;
    return crossing(right, h) > a && a > crossing(left, h);
}

PolygonTriangulator::EventMap::iterator PolygonTriangulator::forwardWalk(const Edge& left, const Edge& right) {
    auto it = std::next(current_);
    while (it != events_.end() && !stopsWalk(it, left, right))
        ++it;
    return it;
}

void PolygonTriangulator::boundsOrThrow(std::uint32_t vertex, Edge& left, Edge& right) const {
    const std::optional<Edge> l = bound(firstChain_, true);
    const std::optional<Edge> r = bound(secondChain_, false);
    if (!l || !r)
        malformed("Vertex " + std::to_string(vertex) + " without an edge on " + (!l ? "its left" : "its right"),
                  "a vertex of a simple, correctly wound polygon");
    left = *l;
    right = *r;
}

void PolygonTriangulator::decompose() {
    auto removeEndingAt = [](EdgeList& edges, std::uint32_t v) {
        auto it = std::find_if(edges.begin(), edges.end(), [v](const Edge& e) { return e.second == v; });
        if (it != edges.end())
            edges.erase(it);
    };
    auto replaceEndingAt = [](EdgeList& edges, std::uint32_t v, std::uint32_t next) {
        auto it = std::find_if(edges.begin(), edges.end(), [v](const Edge& e) { return e.second == v; });
        if (it != edges.end())
            *it = Edge(v, next);
    };

    for (current_ = events_.begin(); current_ != events_.end(); ++current_) {
        const std::uint32_t v = current_->first.vertex;
        const std::uint32_t a = current_->first.first;
        const std::uint32_t b = current_->second;
        switch (classify()) {
        case Kind::start:
            firstChain_.emplace_back(v, a);
            secondChain_.emplace_back(v, b);
            break;
        case Kind::end:
            removeEndingAt(firstChain_, v);
            removeEndingAt(secondChain_, v);
            break;
        case Kind::regularFirst:
            replaceEndingAt(firstChain_, v, a);
            break;
        case Kind::regularSecond:
            replaceEndingAt(secondChain_, v, b);
            break;
        case Kind::split: {
            Edge left, right;
            boundsOrThrow(v, left, right);
            auto target = current_;
            if (current_ != events_.begin()) {
                target = std::prev(current_);
                while (!stopsWalk(target, left, right) && target != events_.begin())
                    --target;
            }
            addDiagonal(target->first.vertex, v);
            firstChain_.emplace_back(v, a);
            secondChain_.emplace_back(v, b);
            break;
        }
        case Kind::merge: {
            Edge left, right;
            boundsOrThrow(v, left, right);
            const auto target = forwardWalk(left, right);
            if (target == events_.end())
                malformed("Merge vertex " + std::to_string(v) + " with nothing above it",
                          "a vertex of a simple, correctly wound polygon");
            addDiagonal(v, target->first.vertex);
            removeEndingAt(firstChain_, v);
            removeEndingAt(secondChain_, v);
            break;
        }
        }
    }
    current_ = events_.end();
}

void PolygonTriangulator::insertBridge(Polygon::Contour& p, const Polygon::Contour& q, std::size_t i, std::size_t j) {
    Polygon::Contour joined;
    joined.reserve(p.size() + q.size() + 2);
    joined.insert(joined.end(), p.begin(), p.begin() + i + 1);
    joined.insert(joined.end(), q.begin() + j, q.end());
    joined.insert(joined.end(), q.begin(), q.begin() + j + 1);
    joined.push_back(p[i]);
    joined.insert(joined.end(), p.begin() + i + 1, p.end());
    p.swap(joined);
}

bool PolygonTriangulator::opensTowards(const Polygon::Contour& contour, std::size_t position,
                                       std::uint32_t target) const {
    const std::int32_t p = static_cast<std::int32_t>(position);
    const std::uint32_t v = contour[position];
    const std::uint32_t previous = cyclicElement(contour, p - 1), next = cyclicElement(contour, p + 1);
    // The inside of a piece lies to the left of its contour when the flag is set.
    const Point<2, float>& o = points_[v];
    const Point<2, float>& leaving = points_[orientation_ ? next : previous];
    const Point<2, float>& arriving = points_[orientation_ ? previous : next];
    const Point<2, float>& t = points_[target];
    auto cross = [&o](const Point<2, float>& x, const Point<2, float>& y) {
        return (double(x[0]) - o[0]) * (double(y[1]) - o[1]) - (double(x[1]) - o[1]) * (double(y[0]) - o[0]);
    };
    const double turn = cross(leaving, arriving);
    const double fromLeaving = cross(leaving, t), toArriving = cross(t, arriving);
    if (turn > 0.0)
        return fromLeaving > 0.0 && toArriving > 0.0;
    return fromLeaving > 0.0 || toArriving > 0.0;
}

void PolygonTriangulator::addDiagonal(std::uint32_t a, std::uint32_t b) {
    std::vector<Polygon::Contour>& contours = polygon_.contours();
    const std::size_t none = static_cast<std::size_t>(-1);

    // The search of the contour list: the last occurrence of each end, stopping
    // after the first contour that holds both.
    std::size_t positionA = none, contourA = none, positionB = none, contourB = none;
    bool same = false;
    for (std::size_t c = 0; c < contours.size() && !same; ++c) {
        const Polygon::Contour& contour = contours[c];
        for (std::size_t position = 0; position < contour.size(); ++position) {
            if (contour[position] == a) {
                positionA = position;
                contourA = c;
            }
            if (contour[position] == b) {
                positionB = position;
                contourB = c;
            }
        }
        same = contourA == c && contourB == c;
    }
    if (contourA == none || contourB == none)
        return;

    // Once diagonals have been added a vertex occurs in several pieces (and, after
    // a bridge, twice in one). The search above then may name an occurrence in a
    // piece the diagonal does not run through, which yields overlapping and
    // degenerate triangles. Where an occurrence of each end opens towards the
    // other, those occurrences are used instead.
    struct Occurrence {
        std::size_t contour, position;
    };
    std::vector<Occurrence> openA, openB;
    for (std::size_t c = 0; c < contours.size(); ++c)
        for (std::size_t position = 0; position < contours[c].size(); ++position) {
            if (contours[c][position] == a && opensTowards(contours[c], position, b))
                openA.push_back({c, position});
            if (contours[c][position] == b && opensTowards(contours[c], position, a))
                openB.push_back({c, position});
        }
    if (!openA.empty() && !openB.empty()) {
        bool found = false;
        for (const Occurrence& x : openA) {
            for (const Occurrence& y : openB)
                if (x.contour == y.contour) {
                    contourA = contourB = x.contour;
                    positionA = x.position;
                    positionB = y.position;
                    found = true;
                    break;
                }
            if (found)
                break;
        }
        if (!found) {
            contourA = openA.front().contour;
            positionA = openA.front().position;
            contourB = openB.front().contour;
            positionB = openB.front().position;
        }
        same = contourA == contourB;
    } else {
        same = contourA == contourB;
    }

    if (same) {
        Polygon::Contour& contour = contours[contourA];
        const std::size_t n = contour.size();
        const std::size_t k = (n - positionB + positionA) % n;
        if (std::min(k, n - k) < 2)
            return; // the same vertex or neighbours
        const std::size_t low = std::min(positionA, positionB), high = std::max(positionA, positionB);
        Polygon::Contour piece(contour.begin() + low, contour.begin() + high + 1);
        contour.erase(contour.begin() + low + 1, contour.begin() + high);
        contours.push_back(std::move(piece));
    } else {
        insertBridge(contours[contourA], contours[contourB], positionA, positionB);
        contours.erase(contours.begin() + contourB);
    }
}

void PolygonTriangulator::triangulate(std::vector<Tuple<3, unsigned int>>& out) const {
    for (const Polygon::Contour& contour : polygon_.contours()) {
        const std::int32_t n = static_cast<std::int32_t>(contour.size());
        if (n < 3)
            continue;
        auto vertex = [&](std::int32_t position) { return cyclicElement(contour, position); };
        auto h = [&](std::int32_t position) { return height(vertex(position)); };
        auto same = [n](std::int32_t p, std::int32_t q) { return ((p - q) % n + n) % n == 0; };
        auto emit = [&](std::int32_t x, std::int32_t y, std::int32_t z) {
            out.push_back(Tuple<3, unsigned int>(vertex(x), vertex(y), vertex(z)));
        };

        std::int32_t start = 0;
        for (std::int32_t k = 1; k < n; ++k)
            if (h(k) < h(start))
                start = k;

        // Sides: true is the first-neighbour chain.
        std::deque<std::int32_t> stack;
        stack.push_back(start);
        std::int32_t left = start - 1, right = start + 1;
        bool stackSide;
        if (h(right) > h(left)) {
            stack.push_back(left--);
            stackSide = true;
        } else {
            stack.push_back(right++);
            stackSide = false;
        }

        for (;;) {
            std::int32_t next;
            bool side;
            const bool last = same(left, right);
            if (last) {
                next = left;
                side = !stackSide;
            } else if (h(right) > h(left)) {
                next = left--;
                side = true;
            } else {
                next = right++;
                side = false;
            }

            if (side != stackSide) {
                for (std::size_t i = 0; i + 1 < stack.size(); ++i) {
                    if (side == orientation_)
                        emit(next, stack[i], stack[i + 1]);
                    else
                        emit(next, stack[i + 1], stack[i]);
                }
                const std::int32_t top = stack.back();
                stack.clear();
                stack.push_back(top);
                stack.push_back(next);
                stackSide = side;
            } else {
                stack.push_back(next);
                while (stack.size() >= 3) {
                    const std::size_t t = stack.size() - 1;
                    const std::int32_t x = stack[t - 2], y = stack[t - 1], z = stack[t];
                    const bool insideTest = crossing(vertex(x), vertex(z), h(y)) > across(vertex(y));
                    if (insideTest != (side == orientation_))
                        break;
                    if (side != orientation_)
                        emit(x, y, z);
                    else
                        emit(y, x, z);
                    stack.erase(stack.begin() + static_cast<std::ptrdiff_t>(t - 1));
                }
            }
            if (last)
                break;
        }
    }
}
