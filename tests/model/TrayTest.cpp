#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Tables.h"
#include "foundation/exceptions/IteratorException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/streams/StreamException.h"
#include "model/TableException.h"
#include "support/Command.h"

using namespace ModelTest;
using KestruneTest::Command;
using TAVO::Point;
using TAVO::Vector;

namespace {

std::string hexOf(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char digits[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

// Where the puzzle point x shows for a part whose bounds' corner is at
// origin lying at the pose, in double.
std::pair<double, double> shown(const Pose& lying, const Point<2, float>& origin, double x, double y) {
    const double a = lying.orientation().value();
    const double dx = x - origin[0], dy = y - origin[1];
    return {lying.position()[0] + std::cos(a) * dx - std::sin(a) * dy,
            lying.position()[1] + std::sin(a) * dx + std::cos(a) * dy};
}

std::vector<std::uint32_t> order(const Tray& tray) {
    std::vector<std::uint32_t> ids;
    for (auto it = tray.parts(); it.valid(); it.next())
        ids.push_back(it.current());
    return ids;
}

} // namespace

TEST(TrayPose, ScaleIsTwoToTheMinusLevel) {
    TrayPose pose;
    EXPECT_EQ(pose.scale(), 1.0f);
    pose.setLevel(3.0f);
    EXPECT_EQ(pose.scale(), 0.125f);
    pose.setScale(4.0f);
    EXPECT_EQ(pose.level(), -2.0f);
    pose.setScale(1.5f);
    EXPECT_NEAR(pose.scale(), 1.5f, 1e-6f);
}

TEST(Tray, StoredFormsMatchAnIndependentPacking) {
    if (!Command::available("python3"))
        GTEST_SKIP() << "python3 is missing";
    Game game(0, 2, 1);
    Tray& tray = game.table.tray(0);
    tray.setPose(TrayPose(Vector<2, float>(1.5f, -2.25f), -3.5f));
    tray.putPart(0, pose(10.5f, -7.0f, 0.75));
    const Tray::Background background(2, TAVO::Color(0.25f, 0.5f, 1.0f), 3);
    const auto expected = Command::python(
        "import struct, sys\n"
        "def part_pose(i):\n"
        "    return {0: (10.5, -7.0, 0.75)}[i]\n"
        "tray = struct.pack('<3f', 1.5, -2.25, -3.5)\n"
        "ids = [0, 1]\n"
        "tray += struct.pack('<I', 2) + b''.join(struct.pack('<I', i) for i in ids)\n"
        "sys.stdout.write(tray.hex() + ' ')\n"
        "sys.stdout.write(struct.pack('<ffd', 10.5, -7.0, 0.75).hex() + ' ')\n"
        "sys.stdout.write(struct.pack('<IfffI', 2, 0.25, 0.5, 1.0, 3).hex())\n");
    ASSERT_EQ(expected.exitCode, 0);
    const std::string head = expected.output.substr(0, expected.output.find(' '));
    // The tray: pose, the part ids, their places in id order, then the order.
    const std::string stored = hexOf(vectorOf(bytesOf(tray)));
    EXPECT_EQ(stored.substr(0, head.size()), head);
    const std::string entry = expected.output.substr(head.size() + 1, 32);
    EXPECT_NE(stored.find(entry), std::string::npos);
    EXPECT_EQ(hexOf(vectorOf(bytesOf(Tray::PartEntry(pose(10.5f, -7.0f, 0.75))))), entry);
    EXPECT_EQ(hexOf(vectorOf(bytesOf(background))), expected.output.substr(head.size() + 34));
    // The order closes the record: 3 ids, bottom first, the re-put part 0 last.
    EXPECT_EQ(stored.substr(stored.size() - 32), "03000000000000000100000000000000");
}

TEST(Tray, EveryChangeIsReportedAndLookUpsOfMissingPartsThrow) {
    Game game(0, 3, 1);
    RecordingHandler handler;
    game.table.setEventHandler(&handler);
    Tray& tray = game.table.tray(0);
    ASSERT_EQ(order(tray), (std::vector<std::uint32_t>{0, 1, 2}));

    const Pose before = tray.partPose(0);
    tray.movePart(0, Point<2, float>(11.0f, 12.0f));
    EXPECT_EQ(order(tray), (std::vector<std::uint32_t>{1, 2, 0}));
    EXPECT_EQ(tray.partPose(0).position(), (Point<2, float>(11.0f, 12.0f)));
    EXPECT_EQ(tray.partPose(0).orientation(), before.orientation());

    // Put overwrites the pose and lists the part twice; remove takes every occurrence.
    tray.putPart(1, pose(1.0f, 2.0f, 0.5));
    EXPECT_EQ(order(tray), (std::vector<std::uint32_t>{1, 2, 0, 1}));
    EXPECT_EQ(tray.partPose(1).orientation().value(), 0.5);
    tray.removePart(1);
    EXPECT_EQ(order(tray), (std::vector<std::uint32_t>{2, 0}));
    EXPECT_FALSE(tray.hasPart(1));
    // Removing a part that is not there changes nothing but is still reported.
    tray.removePart(77);
    EXPECT_EQ(order(tray), (std::vector<std::uint32_t>{2, 0}));
    tray.setPose(TrayPose(Vector<2, float>(3.0f, 4.0f), 1.0f));
    EXPECT_EQ(handler.take(), (std::vector<std::string>{"changed 0", "changed 0", "changed 0", "changed 0",
                                                        "changed 0"}));

    try {
        tray.partPose(1);
        FAIL() << "no exception";
    } catch (const TAVO::NotFoundException<unsigned int>& missing) {
        EXPECT_EQ(missing.key(), 1u);
        EXPECT_EQ(missing.message().rfind("Could not find 1 in ", 0), 0u) << missing.message();
    }
    EXPECT_THROW(tray.movePart(1, Point<2, float>(0.0f, 0.0f)), TAVO::NotFoundException<unsigned int>);
    EXPECT_TRUE(handler.take().empty());
    // A part of no table cannot be placed.
    EXPECT_THROW(tray.addPart(99), TAVO::NotFoundException<unsigned int>);

    auto it = tray.parts();
    it.next(), it.next();
    EXPECT_FALSE(it.valid());
    it.next();
    EXPECT_THROW(it.current(), TAVO::IteratorException);
    EXPECT_EQ(TAVO::IteratorException(TAVO::SourceLocation()).message(), "Invalid iterator. ");
}

TEST(Tray, AddAndFindPlaceAskThePlacerWhichMovesOnEitherWay) {
    Game game(3, 2, 2);
    game.table.addTray(5);
    Tray& empty = game.table.tray(5);
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.bounds(), (TAVO::Hyperrectangle<2, float>(Point<2, float>(0.0f, 0.0f), TAVO::Tuple<2, float>(0.0f, 0.0f))));
    // The first slot of a fresh tray is at the origin: the part one gap inside.
    const Pose found = empty.findPlace(2);
    EXPECT_EQ(found.position(), (Point<2, float>(5.0f, 5.0f)));
    EXPECT_TRUE(empty.isEmpty());
    game.table.tray(0).removePart(2);
    empty.addPart(2);
    EXPECT_NE(empty.partPose(2).position(), found.position());
    // One part: its place with its bounds' size.
    const auto size = game.table.part(2).bounds().extent();
    EXPECT_EQ(empty.bounds(), (TAVO::Hyperrectangle<2, float>(empty.partPose(2).position(), size)));
}

TEST(Tray, MatchingPosesPutTheSamePuzzlePointInTheSamePlace) {
    Game game(11, 3, 3);
    const Tray& tray = game.table.tray(0);
    const std::uint32_t a = game.partOf(4), b = game.partOf(5);
    const Point<2, float> oa = game.table.part(a).bounds().origin(), ob = game.table.part(b).bounds().origin();
    for (double angle : {0.0, 0.7, -2.5, 3.1}) {
        const Pose lyingB = pose(-120.25f, 33.5f, angle);
        const Pose q = tray.matchingPose(a, b, lyingB);
        // The same angle, up to whole turns.
        EXPECT_NEAR(std::cos(q.orientation().value()), std::cos(angle), 1e-12);
        EXPECT_NEAR(std::sin(q.orientation().value()), std::sin(angle), 1e-12);
        // Any puzzle point shows in the same place through either part.
        for (const auto& [x, y] : {std::pair{0.0, 0.0}, {150.0, 100.0}, {-40.0, 500.0}}) {
            const auto viaA = shown(q, oa, x, y), viaB = shown(lyingB, ob, x, y);
            EXPECT_NEAR(viaA.first, viaB.first, 1e-3) << angle;
            EXPECT_NEAR(viaA.second, viaB.second, 1e-3) << angle;
        }
        // fitPose is the same rule with the anchor first.
        const Pose f = tray.fitPose(b, lyingB, a);
        EXPECT_EQ(f.position(), q.position());
    }
}

TEST(Tray, FitErrorIsTheSquaredMisalignmentAndJoinsBelowOneHundred) {
    Game game(11, 3, 3);
    Tray& tray = game.table.tray(0);
    const std::uint32_t a = game.partOf(4), b = game.partOf(5), far = game.partOf(0);
    const Point<2, float> oa = game.table.part(a).bounds().origin();
    // b and the far corner piece lie where the finished puzzle has them.
    tray.putPart(b, Pose(game.table.part(b).bounds().origin(), TAVO::Angle(0.0)));
    tray.putPart(far, Pose(game.table.part(far).bounds().origin(), TAVO::Angle(0.0)));
    EXPECT_EQ(tray.fitError(a, Pose(oa, TAVO::Angle(0.0)), b), 0.0f);
    EXPECT_EQ(tray.joinCandidates(a, Pose(oa, TAVO::Angle(0.0))), (std::vector<unsigned int>{b}));
    // 3 and 4 units off: 25.
    const Pose off = pose(oa[0] - 3.0f, oa[1] - 4.0f);
    EXPECT_NEAR(tray.fitError(a, off, b), 25.0f, 1e-3f);
    EXPECT_EQ(tray.joinCandidates(a, off), (std::vector<unsigned int>{b}));
    // The first x at which the error reaches exactly 100 does not join.
    float x = oa[0] - 8.0f;
    const float y = oa[1] - 6.0f;
    int steps = 0;
    while (tray.fitError(a, pose(x, y), b) < 100.0f && steps++ < 100000)
        x = std::nextafter(x, -1e9f);
    while (tray.fitError(a, pose(x, y), b) > 100.0f && steps++ < 200000)
        x = std::nextafter(x, 1e9f);
    ASSERT_EQ(tray.fitError(a, pose(x, y), b), 100.0f) << "no x gives exactly 100";
    EXPECT_TRUE(tray.joinCandidates(a, pose(x, y)).empty());
    EXPECT_EQ(tray.joinCandidates(a, pose(std::nextafter(x, 1e9f), y)), (std::vector<unsigned int>{b}));
    // A rotated drop does not fit an unrotated neighbour.
    EXPECT_TRUE(tray.joinCandidates(a, Pose(oa, TAVO::Angle(0.5))).empty());
    // Lying exactly in place is not enough for a piece that is no neighbour.
    EXPECT_GT(tray.fitError(a, Pose(oa, TAVO::Angle(0.0)), far), -1.0f);
    EXPECT_EQ(tray.fitError(a, Pose(oa, TAVO::Angle(0.0)), far), 0.0f);
}

TEST(Tray, PickFindsTheTopmostPartUnderTheCircle) {
    Game game(2, 2, 2);
    Tray& tray = game.table.tray(0);
    const std::uint32_t a = game.partOf(0), b = game.partOf(3);
    const auto ba = game.table.part(a).bounds();
    tray.putPart(a, pose(100.0f, 100.0f));
    // The centre of piece 0 lies at its puzzle place minus its corner, plus the pose.
    const Point<2, float> centre(100.0f + 32.0f - ba.origin()[0], 100.0f + 32.0f - ba.origin()[1]);
    std::uint32_t hit = 0xFFFFFFFFu;
    ASSERT_TRUE(tray.pick(centre, 1.0f, hit));
    EXPECT_EQ(hit, a);
    // Another part put on top over the same spot wins.
    const auto bb = game.table.part(b).bounds();
    tray.putPart(b, pose(centre[0] - (96.0f - bb.origin()[0]), centre[1] - (96.0f - bb.origin()[1])));
    ASSERT_TRUE(tray.pick(centre, 1.0f, hit));
    EXPECT_EQ(hit, b);
    // Far from everything: nothing. Near an open edge within the radius: the part.
    EXPECT_FALSE(tray.pick(Point<2, float>(-5000.0f, -5000.0f), 15.0f, hit));
    tray.removePart(b);
    const Point<2, float> left(100.0f - ba.origin()[0] - 3.0f, centre[1]);
    EXPECT_FALSE(tray.pick(left, 1.0f, hit));
    ASSERT_TRUE(tray.pick(left, 15.0f, hit));
    EXPECT_EQ(hit, a);
}

// Two neighbouring pieces of a real cut laid side by side as in the finished
// picture, the right one above: a press in the middle of the left one takes
// the left one although the circle around the press also reaches its
// neighbour's cut. Between the pieces (in neither) the circle decides, and
// the topmost part it reaches wins.
TEST(Tray, PickTakesThePartUnderThePointBeforeNeighboursWithinTheCircle) {
    Game game(5, 3, 1);
    Tray& tray = game.table.tray(0);
    const std::uint32_t left = game.partOf(0), middle = game.partOf(1), right = game.partOf(2);
    // Far from the scattered parts, each piece where it lies in the picture
    // shifted by (10000, 10000): the middle one last, so on top.
    const Vector<2, float> shift(10000.0f, 10000.0f);
    auto layInPlace = [&](std::uint32_t part) {
        tray.movePart(part, game.table.part(part).bounds().origin() + shift);
    };
    layInPlace(left);
    layInPlace(middle);
    const Point<2, float> centre = Point<2, float>(32.0f, 32.0f) + shift;
    // 40 units: 15 pixels at a zoom level of about -1.4, where a cell is
    // some 24 pixels wide.
    const float radius = 40.0f;
    ASSERT_TRUE(game.table.part(left).contains(Point<2, float>(32.0f, 32.0f)));
    ASSERT_FALSE(game.table.part(middle).contains(Point<2, float>(32.0f, 32.0f)));
    ASSERT_TRUE(game.table.part(middle).meets(TAVO::Hypersphere<2, float>(Point<2, float>(32.0f, 32.0f), radius)))
        << "the neighbour above is within the circle";
    std::uint32_t hit = 0xFFFFFFFFu;
    ASSERT_TRUE(tray.pick(centre, radius, hit));
    EXPECT_EQ(hit, left);
    // The same on the neighbour's side: the middle piece's own middle.
    ASSERT_TRUE(tray.pick(centre + Vector<2, float>(64.0f, 0.0f), radius, hit));
    EXPECT_EQ(hit, middle);

    // The right piece laid 30 units right of its place, under the middle
    // one: below the row, in no piece, the circle reaches both the middle
    // and the right piece, and the middle one, on top, wins; lifted above
    // the middle one, the right one wins. Far below, only the left piece is
    // within the circle.
    tray.movePart(right, game.table.part(right).bounds().origin() + shift + Vector<2, float>(30.0f, 0.0f));
    tray.movePart(middle, tray.partPose(middle).position());
    const Point<2, float> below = Point<2, float>(64.0f + 64.0f + 15.0f, -20.0f) + shift;
    ASSERT_FALSE(tray.pick(below, 0.5f, hit)) << "the point lies in no piece";
    ASSERT_TRUE(tray.pick(below, radius, hit));
    EXPECT_EQ(hit, middle);
    tray.movePart(right, tray.partPose(right).position());
    ASSERT_TRUE(tray.pick(below, radius, hit));
    EXPECT_EQ(hit, right);
    ASSERT_TRUE(tray.pick(Point<2, float>(10.0f, -30.0f) + shift, radius, hit));
    EXPECT_EQ(hit, left);
}

TEST(Tray, FocusAnimationEndsJustShortOfItsTargetAfterSeventySixSteps) {
    Game game(0, 2, 2);
    Tray& tray = game.table.tray(0);
    tray.setPose(TrayPose(Vector<2, float>(400.0f, -300.0f), -2.0f));
    const std::uint32_t part = 3;
    const Pose lying = tray.partPose(part);
    const auto size = game.table.part(part).bounds().extent();
    const double tx = -lying.position()[0] - size[0] * 0.5, ty = -lying.position()[1] - size[1] * 0.5;
    tray.focusPart(part);
    for (int i = 0; i < 75; ++i)
        tray.update(0.02f);
    EXPECT_LT(tray.animationProgress(), 1.0f);
    tray.update(0.02f);
    EXPECT_NEAR(tray.animationProgress(), 1.0133, 1e-3);
    const TrayPose end = tray.pose();
    // About 0.04 % short of the target, on every value.
    EXPECT_NEAR((end.position()[0] - 400.0) / (tx - 400.0), 0.99956, 2e-5);
    EXPECT_NEAR((end.position()[1] + 300.0) / (ty + 300.0), 0.99956, 2e-5);
    EXPECT_NEAR(end.level() / -2.0, 1.0 - 0.99956, 2e-5);
    tray.update(0.02f);
    EXPECT_EQ(tray.pose().position(), end.position());
    // A pose set while animating is overwritten by the next step.
    tray.focusPart(part);
    tray.update(0.02f);
    tray.setPose(TrayPose(Vector<2, float>(1.0f, 1.0f), 0.0f));
    tray.update(0.02f);
    EXPECT_NE(tray.pose().position(), (Vector<2, float>(1.0f, 1.0f)));
}

TEST(Tray, ValidateNamesWhatIsWrong) {
    Game game(0, 2, 1);
    Tray& tray = game.table.tray(0);
    EXPECT_NO_THROW(tray.validate());
    auto message = [&]() -> std::string {
        try {
            tray.validate();
        } catch (const TableException& damage) {
            return damage.message();
        }
        return "";
    };
    tray.putPart(1, tray.partPose(1));
    EXPECT_EQ(message(), "Tray 0 lists part 1 twice. ");
    tray.removePart(1);
    EXPECT_EQ(message(), "");
    tray.putPart(0, pose(NAN, 0.0f));
    tray.removePart(0);
    tray.putPart(0, pose(0.0f, 0.0f, INFINITY));
    EXPECT_EQ(message(), "Tray 0 holds part 0 at a pose that is not finite. ");
    tray.putPart(0, pose(0.0f, 0.0f));
    EXPECT_EQ(message(), "Tray 0 lists part 0 twice. ");
    tray.removePart(0);
    tray.putPart(0, pose(0.0f, 0.0f));
    tray.setPose(TrayPose(Vector<2, float>(0.0f, 0.0f), NAN));
    EXPECT_EQ(message(), "Tray 0 has a view pose that is not finite. ");
}
