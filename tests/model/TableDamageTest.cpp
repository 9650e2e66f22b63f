#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "Tables.h"
#include "foundation/exceptions/Exception.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/streams/ConstBufferStream.h"
#include "model/PartMeshSet.h"
#include "model/TableException.h"

using namespace ModelTest;
using TAVO::Point;
using TAVO::Vector;

namespace {

// The stored form of a table, written field by field apart from the model.
struct Snapshot {
    struct Place {
        std::uint32_t part;
        float x, y;
        double angle;
    };
    struct StoredTray {
        std::uint32_t id;
        float x = 0.0f, y = 0.0f, level = 0.0f;
        std::vector<Place> places;
        std::vector<std::uint32_t> order;
    };
    std::vector<std::uint32_t> trayOrder;
    std::vector<StoredTray> trays;
    std::uint32_t next = 0;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint32_t>>> parts;
    std::uint32_t preview = 0, pattern = 0;
    float colour[3] = {0.0f, 0.0f, 0.0f};

    static Snapshot of(const Table& table) {
        Snapshot s;
        s.trayOrder.assign(table.trayOrder().begin(), table.trayOrder().end());
        std::vector<std::uint32_t> ids = s.trayOrder;
        std::sort(ids.begin(), ids.end());
        for (std::uint32_t id : ids) {
            const Tray& tray = table.tray(id);
            StoredTray t;
            t.id = id;
            t.x = tray.pose().position()[0], t.y = tray.pose().position()[1], t.level = tray.pose().level();
            for (auto it = tray.parts(); it.valid(); it.next())
                t.order.push_back(it.current());
            std::vector<std::uint32_t> sorted = t.order;
            std::sort(sorted.begin(), sorted.end());
            for (std::uint32_t part : sorted) {
                const Pose at = tray.partPose(part);
                t.places.push_back({part, at.position()[0], at.position()[1], at.orientation().value()});
            }
            s.trays.push_back(t);
        }
        s.next = table.nextPartId();
        for (const auto& [id, part] : table.parts())
            s.parts.emplace_back(id, part.pieces());
        s.preview = table.background().preview(), s.pattern = table.background().pattern();
        for (int i = 0; i < 3; ++i)
            s.colour[i] = table.background().colour().rgb()[i];
        return s;
    }

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out;
        auto put = [&](const void* value, std::size_t size) {
            const auto* p = static_cast<const std::uint8_t*>(value);
            out.insert(out.end(), p, p + size);
        };
        auto u32 = [&](std::uint32_t v) { put(&v, 4); };
        auto f32 = [&](float v) { put(&v, 4); };
        u32(std::uint32_t(trayOrder.size()));
        for (std::uint32_t id : trayOrder)
            u32(id);
        u32(std::uint32_t(trays.size()));
        for (const StoredTray& t : trays)
            u32(t.id);
        for (const StoredTray& t : trays) {
            f32(t.x), f32(t.y), f32(t.level);
            u32(std::uint32_t(t.places.size()));
            for (const Place& p : t.places)
                u32(p.part);
            for (const Place& p : t.places)
                f32(p.x), f32(p.y), put(&p.angle, 8);
            u32(std::uint32_t(t.order.size()));
            for (std::uint32_t id : t.order)
                u32(id);
        }
        u32(next);
        u32(std::uint32_t(parts.size()));
        for (const auto& part : parts)
            u32(part.first);
        for (const auto& part : parts) {
            u32(std::uint32_t(part.second.size()));
            for (std::uint32_t piece : part.second)
                u32(piece);
        }
        u32(preview), f32(colour[0]), f32(colour[1]), f32(colour[2]), u32(pattern);
        return out;
    }
};

// Reads the bytes as a snapshot of the game's puzzle, as a load does.
void load(const Game& game, const std::vector<std::uint8_t>& bytes, Table& table) {
    readInto(bytes, table);
    table.setPuzzle(game.puzzle.get());
}

// The message of the exception that loading the bytes ends in; "" when it loads.
std::string refusal(const Game& game, const std::vector<std::uint8_t>& bytes) {
    Table table;
    try {
        load(game, bytes, table);
    } catch (const TAVO::Exception& failure) {
        return failure.message();
    }
    return "";
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A table, loaded or refused, either way without harm: one that loads keeps every rule and can be meshed.
void loadsOrRefuses(const Game& game, const std::vector<std::uint8_t>& bytes, bool puzzleFirst) {
    Table table;
    try {
        if (puzzleFirst)
            table.setPuzzle(game.puzzle.get());
        load(game, bytes, table);
    } catch (const TAVO::Exception&) {
        return;
    }
    table.validate();
    PartMeshSet meshes;
    meshes.build(*game.puzzle, table, false);
}

} // namespace

TEST(TableDamage, TheIndependentWriterAgreesWithTheTable) {
    Game game(4, 3, 2);
    game.table.addTray(6);
    game.table.movePart(0, 6, 2, pose(1.0f, 2.0f, 0.5)).action().apply(game.table);
    game.table.setBackground(Tray::Background(1, TAVO::Color(0.5f, 0.25f, 1.0f), 2));
    EXPECT_EQ(Snapshot::of(game.table).bytes(), vectorOf(bytesOf(game.table)));
    EXPECT_EQ(refusal(game, Snapshot::of(game.table).bytes()), "");
}

TEST(TableDamage, SnapshotsThatBreakTheRulesAreRefusedByName) {
    Game game(4, 2, 2);
    const Snapshot good = Snapshot::of(game.table);
    ASSERT_EQ(good.trays.size(), 1u);
    struct Case {
        const char* expected;
        std::function<void(Snapshot&)> damage;
    };
    const std::vector<Case> cases{
        {"Part 2 lies on trays 0 and 5.", [](Snapshot& s) {
             s.trayOrder.push_back(5);
             Snapshot::StoredTray t;
             t.id = 5, t.places.push_back({2, 0.0f, 0.0f, 0.0}), t.order.push_back(2);
             s.trays.push_back(t);
         }},
        {"The next part id 3 is not above part id 3.", [](Snapshot& s) { s.next = 3; }},
        {"The next part id 0 is not above part id 3.", [](Snapshot& s) { s.next = 0; }},
        {"Tray 0 holds part 1 at a pose that is not finite.", [](Snapshot& s) { s.trays[0].places[1].x = NAN; }},
        {"Tray 0 holds part 3 at a pose that is not finite.", [](Snapshot& s) { s.trays[0].places[3].angle = -INFINITY; }},
        {"Tray 0 has a view pose that is not finite.", [](Snapshot& s) { s.trays[0].level = INFINITY; }},
        {"Tray 0 is listed twice in the tray order.", [](Snapshot& s) { s.trayOrder.push_back(0); }},
        {"The tray order lists tray 8, which does not exist.", [](Snapshot& s) { s.trayOrder.push_back(8); }},
        {"Tray 0 is missing from the tray order.", [](Snapshot& s) { s.trayOrder.clear(); }},
        {"The table has no tray.", [](Snapshot& s) { s.trayOrder.clear(), s.trays.clear(), s.parts.clear(); }},
        {"not in ascending order (2 before 1)", [](Snapshot& s) { std::swap(s.parts[1], s.parts[2]); }},
        {"Tray 0 lists part 2 twice.", [](Snapshot& s) { s.trays[0].order.push_back(2); }},
        {"Tray 0 has a place for part 3 but does not list it.", [](Snapshot& s) { s.trays[0].order.pop_back(); }},
        {"Tray 0 holds part 7, which does not exist.", [](Snapshot& s) {
             s.trays[0].places.push_back({7, 0.0f, 0.0f, 0.0}), s.trays[0].order.push_back(7), s.next = 8;
         }},
        {"Part 3 lies on no tray.", [](Snapshot& s) {
             s.trays[0].places.pop_back();
             s.trays[0].order.erase(std::find(s.trays[0].order.begin(), s.trays[0].order.end(), 3u));
         }},
        {"Part 1 holds no piece.", [](Snapshot& s) { s.parts[1].second.clear(); }},
        {"Part 1 holds piece 9, which a puzzle of 4 pieces does not have.", [](Snapshot& s) { s.parts[1].second = {9}; }},
        {"Piece 0 lies in parts 0 and 1.", [](Snapshot& s) {
             s.parts[0].second = {0};
             s.parts[1].second = {0};
         }},
        {"holds piece", [](Snapshot& s) { s.parts[2].second.push_back(s.parts[2].second.front()); }},
        {"lies in no part.", [](Snapshot& s) {
             s.parts.pop_back();
             s.trays[0].places.pop_back();
             s.trays[0].order.erase(std::find(s.trays[0].order.begin(), s.trays[0].order.end(), 3u));
         }},
        {"(preview 7, pattern 0) is not one the table knows", [](Snapshot& s) { s.preview = 7; }},
        {"(preview 0, pattern 4) is not one the table knows", [](Snapshot& s) { s.pattern = 4; }},
    };
    for (const Case& c : cases) {
        Snapshot damaged = good;
        c.damage(damaged);
        EXPECT_TRUE(contains(refusal(game, damaged.bytes()), c.expected))
            << c.expected << " / got: " << refusal(game, damaged.bytes());
    }
    EXPECT_EQ(refusal(game, good.bytes()), "");
}

TEST(TableDamage, CountsBeyondThePuzzleOrTheBytesAreRefusedBeforeAnythingIsMade) {
    Game game(4, 2, 2);
    const Snapshot good = Snapshot::of(game.table);
    // Five one-piece parts of a four-piece puzzle, read with the puzzle known.
    Snapshot many = good;
    many.parts.emplace_back(9, std::vector<std::uint32_t>{0});
    many.next = 10;
    {
        Table table;
        table.setPuzzle(game.puzzle.get());
        try {
            readInto(many.bytes(), table);
            FAIL() << "read";
        } catch (const TableException& refused) {
            EXPECT_EQ(refused.message(), "The stored table counts 5 parts, more than the 4 it can hold. ");
        }
    }
    // Without the puzzle the load still fails, on the rules.
    EXPECT_NE(refusal(game, many.bytes()), "");

    // Huge counts with little data behind them fail at once.
    std::vector<std::uint8_t> bytes = good.bytes();
    for (std::size_t offset : {std::size_t(0), std::size_t(8)}) {
        std::vector<std::uint8_t> huge = bytes;
        std::memset(huge.data() + offset, 0xFF, 4);
        EXPECT_TRUE(contains(refusal(game, huge), "exceeds")) << refusal(game, huge);
    }
    // A part of a million pieces is refused before any tree is built.
    Snapshot long_ = good;
    long_.parts[0].second.assign(1000000, 2);
    EXPECT_TRUE(contains(refusal(game, long_.bytes()), "twice")) << refusal(game, long_.bytes());
    Snapshot outOfRange = good;
    outOfRange.parts[0].second.assign(1000000, 4000000000u);
    EXPECT_TRUE(contains(refusal(game, outOfRange.bytes()), "does not have"));
}

TEST(TableDamage, EveryCutOfASnapshotIsRefused) {
    Game game(7, 3, 3);
    game.table.addTray(2);
    game.table.movePart(0, 2, 4, pose(1.0f, 1.0f)).action().apply(game.table);
    const std::vector<std::uint8_t> bytes = vectorOf(bytesOf(game.table));
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(size));
        EXPECT_NE(refusal(game, cut), "") << "cut at " << size;
    }
    EXPECT_EQ(refusal(game, bytes), "");
}

TEST(TableDamage, RandomAndFlippedBytesLoadSafelyOrNotAtAll) {
    Game game(7, 3, 3);
    game.table.addTray(2);
    game.table.movePart(0, 2, 4, pose(1.0f, 1.0f)).action().apply(game.table);
    const std::vector<std::uint8_t> bytes = vectorOf(bytesOf(game.table));
    std::mt19937 random(99);
    for (int i = 0; i < 3000; ++i) {
        std::vector<std::uint8_t> damaged = bytes;
        const int flips = 1 + int(random() % 4);
        for (int f = 0; f < flips; ++f)
            damaged[random() % damaged.size()] ^= std::uint8_t(1u << (random() % 8));
        loadsOrRefuses(game, damaged, i % 2 == 0);
    }
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::uint8_t> noise(random() % 200);
        for (std::uint8_t& byte : noise)
            byte = std::uint8_t(random() % 4 == 0 ? random() : random() % 3);
        loadsOrRefuses(game, noise, i % 2 == 0);
    }
}

TEST(TableDamage, ActionsThatBreakTheRulesChangeNothing) {
    Game game(4, 3, 3);
    Table& table = game.table;
    table.addTray(1);
    table.movePart(0, 1, 8, pose(0.0f, 0.0f)).action().apply(table);
    const std::vector<std::uint8_t> before = vectorOf(bytesOf(table));
    RecordingHandler handler;
    table.setEventHandler(&handler);
    struct Case {
        const char* expected;
        Table::TypedAction action;
    };
    auto joinOf = [](std::uint32_t tray, std::uint32_t part, const Pose& at, std::vector<unsigned int> ids) {
        Table::TypedAction action;
        action.set(Table::JoinAction(tray, part, at, ids));
        return action;
    };
    auto moveOf = [](std::uint32_t part, std::uint32_t from, std::uint32_t to, const Pose& at) {
        Table::TypedAction action;
        action.set(Table::MoveAction(part, from, to, at));
        return action;
    };
    Table::TypedAction trayMove, badTrayMove, background;
    trayMove.set(Table::MoveTrayAction(3, TrayPose()));
    badTrayMove.set(Table::MoveTrayAction(0, TrayPose(Vector<2, float>(NAN, 0.0f), 0.0f)));
    background.set(Table::ChangeBackgroundAction(Tray::Background(0, TAVO::Color(), 17)));
    const Pose at = pose(0.0f, 0.0f);
    const std::vector<Case> cases{
        {"lists the part itself", joinOf(0, 1, at, {1, 2})},
        {"Could not find 42 in", joinOf(0, 1, at, {2, 42})},
        {"lists part 8, which does not lie there", joinOf(0, 1, at, {8})},
        {"lists part 2 twice", joinOf(0, 1, at, {2, 3, 2})},
        {"names no part to join", joinOf(0, 1, at, {})},
        {"the part does not lie there", joinOf(1, 2, at, {8})},
        {"Could not find 9 in", joinOf(9, 1, at, {2})},
        {"names a pose that is not finite", joinOf(0, 1, pose(0.0f, INFINITY), {2})},
        {"names tray 0, where the part does not lie", moveOf(8, 0, 5, at)},
        {"Could not find 77 in", moveOf(77, 0, 0, at)},
        {"Could not find 6 in", moveOf(1, 6, 0, at)},
        {"names a pose that is not finite", moveOf(1, 0, 0, pose(NAN, 0.0f))},
        {"names a pose that is not finite", moveOf(1, 0, 1, pose(0.0f, 0.0f, NAN))},
        {"Could not find 3 in", trayMove},
        {"A view pose of tray 0 is not finite", badTrayMove},
        {"pattern 17) is not one the table knows", background},
    };
    for (const Case& c : cases) {
        std::string message;
        try {
            c.action.action().apply(table);
        } catch (const TAVO::Exception& refused) {
            message = refused.message();
        }
        EXPECT_TRUE(contains(message, c.expected)) << c.expected << " / got: " << message;
        EXPECT_EQ(vectorOf(bytesOf(table)), before) << c.expected;
        EXPECT_TRUE(handler.take().empty()) << c.expected;
    }
    // A stored join that names more ids than bytes follow fails on reading.
    std::vector<std::uint8_t> record = vectorOf(bytesOf(joinOf(0, 1, at, {2})));
    std::memset(record.data() + 28, 0xFF, 4);
    Table::TypedAction read;
    try {
        readInto(record, read);
        FAIL() << "read";
    } catch (const TAVO::Exception& refused) {
        EXPECT_TRUE(contains(refused.message(), "exceeds")) << refused.message();
    }
}

TEST(TableDamage, RandomJournalsNeverBreakTheTable) {
    std::mt19937 random(5);
    for (int round = 0; round < 40; ++round) {
        Game game(round, 3, 3);
        // Records of every kind with small ids, so that many apply.
        std::vector<std::uint8_t> journal;
        for (int r = 0; r < 200; ++r) {
            Table::TypedAction action;
            const Pose at = pose(float(random() % 400) - 200.0f, float(random() % 400) - 200.0f, 0.0);
            switch (random() % 4) {
            case 0:
                action.set(Table::MoveAction(random() % 12, random() % 3, random() % 3, at));
                break;
            case 1: {
                std::vector<unsigned int> ids(random() % 3);
                for (unsigned int& id : ids)
                    id = random() % 14;
                action.set(Table::JoinAction(random() % 3, random() % 14, at, ids));
                break;
            }
            case 2:
                action.set(Table::MoveTrayAction(random() % 3, TrayPose(Vector<2, float>(1.0f, 2.0f), 0.5f)));
                break;
            default:
                action.set(Table::ChangeBackgroundAction(Tray::Background(random() % 4, TAVO::Color(), random() % 5)));
            }
            const std::vector<std::uint8_t> bytes = vectorOf(bytesOf(action));
            journal.insert(journal.end(), bytes.begin(), bytes.end());
        }
        // Some bytes flipped: tags, ids and counts go wrong too.
        for (int f = 0; f < round; ++f)
            journal[random() % journal.size()] ^= std::uint8_t(random());
        const TAVO::IncrementalBuffer buffer = bufferOf(journal);
        TAVO::ConstBufferStream stream(buffer);
        int applied = 0;
        try {
            while (!stream.atEnd()) {
                Table::TypedAction action;
                TAVO::Serialization::deserialize(stream, action);
                try {
                    action.action().apply(game.table);
                    ++applied;
                } catch (const TAVO::Exception&) {
                }
                game.table.update(0.02f);
                game.table.validate();
            }
        } catch (const TAVO::Exception&) {
            // A record cut short or a count beyond the bytes: the rest is unreadable.
        }
        game.table.validate();
        EXPECT_GT(applied, 0) << round;
        PartMeshSet meshes;
        meshes.build(*game.puzzle, game.table, round % 2 == 0);
    }
}
