// What reaches the table from the keys, the wheel and the pointer, and what
// does not: drags that would outlive their table, digit keys while a part is
// carried, input while a game is being loaded, the zoom and pan keys with the
// held-back saving of tray moves, and a game whose picture no texture can
// hold.
#include "ViewDrive.h"

#include "ui/PictureTexture.h"

using namespace ViewTest;

namespace {

// Journal bytes that hold nothing but change-background records (what
// showing a loaded game records).
bool onlyBackgroundRecords(const Bytes& bytes) {
    constexpr std::size_t record = 24;
    if (bytes.size() % record != 0)
        return false;
    for (std::size_t i = 0; i < bytes.size(); i += record)
        if (bytes[i] != 3 || bytes[i + 1] != 0 || bytes[i + 2] != 0 || bytes[i + 3] != 0)
            return false;
    return true;
}

} // namespace

// A part carried while a new game empties the table, while a saved game
// replaces it, or when a game fails: the drag ends with it, and the release
// that follows drops nothing anywhere.
TEST_F(ViewDrive, ADragEndsWithItsTable) {
    build();
    startGame();
    auto carry = [&] {
        const std::pair<int, int> at = pixelOf(middleOf(uncoveredPart()));
        moveTo(at.first, at.second);
        press(at);
        ASSERT_TRUE(view->partDragActive());
        moveTo(at.first + 40, at.second + 40, true);
    };

    // A saved game loaded over the table.
    carry();
    const Bytes saved = journal();
    view->menu().playGame(0);
    ASSERT_EQ(view->menu().currentPage(), Page::loading);
    ASSERT_TRUE(waitFor([&] { return view->menu().currentPage() == Page::inGame; }));
    EXPECT_EQ(view->activeDrag(), nullptr);
    moveTo(200, 200, true);
    release({200, 200});
    EXPECT_TRUE(onlyBackgroundRecords(grownBy(saved, journal())));

    // A failed game.
    carry();
    workspace->notifyFailed();
    EXPECT_EQ(view->activeDrag(), nullptr);
    EXPECT_EQ(view->menu().currentPage(), Page::gameSelection);
    view->menu().showInGame();

    // A new game: the table is emptied at once, the new one arrives later.
    carry();
    view->menu().startNewGame();
    EXPECT_EQ(view->activeDrag(), nullptr);
    EXPECT_EQ(view->currentTray(), 0u);
    release({200, 200});
    ASSERT_TRUE(waitFor([&] { return view->menu().currentPage() == Page::inGame; }));
    EXPECT_EQ(table().parts().size(), 12u);
}

// While a saved game is on its way the old table is still there under the
// loading page: presses start no drag, and the wheel, the pan keys and the
// tray keys change nothing, so nothing is written into the game.
TEST_F(ViewDrive, NothingReachesTheTableWhileAGameLoads) {
    build();
    startGame();
    const Bytes saved = journal();
    const Bytes before = bytesOf(table());
    const std::uint32_t part = uncoveredPart();
    const std::pair<int, int> at = pixelOf(middleOf(part));

    view->menu().playGame(0);
    ASSERT_EQ(view->menu().currentPage(), Page::loading);
    // No polling: the load stays outstanding.
    moveTo(at.first, at.second);
    press(at);
    EXPECT_EQ(view->activeDrag(), nullptr);
    release(at);
    wheel(-3);
    key(SDLK_RIGHT, SDL_SCANCODE_RIGHT, true);
    key(SDLK_EQUALS, SDL_SCANCODE_EQUALS, true);
    for (int i = 0; i < 10; ++i)
        view->update(0.02f);
    key(SDLK_RIGHT, SDL_SCANCODE_RIGHT, false);
    key(SDLK_EQUALS, SDL_SCANCODE_EQUALS, false);
    tap(SDLK_0, SDL_SCANCODE_0);
    tap(SDLK_1, SDL_SCANCODE_1);
    EXPECT_EQ(bytesOf(table()), before);

    ASSERT_TRUE(waitFor([&] { return view->menu().currentPage() == Page::inGame; }));
    steps(260);
    EXPECT_TRUE(onlyBackgroundRecords(grownBy(saved, journal())));
}

// With two trays, a digit key while a part is carried does not take the part
// off its tray; the drop then goes ahead as usual. When a tray empties, the
// tray before it becomes current.
TEST_F(ViewDrive, DigitKeysWaitForTheCarriedPart) {
    build({{"developer_mode", "true"}});
    startGame();
    zoom(-12);
    sendToNewTray(uncoveredPart());
    ASSERT_EQ(table().trayOrder().size(), 2u);
    const Bytes saved = journal();

    const std::uint32_t part = uncoveredPart();
    const std::pair<int, int> from = pixelOf(middleOf(part));
    const std::pair<int, int> to = pixelOf(Point<2, float>(-300.0f, -300.0f));
    moveTo(from.first, from.second);
    press(from);
    // Still over the place the part lies on its tray.
    moveTo(from.first + 3, from.second + 3, true);
    tap(SDLK_2, SDL_SCANCODE_2);
    EXPECT_TRUE(table().tray(0).hasPart(part));
    EXPECT_EQ(journal(), saved);
    moveTo(to);
    release(to);
    EXPECT_EQ(grownBy(saved, journal()), Record::move(part, 0, 0, table().tray(0).partPose(part)));

    // Tray 1 shown and emptied with "1": it goes, and tray 0 is current.
    SDL_SetModState(KMOD_RALT);
    tap(SDLK_2, SDL_SCANCODE_2);
    SDL_SetModState(KMOD_NONE);
    ASSERT_EQ(view->currentTray(), 1u);
    const std::uint32_t last = table().tray(1).parts().current();
    const std::pair<int, int> over = pixelOf(middleOf(last, 1));
    moveTo(over.first, over.second);
    tap(SDLK_1, SDL_SCANCODE_1);
    pass();
    EXPECT_FALSE(table().hasTray(1));
    EXPECT_EQ(view->currentTray(), 0u);
    // A digit past the trays does nothing.
    const Bytes now = bytesOf(table());
    tap(SDLK_2, SDL_SCANCODE_2);
    EXPECT_EQ(bytesOf(table()), now);

    // Escape ends a developer's program (and reaches the menu otherwise).
    tap(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(application().isRunning());
    EXPECT_EQ(view->menu().currentPage(), Page::inGame);
}

// "D" in developer mode writes the outline of each piece of the part under
// the pointer into the log, each in an entry of its own that holds all of it.
TEST_F(ViewDrive, TheOutlineKeyLogsEachPieceUnderThePointerInAnEntryOfItsOwn) {
    build({{"developer_mode", "true"}});
    startGame();
    const std::uint32_t part = uncoveredPart();
    const std::pair<int, int> over = pixelOf(middleOf(part));
    moveTo(over.first, over.second);
    const std::size_t before = log.lines().size();
    tap(SDLK_d, SDL_SCANCODE_D);
    const std::vector<std::string> lines = log.lines();
    const std::vector<std::uint32_t>& pieces = table().part(part).pieces();
    ASSERT_EQ(lines.size() - before, pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string& line = lines[before + i];
        const std::string start = "Debug piece " + std::to_string(pieces[i]) + ": (";
        EXPECT_EQ(line.rfind(start, 0), 0u) << line;
        // Corners and edge points: many coordinates, the contour closed.
        EXPECT_GT(std::count(line.begin(), line.end(), ','), 8) << line;
        EXPECT_EQ(line.substr(line.size() < 2 ? 0 : line.size() - 2), ") ") << line;
    }
}

// "=" (the "+" of a US keyboard), keypad plus, "+", keypad minus and "-"
// zoom at one level a second while held; key repeats change nothing; the
// level stays within [-6, 2]; "0" goes back to level 0. Arrows pan at 100
// units a second. Tray moves are saved 5 s after the last one.
TEST_F(ViewDrive, KeysZoomAndPanAndTheirMovesAreHeldBack) {
    build();
    startGame();
    const Bytes saved = journal();
    auto hold = [&](SDL_Keycode sym, SDL_Scancode code, int count) {
        key(sym, code, true);
        key(sym, code, true, true);
        steps(count);
        key(sym, code, false);
    };
    hold(SDLK_EQUALS, SDL_SCANCODE_EQUALS, 10);
    EXPECT_NEAR(trayPose().level(), 0.2f, 1e-5f);
    hold(SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 10);
    EXPECT_NEAR(trayPose().level(), 0.4f, 1e-5f);
    hold(SDLK_PLUS, SDL_SCANCODE_EQUALS, 5);
    EXPECT_NEAR(trayPose().level(), 0.5f, 1e-5f);
    hold(SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, 20);
    EXPECT_NEAR(trayPose().level(), 0.1f, 1e-5f);
    hold(SDLK_MINUS, SDL_SCANCODE_MINUS, 400);
    EXPECT_EQ(trayPose().level(), -6.0f);
    hold(SDLK_EQUALS, SDL_SCANCODE_EQUALS, 500);
    EXPECT_EQ(trayPose().level(), 2.0f);
    tap(SDLK_0, SDL_SCANCODE_0);
    EXPECT_EQ(trayPose().level(), 0.0f);

    const TAVO::Vector<2, float> start = trayPose().position();
    hold(SDLK_RIGHT, SDL_SCANCODE_RIGHT, 50);
    hold(SDLK_UP, SDL_SCANCODE_UP, 25);
    EXPECT_NEAR(trayPose().position()[0], start[0] - 100.0f, 1e-3f);
    EXPECT_NEAR(trayPose().position()[1], start[1] - 50.0f, 1e-3f);

    EXPECT_EQ(journal(), saved) << "held back";
    steps(240);
    EXPECT_EQ(journal(), saved) << "held back for 5 s";
    steps(20);
    EXPECT_EQ(grownBy(saved, journal()), Record::moveTray(0, trayPose()));
}

// A picture wider than the largest texture makes a game that cannot be
// shown: it fails back to the game list with a log line, and the program
// goes on.
TEST_F(ViewDrive, APictureBeyondTheLargestTextureFailsItsGame) {
    build();
    launchGame(12, PictureTexture::sideLimit() + 16, 24);
    EXPECT_EQ(view->menu().currentPage(), Page::gameSelection);
    EXPECT_TRUE(log.has("Unable to show the game"));
    frame();
}

// Zoomed out until pieces are some 20 pixels apart, with a neighbour laid
// above a piece, exactly where it joins it: a press in the piece's middle
// lifts that piece, not the neighbour within the 15 pixels around the press,
// and "1" with the pointer there moves that piece anew, not the neighbour.
TEST_F(ViewDrive, APressAndTheDigitKeysTakeThePieceUnderThePointer) {
    build();
    startGame(12, 240, 160);
    // Pieces 0 and 1 side by side as in the picture, away from the others,
    // 1 on top.
    const std::uint32_t below = partOf(0), above = partOf(1);
    const TAVO::Vector<2, float> shift(3000.0f, 3000.0f);
    const auto layOut = [&] {
        for (std::uint32_t part : {below, above}) {
            Table::TypedAction& action = table().movePart(
                0, 0, part, Tray::Pose(table().part(part).bounds().origin() + shift, TAVO::Angle(0.0)));
            action.action().apply(table());
        }
    };
    layOut();
    const TAVO::Tuple<2, float> size = workspace->currentSetup().puzzleSize();
    const Point<2, float> middle(size[0] / 8.0f, size[1] / 6.0f);
    table().tray(0).setPose(TrayPose(TAVO::Vector<2, float>(-middle[0] - shift[0], -middle[1] - shift[1]), -2.5f));
    const float reach = Camera::pixelsToTableUnits(trayPose(), View::pickRadius);
    ASSERT_TRUE(table().part(below).contains(middle));
    ASSERT_TRUE(table().part(above).meets(TAVO::Hypersphere<2, float>(middle, reach)))
        << "the neighbour is within the press's reach";

    const std::pair<int, int> at = pixelOf(middle + shift);
    moveTo(at.first, at.second);
    press(at);
    ASSERT_TRUE(view->partDragActive());
    EXPECT_EQ(view->partDrag().part(), below);
    // Dropped well away, so that it does not join its neighbour.
    const std::pair<int, int> away(at.first - 150, at.second);
    moveTo(away);
    release(away);
    ASSERT_EQ(table().parts().size(), 12u);

    layOut();
    moveTo(at.first, at.second);
    const Tray::Pose neighbour = table().tray(0).partPose(above);
    const Tray::Pose before = table().tray(0).partPose(below);
    tap(SDLK_1, SDL_SCANCODE_1);
    EXPECT_NE(table().tray(0).partPose(below).position(), before.position()) << "placed anew";
    EXPECT_EQ(table().tray(0).partPose(above).position(), neighbour.position());
}
