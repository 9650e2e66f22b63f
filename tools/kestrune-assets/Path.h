#pragma once

#include <initializer_list>
#include <vector>

// A run of points in drawing units, kept in double precision until a drawing
// is written. Closed outlines run counter-clockwise (x right, y up); a hole is
// an outline reversed.
class Path {
public:
    struct Point {
        double x;
        double y;
    };

    Path() = default;
    Path(std::initializer_list<Point> points) : points_(points) {}
    explicit Path(std::vector<Point> points) : points_(std::move(points)) {}

    // The corners (x0, y0), (x1, y0), (x1, y1), (x0, y1).
    static Path rectangle(double x0, double y0, double x1, double y1);
    // A rectangle whose corners are quarter circles of radius r, each drawn
    // with the given number of segments.
    static Path roundedRectangle(double x0, double y0, double x1, double y1, double r, int segments);
    // A regular polygon of the given number of corners on a circle, the
    // first at angle 0.
    static Path circle(double cx, double cy, double r, int segments);
    // The points of an arc from angle a0 to a1 (radians), both ends
    // included; it runs counter-clockwise when a1 > a0.
    static Path arc(double cx, double cy, double r, double a0, double a1, int segments);
    // The outline of an open line drawn with the given width: both sides
    // offset by half the width, mitred at the joints, cut square at the ends.
    // The outline runs counter-clockwise.
    static Path stroke(const Path& line, double width);

    // This path followed by the other's points.
    Path& append(const Path& other);
    Path& append(Point point);

    Path reversed() const;
    Path translated(double dx, double dy) const;
    // Every point scaled about the origin.
    Path scaled(double sx, double sy) const;
    // Every point turned about (cx, cy) counter-clockwise by the angle (radians).
    Path rotated(double angle, double cx, double cy) const;
    // Mirrored across the vertical line x = axis; the order is reversed, so
    // a counter-clockwise outline stays counter-clockwise.
    Path mirrored(double axis) const;

    // The shoelace area: positive for counter-clockwise outlines.
    double signedArea() const;

    const std::vector<Point>& points() const { return points_; }

private:
    std::vector<Point> points_;
};
