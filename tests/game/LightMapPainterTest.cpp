// The light map's painter: worked pixels, whole small maps against a second
// account written in double precision from the description of the map, the
// map's size limits and the developer's dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/streams/StreamException.h"
#include "game/LightMapPainter.h"
#include "sdlgl/TextureException.h"
#include "support/TempFolder.h"

using TAVO::Point;
using TAVO::Tuple;
using TAVO::Vector;

namespace {

struct Segment {
    double sx, sy, ux, uy, length;
};

// The map as the description has it, every pixel of the span of every
// segment in turn, in double precision.
std::vector<std::uint8_t> oracle(std::uint32_t w, std::uint32_t h, const std::vector<Segment>& segments) {
    const double pi = 3.14159265358979323846;
    std::vector<std::uint8_t> map(std::size_t(w) * h * 4, 255);
    for (Segment s : segments) {
        // The painter is given floats.
        for (double* v : {&s.sx, &s.sy, &s.ux, &s.uy, &s.length})
            *v = double(float(*v));
        const double ex = s.sx + s.length * s.ux, ey = s.sy + s.length * s.uy;
        auto range = [](double a, double b, std::uint32_t side, long& first, long& last) {
            const double low = a > b ? b : a;
            const double width = a > b ? a - b : b - a + 1;
            first = std::max<long>(long(std::trunc(low - 5)) - 1, 0);
            last = std::min<long>(long(std::trunc(low + width + 5)) + 1, long(side));
        };
        long x0, x1, y0, y1;
        range(s.sx, ex, w, x0, x1);
        range(s.sy, ey, h, y0, y1);
        for (long y = y0; y < y1; ++y)
            for (long x = x0; x < x1; ++x) {
                const double cx = x + 0.5, cy = y + 0.5;
                const double t = (cx - s.sx) * s.ux + (cy - s.sy) * s.uy;
                const double along = t < 0 ? 0 : std::min(t, s.length);
                const double vx = cx - (s.sx + along * s.ux), vy = cy - (s.sy + along * s.uy);
                const int d = int(std::clamp(std::hypot(vx, vy) / 6 * 255, 0.0, 255.0));
                double a = std::atan2(vy, vx);
                if (a < 0)
                    a += 2 * pi;
                const int angle = int(std::clamp(a / (2 * pi) * 255, 0.0, 255.0));
                std::uint8_t* p = &map[(std::size_t(y) * w + x) * 4];
                if (d < p[1]) {
                    p[2] = p[0], p[3] = p[1], p[0] = std::uint8_t(angle), p[1] = std::uint8_t(d);
                } else if (d < p[3]) {
                    p[2] = std::uint8_t(angle), p[3] = std::uint8_t(d);
                }
            }
    }
    return map;
}

LightMapPainter painted(std::uint32_t w, std::uint32_t h, const std::vector<Segment>& segments) {
    LightMapPainter painter(w, h);
    for (const Segment& s : segments)
        painter.paintSegment(Point<2, float>(float(s.sx), float(s.sy)), Vector<2, float>(float(s.ux), float(s.uy)),
                             float(s.length));
    return painter;
}

std::array<int, 4> bytesAt(const LightMapPainter& painter, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* p = painter.pixel(x, y);
    return {p[0], p[1], p[2], p[3]};
}

const std::array<int, 4> untouched = {255, 255, 255, 255};

} // namespace

// Segment from (2, 2) two units along +x.
TEST(LightMapPainterTest, PixelsMeasureToTheNearestPointOfTheSegment) {
    const LightMapPainter painter = painted(12, 12, {{2, 2, 1, 0, 2}});
    // Above the middle: straight up, 3.5 away: 148.75 and a quarter turn, 63.75.
    EXPECT_EQ(bytesAt(painter, 3, 5), (std::array<int, 4>{63, 148, 255, 255}));
    // Beyond the end point: to (4, 2), (1.5, 0.5) away.
    EXPECT_EQ(bytesAt(painter, 5, 2), (std::array<int, 4>{13, 67, 255, 255}));
    // Before the start point: to (2, 2), (-1.5, 0.5) away.
    EXPECT_EQ(bytesAt(painter, 0, 2), (std::array<int, 4>{114, 67, 255, 255}));
    // Below: three quarters of a turn, 191.25.
    EXPECT_EQ(bytesAt(painter, 3, 0), (std::array<int, 4>{191, 63, 255, 255}));
    // Six units and more from the cut: nothing.
    EXPECT_EQ(bytesAt(painter, 3, 8), untouched);
    EXPECT_EQ(bytesAt(painter, 11, 11), untouched);
}

TEST(LightMapPainterTest, SmallMapsMatchTheDescriptionByteForByte) {
    const double r = std::sqrt(0.5);
    const std::vector<std::vector<Segment>> cases = {
        {{2, 2, 1, 0, 2}},
        // A corner of a cut: two segments meeting at (10, 6).
        {{10, 6, -1, 0, 7}, {10, 6, 0, 1, 5}},
        // Running towards -x and -y, and a diagonal (passing beside the pixel
        // centres: on a cut the angle is that of a rounding remnant).
        {{14, 9, -1, 0, 9}, {4.25, 13, 0, -1, 10}, {3.2, 2.9, r, r, 8}},
        // A segment whose points coincide.
        {{7.5, 7.5, r, r, 0}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const LightMapPainter painter = painted(17, 15, cases[i]);
        const std::vector<std::uint8_t> expected = oracle(17, 15, cases[i]);
        for (std::size_t b = 0; b < expected.size(); ++b)
            ASSERT_EQ(int(painter.bytes()[b]), int(expected[b]))
                << "case " << i << ", pixel " << b / 4 % 17 << ", " << b / 4 / 17 << ", byte " << b % 4;
    }
}

TEST(LightMapPainterTest, APointPaintsADiscOfRadiusSix) {
    const LightMapPainter painter = painted(20, 20, {{10, 10, std::sqrt(0.5), std::sqrt(0.5), 0}});
    for (std::uint32_t y = 0; y < 20; ++y)
        for (std::uint32_t x = 0; x < 20; ++x) {
            const bool inside = std::hypot(x + 0.5 - 10, y + 0.5 - 10) < 6.0;
            EXPECT_EQ(painter.pixel(x, y)[1] != 255, inside) << x << ", " << y;
        }
}

// The nearest goes first; a nearer one later moves it to the second place;
// a code equal to the stored one does not displace it.
TEST(LightMapPainterTest, TheTwoNearestSegmentsAreKept) {
    // Pixel (5, 5), centre (5.5, 5.5): 1.5 below y = 7 and 2.5 left of x = 8.
    LightMapPainter painter = painted(12, 12, {{0, 7, 1, 0, 12}});
    EXPECT_EQ(bytesAt(painter, 5, 5), (std::array<int, 4>{191, 63, 255, 255}));
    painter.paintSegment(Point<2, float>(8, 0), Vector<2, float>(0, 1), 12);
    EXPECT_EQ(bytesAt(painter, 5, 5), (std::array<int, 4>{191, 63, 127, 106}));
    painter.paintSegment(Point<2, float>(5.5f, 4.5f), Vector<2, float>(1, 0), 2);
    EXPECT_EQ(bytesAt(painter, 5, 5), (std::array<int, 4>{63, 42, 191, 63}));
    // Equally near as the first (1.0), from the other side: the first stays.
    painter.paintSegment(Point<2, float>(5.5f, 6.5f), Vector<2, float>(1, 0), 2);
    EXPECT_EQ(bytesAt(painter, 5, 5), (std::array<int, 4>{63, 42, 191, 42}));
}

// Cuts along the border and beyond it touch only pixels of the map (the
// address sanitizer watches the rest).
TEST(LightMapPainterTest, SegmentsOutsideTheMapPaintOnlyItsPixels) {
    LightMapPainter painter(8, 6);
    painter.paintSegment(Point<2, float>(0, 6), Vector<2, float>(0, -1), 6);
    painter.paintSegment(Point<2, float>(8, 0), Vector<2, float>(0, 1), 6);
    painter.paintSegment(Point<2, float>(-40, -40), Vector<2, float>(1, 0), 10);
    painter.paintSegment(Point<2, float>(1e30f, -1e30f), Vector<2, float>(-1, 0), 3e38f);
    painter.paintSegment(Point<2, float>(NAN, 2), Vector<2, float>(1, 0), 2);
    painter.paintSegment(Point<2, float>(2, 2), Vector<2, float>(INFINITY, 0), 2);
    const std::vector<Segment> border = {{0, 6, 0, -1, 6}, {8, 0, 0, 1, 6}};
    EXPECT_EQ(painter.bytes(), oracle(8, 6, border));
}

TEST(LightMapPainterTest, TheMapIsTheSizeOfThePuzzleWithinTheTextureLimit) {
    const auto size = LightMapPainter::mapSize(Tuple<2, float>(315.9f, 236.0f), 16384);
    EXPECT_EQ(size[0], 315u);
    EXPECT_EQ(size[1], 236u);
    // A damaged save's size of 0 (or below one unit) still makes one pixel.
    const auto tiny = LightMapPainter::mapSize(Tuple<2, float>(0.0f, 0.25f), 16384);
    EXPECT_EQ(tiny[0], 1u);
    EXPECT_EQ(tiny[1], 1u);
    EXPECT_EQ(LightMapPainter::mapSize(Tuple<2, float>(16384.9f, 1.0f), 16384)[0], 16384u);
    // Beyond the limit, and sizes no conversion could hold, are refused.
    for (const Tuple<2, float>& refused :
         {Tuple<2, float>(16385.0f, 1.0f), Tuple<2, float>(1.0f, 1e30f), Tuple<2, float>(NAN, 10.0f),
          Tuple<2, float>(INFINITY, 10.0f)})
        EXPECT_THROW(LightMapPainter::mapSize(refused, 16384), TAVO::IK::SDLGL::TextureException);
    // Sides the driver takes whose product the image model does not hold.
    EXPECT_THROW(LightMapPainter::mapSize(Tuple<2, float>(20000.0f, 20000.0f), 32768),
                 TAVO::IK::SDLGL::TextureException);
}

TEST(LightMapPainterTest, TheDumpHoldsTheBytesAndTheWholeRecipe) {
    KestruneTest::TempFolder folder;
    const std::string path = folder.path() + "/lightmap.dat";
    const LightMapPainter painter = painted(5, 3, {{1, 1, 1, 0, 2}});
    std::ostringstream out;
    painter.dump(path, out);
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> stored((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(stored, painter.bytes());
    EXPECT_EQ(out.str(), "Saved raw edge lighting data 5x3 to " + path + ", decode with:\n" +
                             "f = fopen('" + path + "', 'rb');\n" + "data = fread(f, Inf, 'uint8');\n" +
                             "fclose(f);\n" + "map = permute(reshape(data, 4, 5, 3), [2 3 1]);\n");
}

TEST(LightMapPainterTest, ADumpThatCannotBeWrittenPrintsNothing) {
    KestruneTest::TempFolder folder;
    std::ostringstream out;
    EXPECT_THROW(LightMapPainter(2, 2).dump(folder.path() + "/missing/lightmap.dat", out), TAVO::StreamException);
    EXPECT_EQ(out.str(), "");
}
