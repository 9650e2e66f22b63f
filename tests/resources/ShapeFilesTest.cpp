#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>
#include <stdexcept>

#include "ShippedResources.h"
#include "geometry/Polygon.h"
#include "geometry/PolygonTriangulator.h"
#include "foundation/streams/CRC32.h"
#include "support/Command.h"

using namespace ResourcesTest;
using KestruneTest::Command;

namespace {

// The stored form read here from the bytes, apart from the program that
// writes it: four floats of bounds, then per layer colours, points and
// contours, each list led by a u32 count.
struct Layer {
    std::vector<std::array<float, 4>> colours;
    std::vector<std::array<float, 2>> points;
    std::vector<std::vector<std::uint32_t>> contours;
};

struct Shape {
    float origin[2];
    float extent[2];
    std::vector<Layer> layers;
};

class ByteReader {
public:
    explicit ByteReader(const std::string& bytes) : bytes_(bytes) {}

    template <class T>
    T take() {
        if (bytes_.size() - at_ < sizeof(T))
            throw std::runtime_error("short file at byte " + std::to_string(at_));
        T value;
        std::memcpy(&value, bytes_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }

    // A count of items of the given size that must fit in the bytes left.
    std::uint32_t count(std::size_t itemSize) {
        const auto n = take<std::uint32_t>();
        if (n * itemSize > bytes_.size() - at_)
            throw std::runtime_error("count " + std::to_string(n) + " beyond the file");
        return n;
    }

    bool atEnd() const { return at_ == bytes_.size(); }

private:
    const std::string& bytes_;
    std::size_t at_ = 0;
};

Shape parse(const std::string& bytes) {
    ByteReader in(bytes);
    Shape shape;
    shape.origin[0] = in.take<float>();
    shape.origin[1] = in.take<float>();
    shape.extent[0] = in.take<float>();
    shape.extent[1] = in.take<float>();
    for (std::uint32_t l = in.count(12); l > 0; --l) {
        Layer layer;
        for (std::uint32_t n = in.count(16); n > 0; --n)
            layer.colours.push_back({in.take<float>(), in.take<float>(), in.take<float>(), in.take<float>()});
        for (std::uint32_t n = in.count(8); n > 0; --n)
            layer.points.push_back({in.take<float>(), in.take<float>()});
        for (std::uint32_t n = in.count(4); n > 0; --n) {
            std::vector<std::uint32_t> contour;
            for (std::uint32_t k = in.count(4); k > 0; --k)
                contour.push_back(in.take<std::uint32_t>());
            layer.contours.push_back(contour);
        }
        shape.layers.push_back(layer);
    }
    if (!in.atEnd())
        throw std::runtime_error("bytes after the last contour");
    return shape;
}

std::map<std::string, Shape> shippedShapes() {
    EmbeddedArchive embedded;
    std::map<std::string, Shape> shapes;
    for (const std::string& name : shapeFileNames())
        shapes[name] = parse(embedded.entry(name));
    return shapes;
}

using Point = std::array<double, 2>;

std::vector<Point> ring(const Layer& layer, const std::vector<std::uint32_t>& contour) {
    std::vector<Point> points;
    for (std::uint32_t i : contour)
        points.push_back({layer.points.at(i)[0], layer.points.at(i)[1]});
    return points;
}

double shoelace(const std::vector<Point>& r) {
    double sum = 0.0;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const Point& a = r[i];
        const Point& b = r[(i + 1) % r.size()];
        sum += a[0] * b[1] - b[0] * a[1];
    }
    return sum / 2.0;
}

bool contains(const std::vector<Point>& r, const Point& p) {
    bool inside = false;
    for (std::size_t i = 0, j = r.size() - 1; i < r.size(); j = i++)
        if ((r[i][1] > p[1]) != (r[j][1] > p[1]) &&
            p[0] < (r[j][0] - r[i][0]) * (p[1] - r[i][1]) / (r[j][1] - r[i][1]) + r[i][0])
            inside = !inside;
    return inside;
}

double pointToSegment(const Point& p, const Point& a, const Point& b) {
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    const double t = std::clamp(((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(a[0] + t * dx - p[0], a[1] + t * dy - p[1]);
}

double orientation(const Point& a, const Point& b, const Point& c) {
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

// The distance between two segments: zero when they cross.
double segmentDistance(const Point& a, const Point& b, const Point& c, const Point& d) {
    const double o1 = orientation(a, b, c), o2 = orientation(a, b, d);
    const double o3 = orientation(c, d, a), o4 = orientation(c, d, b);
    if (((o1 > 0) != (o2 > 0)) && ((o3 > 0) != (o4 > 0)) && o1 != 0 && o2 != 0 && o3 != 0 && o4 != 0)
        return 0.0;
    return std::min({pointToSegment(a, c, d), pointToSegment(b, c, d), pointToSegment(c, a, b),
                     pointToSegment(d, a, b)});
}

Polygon polygonOf(const Layer& layer) {
    Polygon polygon;
    for (const auto& p : layer.points)
        polygon.addPoint(TAVO::Point<2, float>(p[0], p[1]));
    for (const auto& contour : layer.contours)
        polygon.addContour(contour);
    return polygon;
}

} // namespace

TEST(ShapeFiles, PlayIsTheGoldenSixPointTriangle) {
    // Bounds (0, 0, 1, 1); one layer without colours; the points (0.340625,
    // 0.190625), (0.815625, 0.465625), (0.815625, 0.534375), (0.340625,
    // 0.809375), (0.28125, 0.775), (0.28125, 0.225); one contour 0 to 5.
    const char* golden = "00000000000000000000803f0000803f0100000000000000"
                         "060000006666ae3e3333433ecdcc503f6666ee3ecdcc503f"
                         "cdcc083f6666ae3e33334f3f0000903e6666463f0000903e"
                         "6666663e0100000006000000000000000100000002000000"
                         "030000000400000005000000";
    std::string bytes;
    for (std::size_t i = 0; golden[i] != '\0'; i += 2)
        bytes.push_back(static_cast<char>(std::stoi(std::string(golden + i, 2), nullptr, 16)));
    ASSERT_EQ(bytes.size(), 108u);
    EXPECT_EQ(EmbeddedArchive().entry("assets/play.dat"), bytes);
}

TEST(ShapeFiles, EveryFileHasItsBoundsLayersAndColours) {
    for (const auto& [name, shape] : shippedShapes()) {
        SCOPED_TRACE(name);
        EXPECT_EQ(shape.origin[0], 0.0f);
        EXPECT_EQ(shape.origin[1], 0.0f);
        ASSERT_FALSE(shape.layers.empty());
        for (const Layer& layer : shape.layers) {
            EXPECT_GE(layer.points.size(), 3u);
            EXPECT_FALSE(layer.contours.empty());
            for (const auto& p : layer.points) {
                EXPECT_TRUE(p[0] >= 0.0f && p[0] <= shape.extent[0] && p[1] >= 0.0f && p[1] <= shape.extent[1])
                    << "point " << p[0] << ", " << p[1] << " outside the bounds";
            }
            for (const auto& contour : layer.contours)
                for (std::uint32_t i : contour)
                    EXPECT_LT(i, layer.points.size());
            if (name == "assets/title.dat") {
                EXPECT_EQ(layer.colours.size(), layer.points.size()) << "the title carries one colour per point";
            } else {
                EXPECT_TRUE(layer.colours.empty());
            }
        }
        if (name == "assets/title.dat") {
            EXPECT_EQ(shape.extent[0], 4.0625f);
            EXPECT_EQ(shape.extent[1], 1.0f);
        } else if (name == "assets/digits.dat") {
            EXPECT_EQ(shape.layers.size(), 10u);
        } else {
            EXPECT_EQ(shape.extent[0], 1.0f);
            EXPECT_EQ(shape.extent[1], 1.0f);
            EXPECT_EQ(shape.layers.size(), 1u) << "an icon is one layer";
        }
    }
    const Shape error = shippedShapes().at("assets/error.dat");
    EXPECT_EQ(error.layers[0].points.size(), 8u);
    ASSERT_EQ(error.layers[0].contours.size(), 2u);
    EXPECT_EQ(error.layers[0].contours[0].size(), 4u);
    EXPECT_EQ(error.layers[0].contours[1].size(), 4u);
}

// Outer contours counter-clockwise and holes clockwise, told apart by how
// deeply each lies inside the others; the triangles then cover exactly the
// filled area. A hole given the wrong way round would be filled or counted
// twice, and a crossing refused.
TEST(ShapeFiles, EveryLayerTriangulatesToItsFilledArea) {
    for (const auto& [name, shape] : shippedShapes())
        for (std::size_t l = 0; l < shape.layers.size(); ++l) {
            SCOPED_TRACE(name + " layer " + std::to_string(l));
            const Layer& layer = shape.layers[l];
            double filled = 0.0;
            for (std::size_t c = 0; c < layer.contours.size(); ++c) {
                const auto r = ring(layer, layer.contours[c]);
                int depth = 0;
                for (std::size_t o = 0; o < layer.contours.size(); ++o)
                    if (o != c && contains(ring(layer, layer.contours[o]), r[0]))
                        ++depth;
                const double area = shoelace(r);
                EXPECT_EQ(area > 0.0, depth % 2 == 0) << "contour " << c << " at depth " << depth;
                filled += depth % 2 == 0 ? std::fabs(area) : -std::fabs(area);
            }
            const Polygon polygon = polygonOf(layer);
            std::vector<TAVO::Tuple<3, unsigned int>> triangles;
            ASSERT_NO_THROW(PolygonTriangulator(polygon, TAVO::Vector<2, float>(0.0f, 1.0f), true).triangulate(triangles));
            double covered = 0.0;
            for (const auto& t : triangles) {
                const Point a{layer.points[t[0]][0], layer.points[t[0]][1]};
                const Point b{layer.points[t[1]][0], layer.points[t[1]][1]};
                const Point c{layer.points[t[2]][0], layer.points[t[2]][1]};
                // Collinear corners may give an empty triangle, never a turned one.
                const double area = orientation(a, b, c) / 2.0;
                EXPECT_GE(area, 0.0);
                covered += area;
            }
            EXPECT_GT(filled, 0.0);
            EXPECT_NEAR(covered, filled, 1e-5 * filled);
            EXPECT_NEAR(polygon.area(), filled, 1e-5 * filled);
        }
}

// Contours of one layer keep clear of each other and of themselves: at 50
// pixels an icon's gaps stay visible and the triangulator gets no touching
// edges.
TEST(ShapeFiles, NoContoursTouch) {
    const double clearance = 0.01;
    for (const auto& [name, shape] : shippedShapes())
        for (std::size_t l = 0; l < shape.layers.size(); ++l) {
            SCOPED_TRACE(name + " layer " + std::to_string(l));
            const Layer& layer = shape.layers[l];
            struct Edge {
                std::size_t contour, index, size;
                Point a, b;
            };
            std::vector<Edge> edges;
            for (std::size_t c = 0; c < layer.contours.size(); ++c) {
                const auto r = ring(layer, layer.contours[c]);
                for (std::size_t i = 0; i < r.size(); ++i) {
                    EXPECT_GT(std::hypot(r[(i + 1) % r.size()][0] - r[i][0], r[(i + 1) % r.size()][1] - r[i][1]), 0.0)
                        << "a repeated point in contour " << c;
                    edges.push_back({c, i, r.size(), r[i], r[(i + 1) % r.size()]});
                }
            }
            for (std::size_t i = 0; i < edges.size(); ++i)
                for (std::size_t j = i + 1; j < edges.size(); ++j) {
                    const Edge& e = edges[i];
                    const Edge& f = edges[j];
                    if (e.contour == f.contour) {
                        // Neighbours share a corner; others of one contour must not cross.
                        const std::size_t step = (f.index + e.size - e.index) % e.size;
                        if (step == 1 || step == e.size - 1)
                            continue;
                        EXPECT_GT(segmentDistance(e.a, e.b, f.a, f.b), 0.0)
                            << "contour " << e.contour << " crosses itself at edges " << e.index << ", " << f.index;
                        continue;
                    }
                    EXPECT_GT(segmentDistance(e.a, e.b, f.a, f.b), clearance)
                        << "contours " << e.contour << " and " << f.contour;
                }
        }
}

// Every glyph spans the full height, so each stands on the baseline when it
// is placed by its own lower-left corner, and layer d shows the digit d: the
// lit segments are told by where the contours' centres lie.
TEST(ShapeFiles, DigitsAreTheTenDigitsOnOneBaseline) {
    const Shape digits = shippedShapes().at("assets/digits.dat");
    ASSERT_EQ(digits.layers.size(), 10u);
    // Top, upper right, lower right, bottom, lower left, upper left, middle.
    const std::vector<std::string> lit = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                          "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    const float width = digits.extent[0];
    for (int d = 0; d < 10; ++d) {
        SCOPED_TRACE("digit " + std::to_string(d));
        const Layer& layer = digits.layers[d];
        float low = 1e9f, high = -1e9f;
        for (const auto& p : layer.points) {
            low = std::min(low, p[1]);
            high = std::max(high, p[1]);
        }
        EXPECT_EQ(low, 0.0f);
        EXPECT_EQ(high, digits.extent[1]);
        std::string segments;
        for (const auto& contour : layer.contours) {
            double x = 0.0, y = 0.0;
            for (const Point& p : ring(layer, contour)) {
                x += p[0] / contour.size();
                y += p[1] / contour.size();
            }
            const bool left = x < width / 3.0, right = x > width * 2.0 / 3.0;
            if (!left && !right)
                segments += y > 0.75 ? 'a' : y < 0.25 ? 'd' : 'g';
            else if (right)
                segments += y > 0.5 ? 'b' : 'c';
            else
                segments += y > 0.5 ? 'f' : 'e';
        }
        std::sort(segments.begin(), segments.end());
        EXPECT_EQ(segments, lit[d]);
    }
}

// On a display the "1" lights the two right-hand segments of a full-width
// cell. Its layer holds just those two contours at the right edge and one
// point of no contour at the cell's lower-left corner, so that a glyph
// placed by the box around its points keeps the cell; without that point
// the layer is byte for byte the "1" of before. Every other layer is
// unchanged too (CRC-32 of each layer's bytes, worked out by Python's zlib
// from the file before the "1" got its cell).
TEST(ShapeFiles, TheOneStandsAtTheRightOfAFullWidthCell) {
    const std::string bytes = EmbeddedArchive().entry("assets/digits.dat");
    const Shape digits = parse(bytes);
    ASSERT_EQ(digits.layers.size(), 10u);
    const float width = digits.extent[0], height = digits.extent[1];
    const Layer& one = digits.layers[1];
    ASSERT_EQ(one.contours.size(), 2u);
    std::vector<bool> used(one.points.size(), false);
    for (const auto& contour : one.contours)
        for (std::uint32_t i : contour) {
            used.at(i) = true;
            EXPECT_GT(one.points[i][0], width * 2.0f / 3.0f) << "a stroke left of the right-hand third";
        }
    ASSERT_FALSE(used.empty());
    EXPECT_FALSE(used.back());
    EXPECT_EQ(one.points.back(), (std::array<float, 2>{0.0f, 0.0f}));
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 1);
    float low[2] = {1e9f, 1e9f}, high[2] = {-1e9f, -1e9f};
    for (const auto& p : one.points)
        for (int k = 0; k < 2; ++k) {
            low[k] = std::min(low[k], p[k]);
            high[k] = std::max(high[k], p[k]);
        }
    EXPECT_EQ(low[0], 0.0f);
    EXPECT_EQ(low[1], 0.0f);
    EXPECT_EQ(high[0], width);
    EXPECT_EQ(high[1], height);

    // Each layer's bytes: the colour, point and contour lists with their counts.
    std::vector<std::string> layers;
    {
        std::size_t at = 16;
        auto word = [&](std::size_t from) {
            std::uint32_t n = 0;
            std::memcpy(&n, bytes.data() + from, 4);
            return std::size_t(n);
        };
        const std::size_t count = word(at);
        at += 4;
        for (std::size_t l = 0; l < count; ++l) {
            const std::size_t start = at;
            at += 4 + 16 * word(at);
            at += 4 + 8 * word(at);
            const std::size_t contours = word(at);
            at += 4;
            for (std::size_t c = 0; c < contours; ++c)
                at += 4 + 4 * word(at);
            layers.push_back(bytes.substr(start, at - start));
        }
        ASSERT_EQ(at, bytes.size());
    }
    const std::uint32_t before[10] = {0x1eac5d4fu, 0x72d0d35fu, 0xad542600u, 0xf6176f65u, 0xfe0da793u,
                                      0xec414f38u, 0xeaf3b19eu, 0x71d83bf9u, 0xc3eae9f7u, 0x62251946u};
    const std::size_t sizes[10] = {372, 140, 320, 320, 280, 320, 384, 192, 448, 384};
    for (std::size_t d = 0; d < 10; ++d) {
        if (d == 1)
            continue;
        EXPECT_EQ(layers[d].size(), sizes[d]) << "digit " << d;
        EXPECT_EQ(TAVO::CRC32::of(layers[d].data(), layers[d].size()), before[d]) << "digit " << d;
    }
    // The "1" without its corner point: one point fewer, the last 8 point
    // bytes gone.
    std::string withoutMark = layers[1];
    // The colour count (0) comes first, then the point count.
    const std::size_t points = 4;
    std::uint32_t pointCount = 0;
    std::memcpy(&pointCount, withoutMark.data() + points, 4);
    ASSERT_EQ(pointCount, one.points.size());
    --pointCount;
    std::memcpy(withoutMark.data() + points, &pointCount, 4);
    withoutMark.erase(points + 4 + 8 * pointCount, 8);
    EXPECT_EQ(withoutMark.size(), sizes[1]);
    EXPECT_EQ(TAVO::CRC32::of(withoutMark.data(), withoutMark.size()), before[1]);
    // The bounds stay (0, 0) to (0.56, 1).
    EXPECT_EQ(digits.origin[0], 0.0f);
    EXPECT_EQ(digits.origin[1], 0.0f);
    EXPECT_EQ(width, 0.56f);
    EXPECT_EQ(height, 1.0f);
}

// The title is drawn white on a white page: only its own colours show it.
TEST(ShapeFiles, TheTitleShowsOnAWhitePage) {
    const Shape title = shippedShapes().at("assets/title.dat");
    ASSERT_GE(title.layers.size(), 1u);
    std::size_t opaque = 0;
    for (const Layer& layer : title.layers)
        for (const auto& c : layer.colours) {
            for (float v : c)
                EXPECT_TRUE(v >= 0.0f && v <= 1.0f);
            EXPECT_GT(c[3], 0.0f);
            EXPECT_LT(std::min({c[0], c[1], c[2]}), 0.8f) << "a colour too light to see on white";
            opaque += c[3] == 1.0f;
        }
    EXPECT_GT(opaque, 0u);
}

// A second reader in Python agrees on every file, and at 50 by 50 pixels no
// icon is blank or a blot.
TEST(ShapeFiles, PythonReaderAgreesAndIconsHaveInk) {
    const std::string script = KESTRUNE_SOURCE_DIR "/tests/resources/shapefile.py";
    const std::string assets = packedFolder() + "/assets";
    const auto checked = Command::run("python3 " + script + " check " + assets + " 2>&1");
    ASSERT_EQ(checked.exitCode, 0) << checked.output;
    std::map<std::string, std::string> lines;
    std::istringstream in(checked.output);
    for (std::string line; std::getline(in, line);)
        lines["assets/" + line.substr(0, line.find(' '))] = line;
    ASSERT_EQ(lines.size(), shapeFileNames().size()) << checked.output;
    EXPECT_EQ(lines["assets/play.dat"], "play.dat 1 1 0/6/6");
    EXPECT_EQ(lines["assets/error.dat"], "error.dat 1 1 0/8/4,4");
    EXPECT_EQ(lines["assets/roundsquare.dat"].substr(0, 23), "roundsquare.dat 1 1 0/3");
    EXPECT_EQ(lines["assets/title.dat"].substr(0, 16), "title.dat 4.0625");

    for (const std::string& name : shapeFileNames()) {
        if (name == "assets/title.dat" || name == "assets/digits.dat")
            continue;
        const auto ink = Command::run("python3 " + script + " ink " + packedFolder() + "/" + name + " 50");
        ASSERT_EQ(ink.exitCode, 0) << name;
        const double share = std::stod(ink.output);
        if (name == "assets/roundsquare.dat") {
            EXPECT_GT(share, 0.95) << name;
        } else {
            EXPECT_GT(share, 0.08) << name;
            EXPECT_LT(share, 0.6) << name;
        }
    }
}
