#include <gtest/gtest.h>

#include <random>

#include "Tables.h"
#include "foundation/streams/ConstBufferStream.h"

using namespace ModelTest;
using TAVO::Point;
using TAVO::Vector;

namespace {

// Plays random edits on a game the way the view does: each edit is recorded,
// applied, appended to the journal, and followed by a tick.
class Session {
public:
    Session(std::uint32_t seed, std::uint32_t columns, std::uint32_t rows)
        : game(seed, columns, rows), random(seed) {
        // Some parts turned, so that snapshots and joins carry angles.
        Tray& tray = game.table.tray(0);
        std::uniform_real_distribution<double> angle(-3.0, 3.0);
        for (std::uint32_t id = 0; id < game.table.nextPartId(); id += 3) {
            const Point<2, float> at = tray.partPose(id).position();
            tray.removePart(id);
            tray.putPart(id, Pose(at, TAVO::Angle(angle(random))));
        }
    }

    void record(Table::TypedAction& action) {
        joins += action.tag() == Table::TypedAction::join ? 1 : 0;
        action.action().apply(game.table);
        mostTrays = std::max(mostTrays, game.table.trayOrder().size());
        TAVO::BufferStream stream(journal);
        stream.seek(journal.size());
        TAVO::Serialization::serialize(action, stream);
        game.table.update(0.02f);
        ++records;
    }

    // One random edit; false when none was possible.
    void step() {
        Table& table = game.table;
        const auto& trays = table.trayOrder();
        const std::uint32_t trayId = trays[random() % trays.size()];
        Tray& tray = table.tray(trayId);
        const int kind = int(random() % 10);
        if (kind == 0) {
            std::uniform_real_distribution<float> at(-500.0f, 500.0f);
            record(table.moveTray(trayId, TrayPose(Vector<2, float>(at(random), at(random)), at(random) / 100.0f)));
            return;
        }
        if (kind == 1) {
            record(table.changeBackground(Tray::Background(random() % 3, TAVO::Color(0.5f, 0.1f, 0.9f), random() % 4)));
            return;
        }
        std::vector<std::uint32_t> parts;
        for (auto it = tray.parts(); it.valid(); it.next())
            parts.push_back(it.current());
        if (parts.empty())
            return;
        const std::uint32_t part = parts[random() % parts.size()];
        if (kind == 2 || kind == 3) {
            // Into another tray, existing or new, placed by that tray; a new
            // one is sometimes made first, as a drop on the new-tray icon does.
            std::uint32_t target = random() % 2 ? trays[random() % trays.size()] : table.freeTrayId();
            if (target == trayId)
                return;
            if (!table.hasTray(target) && random() % 2)
                table.addTray(target);
            const Pose place = table.hasTray(target) ? table.tray(target).findPlace(part) : pose(5.0f, 5.0f);
            record(table.movePart(trayId, target, part, place));
            return;
        }
        // A drop: onto a neighbour's joined place give or take a few units, or anywhere.
        Pose drop = tray.partPose(part);
        std::uniform_real_distribution<float> jitter(-4.0f, 4.0f), far(-2000.0f, 2000.0f);
        if (kind < 8) {
            for (std::uint32_t other : parts)
                if (other != part && table.part(other).touches(table.part(part).neighbours())) {
                    drop = tray.matchingPose(part, other, tray.partPose(other));
                    break;
                }
            drop.position()[0] += jitter(random);
            drop.position()[1] += jitter(random);
        } else {
            drop.position() = Point<2, float>(far(random), far(random));
        }
        record(table.dropPart(trayId, part, drop));
    }

    // A table read from the snapshot with the journal replayed over it.
    std::vector<std::uint8_t> replay(const std::vector<std::uint8_t>& snapshot) const {
        Table table;
        readInto(snapshot, table);
        table.setPuzzle(game.puzzle.get());
        TAVO::ConstBufferStream stream(journal);
        std::uint32_t replayed = 0;
        while (!stream.atEnd()) {
            Table::TypedAction action;
            TAVO::Serialization::deserialize(stream, action);
            action.action().apply(table);
            table.update(0.02f);
            ++replayed;
        }
        EXPECT_EQ(replayed, records);
        table.validate();
        return vectorOf(bytesOf(table));
    }

    Game game;
    std::mt19937 random;
    TAVO::IncrementalBuffer journal;
    std::uint32_t records = 0;
    std::uint32_t joins = 0;
    std::size_t mostTrays = 0;
};

} // namespace

TEST(TableReplay, ASnapshotAndItsJournalGiveTheTablePlayedLive) {
    for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        Session session(seed, 4 + seed % 3, 3 + seed % 4);
        const std::vector<std::uint8_t> start = vectorOf(bytesOf(session.game.table));
        for (int i = 0; i < 300; ++i)
            session.step();
        session.game.table.validate();
        EXPECT_EQ(session.replay(start), vectorOf(bytesOf(session.game.table))) << "seed " << seed;
        // Play went somewhere: joins happened and trays came and went.
        EXPECT_GT(session.joins, 5u) << seed;
        EXPECT_GT(session.mostTrays, 2u) << seed;
    }
}

TEST(TableReplay, ASnapshotTakenMidwayRestoresTheSameTable) {
    Session session(9, 6, 5);
    for (int i = 0; i < 150; ++i)
        session.step();
    const std::vector<std::uint8_t> midway = vectorOf(bytesOf(session.game.table));
    // The snapshot alone gives the same table.
    Table restored;
    readInto(midway, restored);
    restored.setPuzzle(session.game.puzzle.get());
    EXPECT_EQ(vectorOf(bytesOf(restored)), midway);
    // Restored parts are rebuilt: they hit-test and join like the live ones.
    for (const auto& [id, part] : session.game.table.parts()) {
        EXPECT_EQ(restored.part(id).bounds(), part.bounds());
        EXPECT_EQ(restored.part(id).neighbours(), part.neighbours());
        EXPECT_EQ(restored.part(id).trees().size(), part.pieces().size());
    }
    session.journal = TAVO::IncrementalBuffer();
    session.records = 0;
    for (int i = 0; i < 150; ++i)
        session.step();
    EXPECT_EQ(session.replay(midway), vectorOf(bytesOf(session.game.table)));
}

TEST(TableReplay, RecordsReadBackAsTheyWereWritten) {
    Game game(0, 3, 3);
    std::vector<Table::TypedAction> actions;
    actions.push_back(game.table.movePart(0, 4, 2, pose(1.5f, -2.5f, 0.25)));
    actions.push_back(game.table.dropPart(0, 3, pose(-9000.0f, 0.0f)));
    Table::JoinAction join(0, 5, pose(3.0f, 4.0f, -1.0), {1, 2, 8});
    Table::TypedAction joined;
    joined.set(join);
    actions.push_back(joined);
    actions.push_back(game.table.moveTray(0, TrayPose(Vector<2, float>(-1.0f, 2.0f), -6.0f)));
    actions.push_back(game.table.changeBackground(Tray::Background(2, TAVO::Color(0.1f, 0.2f, 0.3f), 1)));
    for (const Table::TypedAction& action : actions) {
        const std::vector<std::uint8_t> bytes = vectorOf(bytesOf(action));
        Table::TypedAction read;
        readInto(bytes, read);
        EXPECT_EQ(read.tag(), action.tag());
        EXPECT_EQ(vectorOf(bytesOf(read)), bytes);
    }
    // Tag, tray, part, x, y, angle, count, ids: 4 + 4 + 4 + 4 + 4 + 8 + 4 + 12.
    EXPECT_EQ(bytesOf(joined).size(), 44u);
    // Tag, part, from, to, pose.
    EXPECT_EQ(bytesOf(actions[0]).size(), 32u);
    // Tag, tray, pose.
    EXPECT_EQ(bytesOf(actions[3]).size(), 20u);
    // Tag, background.
    EXPECT_EQ(bytesOf(actions[4]).size(), 24u);
}
