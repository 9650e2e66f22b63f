#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "Tables.h"
#include "foundation/exceptions/NotFoundException.h"
#include "model/TableException.h"

using namespace ModelTest;
using TAVO::Point;
using TAVO::Vector;
using Events = std::vector<std::string>;

namespace {

std::vector<std::uint32_t> order(const Tray& tray) {
    std::vector<std::uint32_t> ids;
    for (auto it = tray.parts(); it.valid(); it.next())
        ids.push_back(it.current());
    return ids;
}

std::vector<std::uint32_t> scatterOrder(std::uint32_t columns, std::uint32_t rows, float cell = 64.0f) {
    Game game(0, columns, rows, cell);
    std::vector<std::uint32_t> pieces;
    for (std::uint32_t id : order(game.table.tray(0)))
        pieces.push_back(game.table.part(id).pieces().front());
    return pieces;
}

// Puts every part where the finished puzzle has it, in id order.
void layFlat(Game& game) {
    Tray& tray = game.table.tray(0);
    for (const auto& [id, part] : game.table.parts())
        tray.putPart(id, Pose(part.bounds().origin(), TAVO::Angle(0.0)));
    for (const auto& [id, part] : game.table.parts())
        tray.removePart(id), tray.putPart(id, Pose(part.bounds().origin(), TAVO::Angle(0.0)));
}

} // namespace

TEST(Table, ANewTableHasTrayZeroAndResetTellsTheHandler) {
    Table table;
    EXPECT_EQ(table.trayOrder(), (std::vector<unsigned int>{0}));
    EXPECT_TRUE(table.isEmpty());
    EXPECT_FALSE(table.isComplete());
    EXPECT_EQ(table.eventHandler(), nullptr);
    EXPECT_EQ(table.background(), Tray::Background());
    EXPECT_EQ(table.tray(0).id(), 0u);
    RecordingHandler handler;
    table.setEventHandler(&handler);
    table.addTray(4);
    table.reset();
    EXPECT_EQ(handler.take(), (Events{"added 4", "added 0"}));
    EXPECT_EQ(table.trayOrder(), (std::vector<unsigned int>{0}));
    EXPECT_THROW(table.addTray(0), TableException);
    EXPECT_THROW(table.tray(4), TAVO::NotFoundException<unsigned int>);
    EXPECT_THROW(table.part(0), TAVO::NotFoundException<unsigned int>);
}

TEST(Table, ResetForgetsThePuzzleItIsAboutToLose) {
    Game game(0, 2, 2);
    EXPECT_EQ(game.table.puzzle(), game.puzzle.get());
    game.table.reset();
    EXPECT_EQ(game.table.puzzle(), nullptr);
    EXPECT_TRUE(game.table.isEmpty());
    EXPECT_EQ(game.table.nextPartId(), 0u);
    // Joining without a puzzle is refused, not a dangling dereference.
    game.table.addPart(Part());
    game.table.addPart(Part());
    game.table.tray(0).putPart(0, pose(0.0f, 0.0f));
    game.table.tray(0).putPart(1, pose(0.0f, 0.0f));
    EXPECT_THROW(game.table.joinParts(0, 0, pose(0.0f, 0.0f), {1}), TableException);
}

TEST(Table, FreeTrayIdsFollowTheLargestAndWrapToTheFirstGap) {
    Table table;
    EXPECT_EQ(table.freeTrayId(), 1u);
    table.addTray(5);
    EXPECT_EQ(table.freeTrayId(), 6u);
    table.addTray(0xFFFFFFFFu);
    // The largest + 1 wraps to 0, which is taken: the end of the run from 0.
    EXPECT_EQ(table.freeTrayId(), 1u);
    for (std::uint32_t id = 1; id <= 4; ++id)
        table.addTray(id);
    EXPECT_EQ(table.freeTrayId(), 6u);
}

TEST(Table, UpdateErasesEmptyTraysButNeverTheLast) {
    Table table;
    RecordingHandler handler;
    table.setEventHandler(&handler);
    table.update(0.02f);
    EXPECT_EQ(table.trayOrder(), (std::vector<unsigned int>{0}));
    table.addTray(2);
    table.addTray(1);
    table.addPart(Part());
    table.tray(2).putPart(0, pose(0.0f, 0.0f));
    handler.take();
    table.update(0.02f);
    EXPECT_EQ(handler.take(), (Events{"removed 0", "removed 1"}));
    EXPECT_EQ(table.trayOrder(), (std::vector<unsigned int>{2}));

    Table two;
    two.addTray(1);
    two.update(0.02f);
    EXPECT_EQ(two.trayOrder(), (std::vector<unsigned int>{1}));
}

TEST(Table, KeepsTrayTellsWhichTraysTheNextRemovalLeaves) {
    // Every set of up to four trays, each empty or holding a part: the
    // answer before the removal is whether the tray is there after it.
    for (std::uint32_t layout = 0; layout < 81; ++layout) {
        // Code per tray: 0 none, 1 empty, 2 holding a part. Tray 0 comes with
        // every table, so "none" leaves it empty.
        Table table;
        for (std::uint32_t tray = 0, code = layout; tray < 4; ++tray, code /= 3) {
            if (code % 3 == 0)
                continue;
            if (tray != 0)
                table.addTray(tray);
            if (code % 3 == 2)
                table.tray(tray).putPart(table.addPart(Part()), pose(0.0f, 0.0f));
        }
        std::map<std::uint32_t, bool> kept;
        for (std::uint32_t id : {0u, 1u, 2u, 3u, 7u})
            kept[id] = table.keepsTray(id);
        table.removeEmptyTrays();
        for (const auto& [id, keeps] : kept)
            EXPECT_EQ(keeps, table.hasTray(id)) << "layout " << layout << " tray " << id;
    }
}

TEST(Table, ADropWhereNothingFitsIsAMoveThatKeepsTheAngle) {
    Game game(0, 3, 3);
    Table& table = game.table;
    RecordingHandler handler;
    table.setEventHandler(&handler);
    table.tray(0).putPart(4, pose(0.0f, 0.0f, 1.25));
    table.tray(0).removePart(4);
    table.tray(0).putPart(4, pose(0.0f, 0.0f, 1.25));
    handler.take();
    const std::vector<std::uint8_t> before = vectorOf(bytesOf(table));
    Table::TypedAction& action = table.dropPart(0, 4, pose(-3000.0f, 2000.0f, 0.0));
    // Recording changes nothing.
    EXPECT_EQ(vectorOf(bytesOf(table)), before);
    EXPECT_TRUE(handler.take().empty());
    ASSERT_EQ(action.tag(), Table::TypedAction::move);
    EXPECT_EQ(action.moveAction().from(), 0u);
    EXPECT_EQ(action.moveAction().to(), 0u);
    EXPECT_EQ(&action.action(), static_cast<const Table::Action*>(&action.moveAction()));
    action.action().apply(table);
    EXPECT_EQ(table.tray(0).partPose(4).position(), (Point<2, float>(-3000.0f, 2000.0f)));
    EXPECT_EQ(table.tray(0).partPose(4).orientation().value(), 1.25);
    EXPECT_EQ(order(table.tray(0)).back(), 4u);
    EXPECT_EQ(handler.take(), (Events{"changed 0"}));
}

TEST(Table, AJoinWithOneNeighbourLeavesItWhereItLies) {
    Game game(5, 3, 3);
    Table& table = game.table;
    Tray& tray = table.tray(0);
    const std::uint32_t dropped = game.partOf(4), neighbour = game.partOf(5);
    RecordingHandler handler;
    table.setEventHandler(&handler);
    const Pose lying = tray.partPose(neighbour);
    // Dropped 2 units off the joined place.
    Pose drop = tray.matchingPose(dropped, neighbour, lying);
    drop.position()[0] += 2.0f;
    Table::TypedAction& action = table.dropPart(0, dropped, drop);
    ASSERT_EQ(action.tag(), Table::TypedAction::join);
    EXPECT_EQ(action.joinAction().parts(), (std::vector<unsigned int>{neighbour}));
    const std::uint32_t next = table.nextPartId();
    handler.take();
    action.action().apply(table);
    ASSERT_EQ(tray.partCount(), 8u);
    EXPECT_TRUE(tray.hasPart(next));
    EXPECT_FALSE(tray.hasPart(dropped));
    EXPECT_THROW(table.part(neighbour), TAVO::NotFoundException<unsigned int>);
    // The new part shows piece 5 exactly where the neighbour showed it.
    const Pose now = tray.partPose(next);
    const Point<2, float> o5 = game.puzzle->pieceBounds(5).origin(), on = table.part(next).bounds().origin();
    EXPECT_NEAR(now.position()[0] + (o5[0] - on[0]), lying.position()[0], 1e-3);
    EXPECT_NEAR(now.position()[1] + (o5[1] - on[1]), lying.position()[1], 1e-3);
    EXPECT_EQ(table.part(next).pieces(), (std::vector<std::uint32_t>{4, 5}));
    EXPECT_EQ(order(tray).back(), next);
    const Events events = handler.take();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "joined " + std::to_string(neighbour) + " " + std::to_string(dropped) + " -> " +
                                 std::to_string(next));
}

TEST(Table, AJoinWithTwoNeighboursKeepsTheDropPose) {
    Game game(8, 3, 3);
    Table& table = game.table;
    layFlat(game);
    Tray& tray = table.tray(0);
    const std::uint32_t corner = game.partOf(0), right = game.partOf(1), below = game.partOf(3);
    // Pieces 1 and 3 lie in place; piece 0 is dropped 3 units off it.
    const Pose drop = pose(game.puzzle->pieceBounds(0).origin()[0] + 3.0f, game.puzzle->pieceBounds(0).origin()[1]);
    Table::TypedAction& action = table.dropPart(0, corner, drop);
    ASSERT_EQ(action.tag(), Table::TypedAction::join);
    std::vector<unsigned int> expected{right, below};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(action.joinAction().parts(), expected);
    const std::uint32_t added = table.joinParts(0, corner, drop, action.joinAction().parts());
    // The dropped part's pieces stay where they were dropped; the others snap to them.
    const Point<2, float> origin = table.part(added).bounds().origin();
    EXPECT_NEAR(tray.partPose(added).position()[0], drop.position()[0] + (origin[0] - game.puzzle->pieceBounds(0).origin()[0]), 1e-3);
    EXPECT_NEAR(tray.partPose(added).position()[1], drop.position()[1] + (origin[1] - game.puzzle->pieceBounds(0).origin()[1]), 1e-3);
    EXPECT_EQ(table.part(added).pieces().size(), 3u);
}

TEST(Table, JoiningEveryPartCompletesThePuzzleExactlyOnce) {
    Game game(1, 4, 3);
    Table& table = game.table;
    RecordingHandler handler;
    table.setEventHandler(&handler);
    Tray& tray = table.tray(0);
    // Always drop the part of piece 0 exactly onto a neighbour.
    int completions = 0;
    while (table.parts().size() > 1) {
        const std::uint32_t mover = game.partOf(0);
        const std::set<std::uint32_t>& neighbours = table.part(mover).neighbours();
        std::uint32_t partner = 0xFFFFFFFFu;
        for (std::uint32_t piece : neighbours)
            if (piece != PieceEdge::border) {
                partner = game.partOf(piece);
                break;
            }
        ASSERT_NE(partner, 0xFFFFFFFFu);
        EXPECT_FALSE(table.isComplete());
        Table::TypedAction& action = table.dropPart(0, mover, tray.matchingPose(mover, partner, tray.partPose(partner)));
        ASSERT_EQ(action.tag(), Table::TypedAction::join);
        action.action().apply(table);
        for (const std::string& event : handler.take()) {
            if (event == "completed") {
                ++completions;
                EXPECT_EQ(table.parts().size(), 1u);
            }
        }
    }
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(table.isComplete());
    EXPECT_EQ(table.parts().begin()->second.pieces().size(), 12u);
    EXPECT_EQ(tray.partCount(), 1u);
}

TEST(Table, MovingToATrayThatDoesNotExistMakesIt) {
    Game game(0, 2, 2);
    Table& table = game.table;
    RecordingHandler handler;
    table.setEventHandler(&handler);
    Table::TypedAction& action = table.movePart(0, 7, 2, pose(1.0f, 2.0f, 0.5));
    action.action().apply(table);
    EXPECT_EQ(handler.take(), (Events{"added 7", "changed 0", "changed 7"}));
    EXPECT_EQ(table.trayOrder(), (std::vector<unsigned int>{0, 7}));
    EXPECT_EQ(table.tray(7).partPose(2).orientation().value(), 0.5);
    EXPECT_FALSE(table.tray(0).hasPart(2));
    // The new tray was given a placer with the table's gap.
    table.tray(7).addPart(3);
    EXPECT_EQ(table.tray(7).partPose(3).position(), (Point<2, float>(5.0f, 5.0f)));
}

TEST(Table, BackgroundChangesReachEveryTrayInIdOrder) {
    Table table;
    table.addTray(3);
    table.addTray(1);
    RecordingHandler handler;
    table.setEventHandler(&handler);
    const Tray::Background cloth(Tray::Background::blankPreview, TAVO::Color(0.5f, 0.25f, 0.0f),
                                 Tray::Background::clothPattern);
    Table::TypedAction& action = table.changeBackground(cloth);
    EXPECT_EQ(action.tag(), Table::TypedAction::changeBackground);
    EXPECT_EQ(table.background(), Tray::Background());
    action.action().apply(table);
    EXPECT_EQ(table.background(), cloth);
    EXPECT_EQ(handler.take(), (Events{"changed 0", "changed 1", "changed 3"}));
    // A tray move changes the pose and nothing else.
    table.moveTray(3, TrayPose(Vector<2, float>(7.0f, 8.0f), -1.5f)).action().apply(table);
    EXPECT_EQ(table.tray(3).pose().level(), -1.5f);
    EXPECT_EQ(handler.take(), (Events{"changed 3"}));
    // Without a handler the same operations send nothing and work the same.
    table.setEventHandler(nullptr);
    table.setBackground(Tray::Background());
    EXPECT_TRUE(handler.take().empty());
    EXPECT_EQ(table.background(), Tray::Background());
}

TEST(Table, EditsOverwriteOnlyTheSelectedMember) {
    Game game(0, 2, 1);
    const TrayPose view(Vector<2, float>(1.0f, 2.0f), 3.0f);
    game.table.moveTray(0, view);
    const Table::TypedAction& action = game.table.dropPart(0, 1, pose(-999.0f, 0.0f));
    EXPECT_EQ(action.tag(), Table::TypedAction::move);
    EXPECT_EQ(action.moveTrayAction().pose().level(), 3.0f);
    EXPECT_EQ(&action, &game.table.lastAction());
}

TEST(Table, AnUnknownTagIsReadAndAppliedAsAMove) {
    Game game(0, 2, 2);
    std::vector<std::uint8_t> record = vectorOf(bytesOf(game.table.movePart(0, 0, 3, pose(4.0f, 5.0f))));
    ASSERT_EQ(record.size(), 4u + 12u + 16u);
    record[0] = 9;
    Table::TypedAction read;
    readInto(record, read);
    EXPECT_EQ(read.tag(), 9u);
    EXPECT_EQ(&read.action(), static_cast<const Table::Action*>(&read.moveAction()));
    read.action().apply(game.table);
    EXPECT_EQ(game.table.tray(0).partPose(3).position(), (Point<2, float>(4.0f, 5.0f)));
    EXPECT_EQ(vectorOf(bytesOf(read)), record);
}

TEST(Scatter, TheOrdersOfNineAndSixteenPieces) {
    EXPECT_EQ(scatterOrder(3, 3), (std::vector<std::uint32_t>{7, 0, 1, 3, 4, 5, 6, 8, 2}));
    EXPECT_EQ(scatterOrder(4, 4), (std::vector<std::uint32_t>{7, 0, 1, 13, 15, 10, 6, 8, 2, 3, 11, 5, 9, 14, 12, 4}));
    // The same count gives the same order whatever the grid or the size.
    EXPECT_EQ(scatterOrder(9, 1, 50.0f), scatterOrder(3, 3));
    EXPECT_EQ(scatterOrder(1, 1), (std::vector<std::uint32_t>{0}));
    // Two pieces: one draw below 2 decides.
    const auto two = scatterOrder(2, 1);
    EXPECT_EQ(std::set<std::uint32_t>(two.begin(), two.end()), (std::set<std::uint32_t>{0, 1}));
}

TEST(Scatter, PartsSurroundThePuzzleAreaAndTheViewFitsTheLayout) {
    for (const auto& [columns, rows] : {std::pair{3u, 3u}, {20u, 12u}, {40u, 40u}}) {
        Game game(0, columns, rows);
        const Table& table = game.table;
        const float w = 64.0f * columns, h = 64.0f * rows;
        ASSERT_EQ(table.trayOrder(), (std::vector<unsigned int>{0}));
        const Tray& tray = table.tray(0);
        ASSERT_EQ(tray.partCount(), columns * rows);
        EXPECT_EQ(table.nextPartId(), columns * rows);
        // Part ids follow the stacking order; no part covers the puzzle area.
        EXPECT_EQ(order(tray).front(), 0u);
        for (const auto& [id, part] : table.parts()) {
            const Point<2, float> at = tray.partPose(id).position();
            const auto size = part.bounds().extent();
            const bool apart = at[0] + size[0] <= -w / 2 || at[0] >= w / 2 || at[1] + size[1] <= -h / 2 || at[1] >= h / 2;
            EXPECT_TRUE(apart) << columns << "x" << rows << " part " << id;
        }
        const auto laid = tray.bounds();
        const double scale = std::max({1.0, laid.extent()[1] / 540.0, laid.extent()[0] / 960.0});
        EXPECT_NEAR(tray.pose().level(), -std::log2(scale), 1e-5);
        EXPECT_EQ(tray.pose().position(), (Vector<2, float>(0.0f, 0.0f)));
        if (columns == 3)
            EXPECT_EQ(tray.pose().level(), 0.0f); // small layouts stay at scale 1
        else
            EXPECT_LT(tray.pose().level(), 0.0f);
    }
}
