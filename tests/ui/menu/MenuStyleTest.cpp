// The menu's colours and sizes, the colours given by hue, saturation and
// value checked against the conversion worked out by hand.
#include <gtest/gtest.h>

#include "ui/menu/MenuStyle.h"

namespace {

// Value, saturation and the hue's share of the first sector, for hues below 1/6:
// red = v, green = v (1 - s (1 - 6h)), blue = v (1 - s).
void expectRedSector(const TAVO::Color& c, double h, double s, double v) {
    EXPECT_NEAR(c.rgb()[0], v, 1e-6);
    EXPECT_NEAR(c.rgb()[1], v * (1.0 - s * (1.0 - 6.0 * h)), 1e-6);
    EXPECT_NEAR(c.rgb()[2], v * (1.0 - s), 1e-6);
}

} // namespace

TEST(MenuStyle, ColoursFromHueSaturationAndValue) {
    const MenuStyle& style = MenuStyle::standard;
    expectRedSector(style.iconColor, 0.165, 0.2, 1.0);
    expectRedSector(style.innerColor, 0.138, 0.95, 0.95);
    expectRedSector(style.outerColor, 0.138, 0.81225, 0.9025);
    // Hue 0.665 lies in the sector from cyan to blue (3/6 to 4/6): red = v (1
    // - s), green = v (1 - s (6h - 3)), blue = v.
    EXPECT_NEAR(style.selectedTrayBorderColor.rgb()[0], 0.8, 1e-6);
    EXPECT_NEAR(style.selectedTrayBorderColor.rgb()[1], 1.0 - 0.2 * (6.0 * 0.665 - 3.0), 1e-6);
    EXPECT_NEAR(style.selectedTrayBorderColor.rgb()[2], 1.0, 1e-6);
}

TEST(MenuStyle, SizesAndTheTrayIconHeight) {
    const MenuStyle& style = MenuStyle::standard;
    EXPECT_EQ(style.iconSize, (TAVO::Tuple<2, float>(50, 50)));
    EXPECT_EQ(style.itemSize, (TAVO::Tuple<2, float>(70, 70)));
    EXPECT_EQ(style.veilColor, TAVO::Color(0.85f, 0.85f, 0.85f));
    EXPECT_EQ(style.veilAlpha, 0.75f);
    EXPECT_EQ(style.trayBorderWidth, 5.0f);
    EXPECT_EQ(MenuStyle::trayIconHeight, 62u);
    EXPECT_FLOAT_EQ(MenuStyle::trayBarMargin, 6.2f);
    // The preset tray colours are the library's interface colours.
    EXPECT_EQ(TAVO::Color::interfaceColors[2], TAVO::Color(0.6f, 0.4f, 0.2f));
}
