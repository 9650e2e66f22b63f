// The part and tray drags against a table of four square pieces (a 2 x 2 cut
// with straight edges, 64 units a side), so that every pose and fit error
// below is exact: snapping and its tie rule, drops into the table and into
// trays, and the tray pan.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "foundation/exceptions/ExceptionLogger.h"
#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/text/Parameters.h"
#include "game/PartDrag.h"
#include "game/TrayDrag.h"
#include "imaging/ImageMetadata.h"
#include "model/Puzzle.h"
#include "model/Table.h"
#include "model/Workspace.h"
#include "model/edges/StraightEdgeFactory.h"
#include "model/generators/GridPuzzleGenerator.h"
#include "support/MemoryLog.h"

using TAVO::Point;
using Pose = Tray::Pose;

namespace {

Pose at(float x, float y, double angle = 0.0) { return Pose(Point<2, float>(x, y), TAVO::Angle(angle)); }

TAVO::Parameters configuration() {
    TAVO::Parameters p;
    p.set("lighting", "none");
    p.set("tray_pattern", "cloth");
    p.set("tray_red", 0.75f);
    p.set("tray_green", 0.75f);
    p.set("tray_blue", 0.75f);
    p.set("tray_preview", "blank");
    return p;
}

class DragTest : public ::testing::Test {
protected:
    DragTest() {
        TAVO::MersenneTwister random;
        const std::uint32_t seed = 0;
        random.seed(TAVO::BorrowConstBuffer(&seed, sizeof seed));
        auto straight = std::make_shared<StraightEdgeFactory>();
        GridPuzzleGenerator generator(&random, straight, straight);
        generator.setGridSize(TAVO::Tuple<2, unsigned int>(2u, 2u));
        puzzle = generator.generate(TAVO::Tuple<2, float>(128.0f, 128.0f), TAVO::IncrementalBuffer(),
                                    TAVO::Migration::ImageMetadata());
        table.scatter(puzzle.get(), TAVO::Tuple<2, float>(128.0f, 128.0f));
        // The parts by the corner of their piece: a at (0, 0), b right of
        // it, c above it, d diagonal.
        for (const auto& [id, part] : table.parts()) {
            const Point<2, float> o = part.bounds().origin();
            (o[0] == 0.0f ? (o[1] == 0.0f ? a : c) : (o[1] == 0.0f ? b : d)) = id;
        }
        // Everything far apart first.
        put(a, 0, 0);
        put(b, 1000, 0);
        put(c, 0, 1000);
        put(d, 1000, 1000);
    }
    ~DragTest() override { workspace.stop(); }

    void put(std::uint32_t part, float x, float y, double angle = 0.0) {
        tray().removePart(part);
        tray().putPart(part, at(x, y, angle));
    }
    Tray& tray(std::uint32_t id = 0) { return table.tray(id); }

    // Carries a, grabbed at (10, 10), so that its free pose lies at (x, y).
    void carryTo(float x, float y) { drag.move(Point<2, float>(10.0f + x, 10.0f + y)); }
    void beginCarry() {
        drag.begin(workspace.shelf(), table, 0, a, tray().partPose(a), Point<2, float>(10.0f, 10.0f));
    }

    KestruneTest::MemoryLog log;
    TAVO::ExceptionLogger logger{log};
    Workspace workspace{log, logger, configuration()};
    std::unique_ptr<Puzzle> puzzle;
    Table table;
    std::uint32_t a = 0, b = 0, c = 0, d = 0;
    PartDrag drag;
};

void expectPose(const Pose& pose, float x, float y) {
    EXPECT_EQ(pose.position()[0], x);
    EXPECT_EQ(pose.position()[1], y);
}

} // namespace

// b lies at (300, 100), so a fits it at (236, 100). A free pose 5 units off
// jumps there; the snap holds up to a fit error of 900 (30 units) and lets go
// beyond; a drop while snapped joins the two.
TEST_F(DragTest, SnapsToAFittingNeighbourAndHoldsItToThirtyUnits) {
    put(b, 300, 100);
    beginCarry();
    carryTo(239, 104);
    drag.update();
    ASSERT_TRUE(drag.isSnapped());
    EXPECT_EQ(drag.snapPartner(), b);
    expectPose(drag.pose(), 236, 100);
    expectPose(drag.freePose(), 239, 104);

    carryTo(256, 100);
    drag.update();
    EXPECT_TRUE(drag.isSnapped());
    carryTo(266, 100);
    drag.update();
    EXPECT_TRUE(drag.isSnapped()) << "an error of exactly 900 holds";
    expectPose(drag.pose(), 236, 100);
    carryTo(267, 100);
    drag.update();
    EXPECT_FALSE(drag.isSnapped());
    expectPose(drag.pose(), 267, 100);
    // A candidate needs an error below 100 to be found again.
    carryTo(246, 100);
    drag.update();
    EXPECT_FALSE(drag.isSnapped());

    drag.drop(Point<2, float>(10.0f + 238.0f, 10.0f + 101.0f));
    ASSERT_EQ(table.lastAction().tag(), Table::TypedAction::join);
    const Table::JoinAction& join = table.lastAction().joinAction();
    expectPose(join.pose(), 236, 100);
    EXPECT_EQ(join.parts(), std::vector<unsigned int>{b});
    EXPECT_EQ(table.parts().size(), 3u);
}

// b and c lie joined to each other, so a fits both at the same pose with the
// same error. Without a partner the first candidate (the lower id) wins a
// tie; with one, a tie keeps it and only a strictly better fit takes over.
TEST_F(DragTest, ATieKeepsThePartnerFoundFirst) {
    const std::uint32_t low = std::min(b, c), high = std::max(b, c);
    put(b, 300, 100);
    put(c, 236, 164);
    ASSERT_EQ(tray().fitError(a, at(239, 104), b), 25.0f);
    ASSERT_EQ(tray().fitError(a, at(239, 104), c), 25.0f);
    beginCarry();
    carryTo(239, 104);
    drag.update();
    EXPECT_EQ(drag.snapPartner(), low);

    // Only the higher one in reach: it becomes the partner; then the lower
    // one comes to fit exactly as well, and the partner stays.
    put(low, 2000, 2000);
    beginCarry();
    carryTo(239, 104);
    drag.update();
    ASSERT_EQ(drag.snapPartner(), high);
    const Pose highFit = drag.pose();
    put(low, highFit.position()[0] + (low == b ? 64.0f : 0.0f), highFit.position()[1] + (low == c ? 64.0f : 0.0f));
    ASSERT_EQ(tray().fitError(a, drag.freePose(), low), tray().fitError(a, drag.freePose(), high));
    drag.update();
    EXPECT_EQ(drag.snapPartner(), high);

    // The lower one moved to fit the free pose exactly: a better fit wins.
    put(low, 239.0f + (low == b ? 64.0f : 0.0f), 104.0f + (low == c ? 64.0f : 0.0f));
    drag.update();
    EXPECT_EQ(drag.snapPartner(), low);
    expectPose(drag.pose(), 239, 104);
}

// Over the tray bar: the part's own tray takes it without a change, a tray
// the table lacks does not take it, the new-tray icon makes the next tray
// and moves the part there to the place that tray chooses.
TEST_F(DragTest, DropsIntoTraysRecordMovesOfTheirOwn) {
    beginCarry();
    table.moveTray(0, TrayPose());
    EXPECT_TRUE(drag.dropIntoTray(0));
    EXPECT_FALSE(drag.dropIntoTray(7));
    EXPECT_EQ(table.lastAction().tag(), Table::TypedAction::moveTray) << "nothing recorded";
    expectPose(tray().partPose(a), 0, 0);
    EXPECT_FALSE(table.hasTray(7));

    EXPECT_TRUE(drag.dropIntoNewTray());
    ASSERT_EQ(table.trayOrder(), (std::vector<unsigned int>{0, 1}));
    EXPECT_FALSE(tray(0).hasPart(a));
    ASSERT_EQ(table.lastAction().tag(), Table::TypedAction::move);
    const Table::MoveAction& move = table.lastAction().moveAction();
    EXPECT_EQ(move.to(), 1u);
    expectPose(move.pose(), tray(1).partPose(a).position()[0], tray(1).partPose(a).position()[1]);
}

// The tray follows the pointer by the offset, and the drop moves the tray's
// pose by it; the level stays. A tray drag ignores the tray bar.
TEST_F(DragTest, ATrayDragPansByWhatThePointerMoved) {
    tray().setPose(TrayPose(TAVO::Vector<2, float>(10.0f, 20.0f), 1.0f));
    TrayDrag pan;
    pan.begin(workspace.shelf(), table, 0, Point<2, float>(5.0f, 5.0f));
    pan.move(Point<2, float>(15.0f, 0.0f));
    EXPECT_EQ(pan.offset()[0], 10.0f);
    EXPECT_EQ(pan.offset()[1], -5.0f);
    EXPECT_FALSE(pan.hoverTrayBar(Point<2, float>(0.0f, 0.0f), true));
    EXPECT_FALSE(pan.dropIntoNewTray());
    pan.drop(Point<2, float>(15.0f, 0.0f));
    ASSERT_EQ(table.lastAction().tag(), Table::TypedAction::moveTray);
    EXPECT_EQ(tray().pose().position()[0], 20.0f);
    EXPECT_EQ(tray().pose().position()[1], 15.0f);
    EXPECT_EQ(tray().pose().level(), 1.0f);

    // A view zoomed past the numbers (developer mode has no limit) maps the
    // pointer to no place: such a drop records nothing instead of throwing.
    const float far = std::numeric_limits<float>::infinity();
    pan.begin(workspace.shelf(), table, 0, Point<2, float>(5.0f, 5.0f));
    pan.drop(Point<2, float>(far, 0.0f));
    beginCarry();
    drag.drop(Point<2, float>(far, 0.0f));
    EXPECT_EQ(tray().pose().position()[0], 20.0f);
    EXPECT_EQ(tray().partPose(a).position()[0], 0.0f);
}
