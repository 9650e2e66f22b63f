// A saved game resumed through the game list (its picture decoded beside
// the cut, the table and the meshes, the meshes built in runs side by side)
// is drawn pixel for pixel as the same game loaded one step after the
// other and handed to the view.
#include "ViewDrive.h"

#include <array>
#include <set>

#include "model/PartMeshSet.h"
#include "model/Puzzle.h"
#include "model/Shelf.h"

using namespace ViewTest;

namespace {

using ViewResume = ViewDrive;

} // namespace

TEST_F(ViewResume, AResumedGameIsDrawnAsTheGameLoadedStepByStep) {
    build({{"antialiasing", "true"}, {"lighting", "attribute"}});
    // A picture with something to show in every piece, 300 pieces asked for.
    const std::string path = folder->file("gallery/pattern.ppm");
    KestruneTest::PictureFiles::writeNetPBM(path, 900, 600, 3, KestruneTest::PictureFiles::pattern(900, 600, 3, 3));
    Picture picture;
    ASSERT_TRUE(workspace->loader().loadPicture(path, picture));
    workspace->menuSetup().setPicture(path, picture);
    workspace->menuSetup().setRequestedPieceCount(300);
    view->menu().startNewGame();
    ASSERT_TRUE(waitFor([&] { return view->menu().currentPage() == Page::inGame; }));
    sync();
    zoom(4);
    sync();

    // A new run of the game over the same folder.
    close();
    open();
    view->menu().playGame(0);
    ASSERT_EQ(view->menu().currentPage(), Page::loading);
    ASSERT_TRUE(waitFor([&] { return view->menu().currentPage() != Page::loading; }));
    ASSERT_EQ(view->menu().currentPage(), Page::inGame);
    ASSERT_NE(workspace->puzzle(), nullptr);
    const Bytes resumed = frame("view-resumed");

    // The same game loaded one step after the other: set-up, picture, cut,
    // table, then the meshes in order on this thread.
    auto setup = std::make_unique<::Setup>();
    SavedGames::readSetup(bufferOf(entryBytes("puzzle/0/setup", 0xFFFFFFFFu)), *setup, log);
    Picture stepPicture;
    ASSERT_TRUE(workspace->loader().loadPicture(setup->pictureName(), stepPicture));
    setup->setPicture(setup->pictureName(), stepPicture);
    std::unique_ptr<Puzzle> puzzle = setup->generate();
    auto table = std::make_unique<Table>();
    SavedGames::readTable(bufferOf(entryBytes("puzzle/0/table", 0xFFFFFFFFu)), *puzzle, *table, log);
    PartMeshSet meshes;
    meshes.build(*puzzle, *table, true, 1);
    workspace->installGame(std::move(setup), std::move(puzzle), std::move(table), meshes);
    EXPECT_EQ(meshes.vertexCount(), 0u) << "the view takes the meshes it was handed";
    pass();
    const Bytes stepwise = frame("view-stepwise");
    ASSERT_EQ(resumed.size(), stepwise.size());
    EXPECT_TRUE(resumed == stepwise);
    // And the frame shows the game: more than the cloth.
    std::set<std::array<int, 3>> colours;
    for (std::size_t i = 0; i < resumed.size(); i += 4 * 97)
        colours.insert({resumed[i], resumed[i + 1], resumed[i + 2]});
    EXPECT_GT(colours.size(), 50u);
}
