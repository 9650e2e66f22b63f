// A game played through the view with pushed SDL events: a 12-piece game of
// a flat picture, zoomed out with the wheel, a part carried and dropped, two
// parts joined, a part sent to a new tray through the tray bar, parts sent
// between trays with the digit keys. After each step the journal holds
// exactly the records written out here by hand, the frame shows the lit
// pieces where the table has them, and the saved game replays to the table
// that was played.
#include "ViewDrive.h"

#include <set>

using namespace ViewTest;

namespace {

// A part of the table that holds a piece next to one of the part's.
std::uint32_t neighbourOf(const Table& table, std::uint32_t part, const Tray& tray) {
    const std::set<std::uint32_t>& pieces = table.part(part).neighbours();
    for (const auto& [id, other] : table.parts())
        if (id != part && tray.hasPart(id) && other.touches(pieces))
            return id;
    return 0xFFFFFFFFu;
}

} // namespace

TEST_F(ViewDrive, APlayedGameReachesTheJournalAndTheFrame) {
    build({{"developer_mode", "true"}});
    startGame();
    ASSERT_EQ(table().parts().size(), 12u);
    Bytes saved = journal();

    // Twelve wheel steps down zoom out to level -1.2 about the window's
    // middle; the tray move is held back.
    zoom(-12);
    const TrayPose zoomed = trayPose();
    EXPECT_NEAR(zoomed.level(), -1.2f, 1e-5f);
    EXPECT_EQ(journal(), saved);
    const Bytes start = frame("view-start");
    for (const auto& [id, part] : table().parts())
        EXPECT_TRUE(isLit(colourAt(start, pixelOf(middleOf(id))))) << "part " << id;

    // Carry a part to an empty place: the held-back tray move is written in
    // front of the move.
    const std::uint32_t carried = uncoveredPart();
    const std::pair<int, int> from = pixelOf(middleOf(carried));
    const std::pair<int, int> to = pixelOf(Point<2, float>(-300.0f, -300.0f));
    moveTo(from.first, from.second);
    press(from);
    ASSERT_TRUE(view->partDragActive());
    EXPECT_EQ(view->partDrag().part(), carried);
    moveTo(to);
    pass();
    Bytes pixels = frame("view-carried");
    EXPECT_TRUE(isLit(colourAt(pixels, to)));
    EXPECT_FALSE(isLit(colourAt(pixels, from))) << "the carried part is not also drawn where it lay";
    release(to);
    EXPECT_EQ(view->activeDrag(), nullptr);
    const Tray::Pose dropped = table().tray(0).partPose(carried);
    EXPECT_EQ(grownBy(saved, journal()), Record::moveTray(0, zoomed) + Record::move(carried, 0, 0, dropped));
    saved = journal();
    // Within the pixel's rounding of where the pointer took it.
    const float unit = std::exp2(-zoomed.level());
    EXPECT_NEAR(middleOf(carried)[0], -300.0f, unit);
    EXPECT_NEAR(middleOf(carried)[1], -300.0f, unit);

    // Join a part to a neighbour: released a little off the joined place, it
    // snaps there and joins.
    const std::uint32_t moving = uncoveredPart(0, carried);
    const std::uint32_t anchor = neighbourOf(table(), moving, table().tray(0));
    ASSERT_NE(anchor, 0xFFFFFFFFu);
    const Tray::Pose joined = table().tray(0).matchingPose(moving, anchor, table().tray(0).partPose(anchor));
    const TAVO::Tuple<2, float> size = table().part(moving).bounds().extent();
    const std::pair<int, int> grab = pixelOf(middleOf(moving));
    const std::pair<int, int> near =
        pixelOf(Point<2, float>(joined.position()[0] + size[0] / 2 + 4.0f, joined.position()[1] + size[1] / 2));
    moveTo(grab.first, grab.second);
    press(grab);
    moveTo(near);
    pass();
    ASSERT_TRUE(view->partDrag().isSnapped());
    frame("view-snapped");
    release(near);
    ASSERT_EQ(table().parts().size(), 11u);
    EXPECT_EQ(grownBy(saved, journal()), Record::join(0, moving, joined, {anchor}));
    saved = journal();
    const std::uint32_t whole = table().nextPartId() - 1;
    pixels = frame("view-joined");
    const Point<2, float> middle = middleOf(whole);
    EXPECT_TRUE(isLit(colourAt(pixels, pixelOf(middle))));

    // A part dropped on the tray bar's new-tray icon goes to tray 1.
    const std::uint32_t sent = uncoveredPart(0, whole);
    sendToNewTray(sent, "view-over-tray-bar");
    ASSERT_EQ(table().trayOrder(), (std::vector<unsigned int>{0, 1}));
    ASSERT_TRUE(table().tray(1).hasPart(sent));
    EXPECT_EQ(grownBy(saved, journal()), Record::move(sent, 0, 1, table().tray(1).partPose(sent)));
    saved = journal();

    // "2" over a part sends it to the second tray of the order; Alt+"2"
    // shows that tray; "1" there sends the part back.
    const std::uint32_t keyed = uncoveredPart(0, whole);
    const std::pair<int, int> over = pixelOf(middleOf(keyed));
    moveTo(over.first, over.second);
    tap(SDLK_2, SDL_SCANCODE_2);
    ASSERT_TRUE(table().tray(1).hasPart(keyed));
    EXPECT_EQ(grownBy(saved, journal()), Record::move(keyed, 0, 1, table().tray(1).partPose(keyed)));
    saved = journal();

    SDL_SetModState(KMOD_LALT);
    tap(SDLK_2, SDL_SCANCODE_2);
    SDL_SetModState(KMOD_NONE);
    ASSERT_EQ(view->currentTray(), 1u);
    EXPECT_EQ(journal(), saved) << "showing a tray is no change of the game";
    pixels = frame("view-second-tray");
    for (std::uint32_t part : {sent, keyed})
        EXPECT_TRUE(isLit(colourAt(pixels, pixelOf(middleOf(part, 1))))) << "part " << part;

    const std::pair<int, int> back = pixelOf(middleOf(keyed, 1));
    moveTo(back.first, back.second);
    tap(SDLK_1, SDL_SCANCODE_1);
    ASSERT_TRUE(table().tray(0).hasPart(keyed));
    EXPECT_EQ(grownBy(saved, journal()), Record::move(keyed, 1, 0, table().tray(0).partPose(keyed)));

    // What the file holds replays to the table that was played.
    EXPECT_EQ(replayedTable(), bytesOf(table()));
}

// The same steps give the same frame, pixel for pixel, and the same journal,
// with the antialiasing target and the light map.
TEST_F(ViewDrive, TheFrameIsTheSameOnEveryRun) {
    Bytes frames[2], journals[2];
    for (int run = 0; run < 2; ++run) {
        build({{"antialiasing", "true"}, {"lighting", "map"}});
        startGame();
        zoom(-12);
        const std::uint32_t carried = uncoveredPart();
        const std::pair<int, int> from = pixelOf(middleOf(carried));
        moveTo(from.first, from.second);
        press(from);
        moveTo(pixelOf(Point<2, float>(-250.0f, -280.0f)));
        steps(3);
        frames[run] = frame(run == 0 ? "view-antialiased" : "");
        release(pixelOf(Point<2, float>(-250.0f, -280.0f)));
        journals[run] = journal();
        close();
    }
    EXPECT_TRUE(frames[0] == frames[1]);
    EXPECT_EQ(journals[0], journals[1]);
}

