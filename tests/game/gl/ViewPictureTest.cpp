// The start button leaves the menu without the picture's pixels and the
// preview's texture, the loaded game's set-up keeps only the picture's name,
// and the same picture chosen again brings its pixels back for the next
// game, whose pieces show it.
#include "ViewDrive.h"

#include "ui/menu/PictureSelectPanel.h"

using namespace ViewTest;

TEST_F(ViewDrive, TheStartGivesThePictureToTheGameAndAChoiceAgainBringsItBack) {
    build({{"developer_mode", "true"}});
    const std::string path = folder->file("gallery/flat.ppm");
    std::vector<std::uint8_t> pixels(std::size_t(240) * 160 * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = pictureColour[i % 3];
    KestruneTest::PictureFiles::writeNetPBM(path, 240, 160, 3, pixels);
    close();
    open();
    workspace->menuSetup().setRequestedPieceCount(12);
    GameMenu& menu = view->menu();
    for (const char* name : {"view-picture-first", "view-picture-again"}) {
        menu.showPictures();
        ASSERT_TRUE(waitFor([&] { return menu.picturePanel()->list().count() == 1; }));
        menu.choosePicture(0);
        ASSERT_TRUE(waitFor([&] { return menu.picturePanel()->previewShown(); }));
        EXPECT_TRUE(workspace->menuSetup().picture().hasPixels());
        menu.showSetup();
        menu.startNewGame();
        EXPECT_FALSE(workspace->menuSetup().picture().hasPixels());
        EXPECT_EQ(workspace->menuSetup().pictureName(), path);
        EXPECT_EQ(menu.picturePanel()->previewShape().texture(), nullptr);
        ASSERT_TRUE(waitFor([&] { return menu.currentPage() != Page::loading; }));
        ASSERT_EQ(menu.currentPage(), Page::inGame);
        sync();
        EXPECT_FALSE(workspace->currentSetup().picture().hasPixels());
        zoom(-12);
        const Bytes shown = frame(name);
        ASSERT_EQ(table().parts().size(), 12u);
        for (const auto& [id, part] : table().parts())
            EXPECT_TRUE(isLit(colourAt(shown, pixelOf(middleOf(id))))) << name << ", part " << id;
    }
}
