#include "tools/kestrune-assets/MenuIcons.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;

// An icon drawing of one layer holding the given contours.
ShapeDrawing icon(std::initializer_list<Path> contours) {
    ShapeDrawing drawing(1.0, 1.0);
    ShapeDrawing::Layer& layer = drawing.addLayer();
    for (const Path& contour : contours)
        layer.add(contour);
    return drawing;
}

// A plus sign around (cx, cy): arms of half length `arm` and half thickness `h`.
Path plus(double cx, double cy, double arm, double h) {
    return Path{{cx - h, cy - arm}, {cx + h, cy - arm}, {cx + h, cy - h}, {cx + arm, cy - h},
                {cx + arm, cy + h}, {cx + h, cy + h},   {cx + h, cy + arm}, {cx - h, cy + arm},
                {cx - h, cy + h},   {cx - arm, cy + h}, {cx - arm, cy - h}, {cx - h, cy - h}};
}

// A chevron pointing left with its tip at x = tip.
Path chevronLeft(double tip) {
    return Path::stroke(Path{{tip + 0.3, 0.17}, {tip, 0.5}, {tip + 0.3, 0.83}}, 0.13);
}

// The lid of the bin with its handle, resting at the height 0.75.
Path binLid() {
    return Path{{0.18, 0.75}, {0.82, 0.75}, {0.82, 0.82}, {0.6, 0.82}, {0.6, 0.89}, {0.4, 0.89}, {0.4, 0.82},
                {0.18, 0.82}};
}

// The body of the bin with three slots, below the height `top`.
void binBody(ShapeDrawing::Layer& layer, double top) {
    layer.add(Path{{0.27, 0.1}, {0.73, 0.1}, {0.77, top}, {0.23, top}});
    for (double x : {0.375, 0.5, 0.625})
        layer.add(Path::rectangle(x - 0.03, 0.2, x + 0.03, top - 0.1).reversed());
}

// An L of two arms from its corner (x, y): one along x by dx, one along y by
// dy, of the given thickness, counter-clockwise for every sign of dx and dy.
Path corner(double x, double y, double dx, double dy, double thickness) {
    const double tx = dx > 0 ? thickness : -thickness, ty = dy > 0 ? thickness : -thickness;
    Path path{{x, y}, {x + dx, y}, {x + dx, y + ty}, {x + tx, y + ty}, {x + tx, y + dy}, {x, y + dy}};
    // Mirroring one axis turns the run clockwise.
    return (dx > 0) != (dy > 0) ? path.reversed() : path;
}

} // namespace

ShapeDrawing MenuIcons::play() {
    // A triangle whose corners are cut a tenth of the way along each side.
    const Path::Point a{0.28125, 0.15625}, c{0.875, 0.5}, b{0.28125, 0.84375};
    auto along = [](const Path::Point& from, const Path::Point& to) {
        return Path::Point{from.x + 0.1 * (to.x - from.x), from.y + 0.1 * (to.y - from.y)};
    };
    return icon({Path{along(a, c), along(c, a), along(c, b), along(b, c), along(b, a), along(a, b)}});
}

ShapeDrawing MenuIcons::error() {
    return icon({Path{{0.43, 0.37}, {0.57, 0.37}, {0.6, 0.87}, {0.4, 0.87}},
                 Path::rectangle(0.43, 0.13, 0.57, 0.27)});
}

ShapeDrawing MenuIcons::dots() {
    return icon({Path::circle(0.2, 0.5, 0.1, 20), Path::circle(0.5, 0.5, 0.1, 20), Path::circle(0.8, 0.5, 0.1, 20)});
}

ShapeDrawing MenuIcons::roundSquare() {
    return icon({Path::roundedRectangle(0.0, 0.0, 1.0, 1.0, 0.2, 8)});
}

ShapeDrawing MenuIcons::add() {
    return icon({plus(0.5, 0.5, 0.35, 0.075)});
}

ShapeDrawing MenuIcons::trash() {
    ShapeDrawing drawing = icon({binLid()});
    binBody(drawing.layer(0), 0.7);
    return drawing;
}

ShapeDrawing MenuIcons::trashFull() {
    // The lid lifted and tipped to the left, rubbish heaped over the brim.
    const Path lid = binLid().rotated(0.25, 0.18, 0.75).translated(-0.06, 0.0);
    const Path ball = Path::circle(0.35, 0.655, 0.08, 16);
    const Path sheet = Path::rectangle(0.53, 0.59, 0.67, 0.81).rotated(-0.4, 0.6, 0.7);
    ShapeDrawing drawing = icon({lid, ball, sheet});
    binBody(drawing.layer(0), 0.56);
    return drawing;
}

ShapeDrawing MenuIcons::restore() {
    // A ring from the lower left round to the upper left, the head at its end
    // pointing onwards, counter-clockwise: turning back.
    const double cx = 0.5, cy = 0.5, r = 0.28, h = 0.065, wing = 0.085, length = 0.17;
    const double start = -150.0 * pi / 180.0, end = 150.0 * pi / 180.0;
    Path path = Path::arc(cx, cy, r + h, start, end, 40);
    const Path::Point p{cx + r * std::cos(end), cy + r * std::sin(end)};
    const Path::Point n{std::cos(end), std::sin(end)}, t{-std::sin(end), std::cos(end)};
    path.append({p.x + n.x * (h + wing), p.y + n.y * (h + wing)});
    path.append({p.x + t.x * length, p.y + t.y * length});
    path.append({p.x - n.x * (h + wing), p.y - n.y * (h + wing)});
    path.append(Path::arc(cx, cy, r - h, end, start, 40));
    return icon({path});
}

ShapeDrawing MenuIcons::abort() {
    return icon({plus(0.5, 0.5, 0.42, 0.075).rotated(pi / 4.0, 0.5, 0.5)});
}

ShapeDrawing MenuIcons::door() {
    // The frame open at the floor, the door swung towards the viewer on its
    // left hinges, with a hole for the knob.
    return icon({Path{{0.2, 0.1}, {0.28, 0.1}, {0.28, 0.82}, {0.72, 0.82}, {0.72, 0.1}, {0.8, 0.1}, {0.8, 0.9},
                      {0.2, 0.9}},
                 Path{{0.32, 0.12}, {0.6, 0.04}, {0.6, 0.78}, {0.32, 0.74}},
                 Path::rectangle(0.5, 0.42, 0.55, 0.5).reversed()});
}

ShapeDrawing MenuIcons::house() {
    // A gabled house with a chimney and a doorway cut from its foot.
    return icon({Path{{0.22, 0.12}, {0.42, 0.12}, {0.42, 0.38}, {0.58, 0.38}, {0.58, 0.12}, {0.78, 0.12},
                      {0.78, 0.5}, {0.9, 0.5}, {0.74, 0.652}, {0.74, 0.82}, {0.65, 0.82}, {0.65, 0.7375},
                      {0.5, 0.88}, {0.1, 0.5}, {0.22, 0.5}}});
}

ShapeDrawing MenuIcons::roll() {
    // The roller, its bent arm and the grip below.
    return icon({Path::roundedRectangle(0.12, 0.66, 0.74, 0.88, 0.05, 4),
                 Path::stroke(Path{{0.78, 0.77}, {0.87, 0.77}, {0.87, 0.56}, {0.5, 0.56}, {0.5, 0.43}}, 0.055),
                 Path::roundedRectangle(0.435, 0.08, 0.565, 0.4, 0.04, 4)});
}

ShapeDrawing MenuIcons::menu() {
    return icon({Path::roundedRectangle(0.17, 0.24, 0.83, 0.34, 0.04, 4),
                 Path::roundedRectangle(0.17, 0.45, 0.83, 0.55, 0.04, 4),
                 Path::roundedRectangle(0.17, 0.66, 0.83, 0.76, 0.04, 4)});
}

ShapeDrawing MenuIcons::left() {
    return icon({chevronLeft(0.32)});
}

ShapeDrawing MenuIcons::right() {
    return icon({chevronLeft(0.32).mirrored(0.5)});
}

ShapeDrawing MenuIcons::expand() {
    const double arm = 0.27, thick = 0.09;
    return icon({corner(0.13, 0.13, arm, arm, thick), corner(0.87, 0.13, -arm, arm, thick),
                 corner(0.87, 0.87, -arm, -arm, thick), corner(0.13, 0.87, arm, -arm, thick)});
}

ShapeDrawing MenuIcons::collapse() {
    const double arm = 0.27, thick = 0.09, in = 0.41;
    return icon({corner(in, in, -arm, -arm, thick), corner(1.0 - in, in, arm, -arm, thick),
                 corner(1.0 - in, 1.0 - in, arm, arm, thick), corner(in, 1.0 - in, -arm, arm, thick)});
}

ShapeDrawing MenuIcons::dashed() {
    // The outline of a square, 0.07 thick: an L at each corner and two dashes
    // along each side between them.
    const double lo = 0.15, hi = 0.85, thick = 0.07, arm = 0.14;
    const double gapLength = 0.07, dash = (hi - lo - 2.0 * arm - 3.0 * gapLength) / 2.0;
    ShapeDrawing drawing(1.0, 1.0);
    ShapeDrawing::Layer& layer = drawing.addLayer();
    layer.add(corner(lo, lo, arm, arm, thick));
    layer.add(corner(hi, lo, -arm, arm, thick));
    layer.add(corner(hi, hi, -arm, -arm, thick));
    layer.add(corner(lo, hi, arm, -arm, thick));
    for (int i = 0; i < 2; ++i) {
        const double a = lo + arm + gapLength + i * (dash + gapLength), z = a + dash;
        layer.add(Path::rectangle(a, lo, z, lo + thick));
        layer.add(Path::rectangle(a, hi - thick, z, hi));
        layer.add(Path::rectangle(lo, a, lo + thick, z));
        layer.add(Path::rectangle(hi - thick, a, hi, z));
    }
    return drawing;
}

ShapeDrawing MenuIcons::square() {
    return icon({Path::roundedRectangle(0.15, 0.15, 0.85, 0.85, 0.03, 3)});
}

ShapeDrawing MenuIcons::landscape() {
    // A frame whose opening is the sky: its lower edge is the skyline of two
    // hills, so the hills are part of the frame. The sun hangs in the sky.
    const double x0 = 0.1, y0 = 0.17, x1 = 0.9, y1 = 0.83, frame = 0.06;
    Path sky{{x0 + frame, y0 + frame + 0.12},
             {0.36, 0.56},
             {0.5, 0.42},
             {0.64, 0.6},
             {x1 - frame, y0 + frame + 0.2},
             {x1 - frame, y1 - frame},
             {x0 + frame, y1 - frame}};
    return icon({Path::roundedRectangle(x0, y0, x1, y1, 0.04, 3), sky.reversed(),
                 Path::circle(0.29, 0.66, 0.065, 16)});
}

std::map<std::string, ShapeDrawing> MenuIcons::all() {
    return {
        {"play.dat", play()},         {"error.dat", error()},     {"dots.dat", dots()},
        {"roundsquare.dat", roundSquare()}, {"add.dat", add()},   {"trash.dat", trash()},
        {"trashfull.dat", trashFull()}, {"restore.dat", restore()}, {"abort.dat", abort()},
        {"door.dat", door()},         {"house.dat", house()},     {"roll.dat", roll()},
        {"menu.dat", menu()},         {"left.dat", left()},       {"right.dat", right()},
        {"expand.dat", expand()},     {"collapse.dat", collapse()}, {"dashed.dat", dashed()},
        {"square.dat", square()},     {"landscape.dat", landscape()},
    };
}
