#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include "foundation/exceptions/BoundException.h"
#include "geometry/Color.h"
#include "SerializedBytes.h"

using namespace TAVO;
using namespace GeometryTest;

namespace {

using T3f = Tuple<3, float>;

void expectColor(const Color& c, float r, float g, float b, float tolerance = 1e-6f) {
    EXPECT_NEAR(c.rgb()[0], r, tolerance);
    EXPECT_NEAR(c.rgb()[1], g, tolerance);
    EXPECT_NEAR(c.rgb()[2], b, tolerance);
}

double hueDistance(double a, double b) {
    const double d = std::fabs(a - b);
    return std::min(d, 1.0 - d);
}

} // namespace

TEST(Color, WorkedCases) {
    expectColor(Color::fromHSV(0.0f, 1.0f, 1.0f), 1, 0, 0);
    expectColor(Color::fromHSV(1.0f / 3.0f, 1.0f, 1.0f), 0, 1, 0);
    expectColor(Color::fromHSV(5.0f / 6.0f, 1.0f, 1.0f), 1, 0, 1);
    for (float h = 0.0f; h < 1.0f; h += 0.01f)
        expectColor(Color::fromHSL(h, 0.0f, 0.5f), 0.5f, 0.5f, 0.5f);

    const T3f hsv = Color(1.0f, 0.0f, 0.5f).toHSV();
    EXPECT_NEAR(hsv[0], 11.0f / 12.0f, 1e-6f);
    EXPECT_EQ(hsv[1], 1.0f);
    EXPECT_EQ(hsv[2], 1.0f);
    expectColor(Color::fromHSV(hsv[0], hsv[1], hsv[2]), 1.0f, 0.0f, 0.5f);

    EXPECT_EQ(Color(1, 1, 1).toHSL(), T3f(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(Color().toHSL(), T3f(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(Color(), Color(0, 0, 0));

    const Color a(0.1f, 0.2f, 0.3f), b(0.9f, 0.5f, 0.0f);
    EXPECT_EQ(Color::mix(a, b, 0.0f), a);
    EXPECT_EQ(Color::mix(a, b, 1.0f), b);
    expectColor(Color::weightedSum(a, 2.0f, b, 0.5f), 0.65f, 0.65f, 0.6f);
    EXPECT_EQ(hexOf(Color(0.25f, 0.5f, 1.0f)), packed("<3f", "0.25, 0.5, 1.0"));
    EXPECT_EQ(Color::interfaceColors[0], Color(0.75f, 0.75f, 0.75f));
    EXPECT_EQ(Color::interfaceColors[4], Color(0.2f, 0.5f, 0.6f));
}

TEST(Color, HueOfOneOrMoreThrows) {
    Color color(0.1f, 0.2f, 0.3f);
    try {
        color.setHueChroma(1.0f, 0.5f, 0.0f);
        FAIL();
    } catch (const BoundException<float>& e) {
        EXPECT_EQ(e.value(), 1.0f);
        EXPECT_EQ(e.bound(), 1.0f);
    }
    EXPECT_EQ(color, Color(0.1f, 0.2f, 0.3f));
    EXPECT_THROW(Color::fromHSV(1.0f, 0.5f, 0.5f), BoundException<float>);
    EXPECT_THROW(Color::fromHSL(std::numeric_limits<float>::quiet_NaN(), 0.5f, 0.5f), BoundException<float>);
    EXPECT_THROW(Color::fromHSL(3e38f, 0.5f, 0.5f), BoundException<float>);
    // Negative hues fall into the first sector; a huge one never meets an integer conversion.
    EXPECT_NO_THROW(Color::fromHSV(-3e38f, 0.5f, 0.5f));
    expectColor(Color::fromHSV(-0.1f, 0.0f, 0.5f), 0.5f, 0.5f, 0.5f);
}

TEST(Color, HueStaysBelowOne) {
    // Just below red on the blue side: the fraction rounds to 1 in single precision.
    const Color nearlyRed(1.0f, 0.0f, 1e-9f);
    const T3f hsv = nearlyRed.toHSV();
    EXPECT_LT(hsv[0], 1.0f);
    EXPECT_GE(hsv[0], 0.0f);
    EXPECT_NO_THROW(Color::fromHSV(hsv[0], hsv[1], hsv[2]));
    const Color notANumber(std::numeric_limits<float>::quiet_NaN(), 0.5f, 0.2f);
    EXPECT_LT(notANumber.toHSL()[0], 1.0f);
}

TEST(Color, LumaAndChroma) {
    const float kb = 0.114f, kr = 0.299f;
    const Color color(0.8f, 0.3f, 0.1f);
    const T3f ycc = color.toYCbCr(kb, kr);
    EXPECT_NEAR(ycc[0], 0.299f * 0.8f + 0.587f * 0.3f + 0.114f * 0.1f, 1e-6f);
    expectColor(Color::fromYCbCr(ycc[0], ycc[1], ycc[2], kb, kr), 0.8f, 0.3f, 0.1f, 1e-5f);
}

TEST(Color, AgreesWithColorsys) {
    std::mt19937 random(4711);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<Color> colors;
    for (int i = 0; i < 2000; ++i)
        colors.emplace_back(unit(random), unit(random), unit(random));
    colors.emplace_back(0.5f, 0.5f, 0.5f);
    colors.emplace_back(0.0f, 1.0f, 1.0f);
    colors.emplace_back(1.0f, 1.0f, 0.0f);

    std::ostringstream program;
    program.precision(9);
    program << "import colorsys\ncolors = [";
    for (const Color& c : colors)
        program << "(" << c.rgb()[0] << "," << c.rgb()[1] << "," << c.rgb()[2] << "),";
    program << "]\nfor r, g, b in colors:\n"
               "    h, s, v = colorsys.rgb_to_hsv(r, g, b)\n"
               "    hh, l, ss = colorsys.rgb_to_hls(r, g, b)\n"
               "    print(h, s, v, hh, ss, l)\n";
    std::istringstream lines(KestruneTest::Command::python(program.str()).output);
    for (const Color& c : colors) {
        double h, s, v, hl, sl, l;
        ASSERT_TRUE(lines >> h >> s >> v >> hl >> sl >> l);
        const T3f hsv = c.toHSV(), hsl = c.toHSL();
        ASSERT_LT(hueDistance(hsv[0], h), 1e-5) << c.rgb()[0] << " " << c.rgb()[1] << " " << c.rgb()[2];
        ASSERT_NEAR(hsv[1], s, 1e-5);
        ASSERT_NEAR(hsv[2], v, 1e-6);
        ASSERT_LT(hueDistance(hsl[0], hl), 1e-5);
        ASSERT_NEAR(hsl[1], sl, 1e-4);
        ASSERT_NEAR(hsl[2], l, 1e-6);
        ASSERT_GE(hsv[0], 0.0f);
        ASSERT_LT(hsv[0], 1.0f);

        const Color back = Color::fromHSV(hsv[0], hsv[1], hsv[2]);
        const Color backL = Color::fromHSL(hsl[0], hsl[1], hsl[2]);
        for (int k = 0; k < 3; ++k) {
            ASSERT_NEAR(back.rgb()[k], c.rgb()[k], 2e-5);
            ASSERT_NEAR(backL.rgb()[k], c.rgb()[k], 2e-4);
        }
    }
}
