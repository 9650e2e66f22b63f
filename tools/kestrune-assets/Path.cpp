#include "tools/kestrune-assets/Path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

Path Path::rectangle(double x0, double y0, double x1, double y1) {
    return Path{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

Path Path::roundedRectangle(double x0, double y0, double x1, double y1, double r, int segments) {
    constexpr double quarter = std::numbers::pi / 2.0;
    Path path;
    path.append(arc(x1 - r, y0 + r, r, -quarter, 0.0, segments));
    path.append(arc(x1 - r, y1 - r, r, 0.0, quarter, segments));
    path.append(arc(x0 + r, y1 - r, r, quarter, 2.0 * quarter, segments));
    path.append(arc(x0 + r, y0 + r, r, 2.0 * quarter, 3.0 * quarter, segments));
    return path;
}

Path Path::circle(double cx, double cy, double r, int segments) {
    Path path = arc(cx, cy, r, 0.0, 2.0 * std::numbers::pi, segments);
    path.points_.pop_back(); // the end meets the start
    return path;
}

Path Path::arc(double cx, double cy, double r, double a0, double a1, int segments) {
    Path path;
    for (int i = 0; i <= segments; ++i) {
        const double a = a0 + (a1 - a0) * i / segments;
        path.points_.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return path;
}

namespace {

Path::Point unitNormal(const Path::Point& from, const Path::Point& to) {
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    return {-dy / length, dx / length};
}

} // namespace

Path Path::stroke(const Path& line, double width) {
    const auto& p = line.points_;
    const std::size_t n = p.size();
    const double h = width / 2.0;
    std::vector<Point> left, right;
    for (std::size_t i = 0; i < n; ++i) {
        // The normals of the edges before and after the point; an end has one edge.
        const Point before = unitNormal(p[i == 0 ? 0 : i - 1], p[i == 0 ? 1 : i]);
        const Point after = unitNormal(p[i + 1 == n ? n - 2 : i], p[i + 1 == n ? n - 1 : i + 1]);
        const double dot = before.x * after.x + before.y * after.y;
        const double k = h / (1.0 + dot); // mitre: reaches h from both edges
        const Point m{(before.x + after.x) * k, (before.y + after.y) * k};
        left.push_back({p[i].x + m.x, p[i].y + m.y});
        right.push_back({p[i].x - m.x, p[i].y - m.y});
    }
    // The right side forwards and the left side back is counter-clockwise.
    Path outline(right);
    std::reverse(left.begin(), left.end());
    outline.points_.insert(outline.points_.end(), left.begin(), left.end());
    return outline;
}

Path& Path::append(const Path& other) {
    points_.insert(points_.end(), other.points_.begin(), other.points_.end());
    return *this;
}

Path& Path::append(Point point) {
    points_.push_back(point);
    return *this;
}

Path Path::reversed() const {
    return Path(std::vector<Point>(points_.rbegin(), points_.rend()));
}

Path Path::translated(double dx, double dy) const {
    Path path(*this);
    for (Point& q : path.points_)
        q = {q.x + dx, q.y + dy};
    return path;
}

Path Path::scaled(double sx, double sy) const {
    Path path(*this);
    for (Point& q : path.points_)
        q = {q.x * sx, q.y * sy};
    return path;
}

Path Path::rotated(double angle, double cx, double cy) const {
    const double c = std::cos(angle), s = std::sin(angle);
    Path path(*this);
    for (Point& q : path.points_) {
        const double x = q.x - cx, y = q.y - cy;
        q = {cx + c * x - s * y, cy + s * x + c * y};
    }
    return path;
}

Path Path::mirrored(double axis) const {
    Path path = reversed();
    for (Point& q : path.points_)
        q.x = 2.0 * axis - q.x;
    return path;
}

double Path::signedArea() const {
    double sum = 0.0;
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const Point& a = points_[i];
        const Point& b = points_[(i + 1) % points_.size()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum / 2.0;
}
