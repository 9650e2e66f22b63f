// The set-up page's scale between slider positions and piece counts, and
// the decimal digits it shows.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "../Probe.h"
#include "../RecordingShapeShader.h"
#include "../TestPackages.h"
#include "ui/ShapeFile.h"
#include "ui/Text.h"
#include "ui/menu/GameMenu.h"
#include "ui/menu/PuzzleSetupPanel.h"

TEST(PieceCountScale, PositionsGiveTheKnotCountsAndLinearCountsBetween) {
    EXPECT_EQ(GameMenu::countOfPosition(0.0f), 2u);
    EXPECT_EQ(GameMenu::countOfPosition(1.0f / 3.0f), 200u);
    EXPECT_EQ(GameMenu::countOfPosition(2.0f / 3.0f), 2000u);
    EXPECT_EQ(GameMenu::countOfPosition(1.0f), 10000u);
    EXPECT_EQ(GameMenu::countOfPosition(1.0f / 6.0f), 101u);
    EXPECT_EQ(GameMenu::countOfPosition(0.5f), 1100u);
    // Outside the track, and a position that is no number, stay on the scale.
    EXPECT_EQ(GameMenu::countOfPosition(-0.5f), 2u);
    EXPECT_EQ(GameMenu::countOfPosition(1.5f), 10000u);
    EXPECT_EQ(GameMenu::countOfPosition(std::numeric_limits<float>::quiet_NaN()), 2u);
}

TEST(PieceCountScale, CountsGivePositionsBack) {
    EXPECT_FLOAT_EQ(GameMenu::positionOfCount(2), 0.0f);
    EXPECT_FLOAT_EQ(GameMenu::positionOfCount(200), 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(GameMenu::positionOfCount(1100), 0.5f);
    EXPECT_FLOAT_EQ(GameMenu::positionOfCount(10000), 1.0f);
    EXPECT_FLOAT_EQ(GameMenu::positionOfCount(1), 0.0f);
    EXPECT_FLOAT_EQ(GameMenu::positionOfCount(20000), 1.0f);
    // Every count survives the round trip through its position.
    for (std::uint32_t n = 2; n <= 10000; ++n)
        ASSERT_EQ(GameMenu::countOfPosition(GameMenu::positionOfCount(n)), n);
}

TEST(PieceCountScale, NumbersAreWrittenInPlainDecimal) {
    UiTest::BuiltInPackage builtIn;
    UiTest::RecordingShapeShader shader;
    ShapeFile digits;
    loadShapeFile(digits, builtIn.archive, "assets/digits.dat");
    Text text(std::make_shared<const Text::Font>(shader, digits), 40.0f, TAVO::Color(1, 1, 1));
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0u, "0"}, {7u, "7"}, {10000u, "10000"}, {4294967295u, "4294967295"}};
    for (const auto& [number, written] : cases) {
        PuzzleSetupPanel::setTextNumber(text, number);
        EXPECT_EQ(text.text(), written);
    }
}
