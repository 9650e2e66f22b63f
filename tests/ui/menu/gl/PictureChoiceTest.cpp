// Choosing a picture: loads that fail after their entry moved, pictures of
// one or two channels, and loads that were cancelled or superseded.
#include "MenuDriveFixture.h"

#include <fstream>

#include "model/Setup.h"

using namespace MenuTest;

namespace {

// Hears of one picture load queued behind others at full size: when it is
// heard, so are they.
class Marker : public PictureLoader::Notifier {
public:
    explicit Marker(bool& heard) : heard_(heard) {}
    void loaded(const std::string&, const Picture&) override { heard_ = true; }
    void failed() override { heard_ = true; }

private:
    bool& heard_;
};

} // namespace

class PictureChoice : public MenuDrive {
protected:
    std::vector<std::string> galleryPaths() {
        std::vector<std::string> paths;
        for (const auto& entry : workspace->gallery().entries())
            paths.push_back(entry.path);
        return paths;
    }
    void toPictures() {
        click(at(0.5f, 0.4f));
        ASSERT_EQ(page(), Page::picture);
        ASSERT_TRUE(waitFor([&] { return thumbnailsShown(); }));
    }
    // A picture no texture takes: one of five channels.
    static Picture notUploadable() {
        Picture odd;
        odd.metadata() = TAVO::Migration::ImageMetadata(2, 2, 5, 40);
        odd.buffer().setSize(20);
        return odd;
    }
    // Every picture asked for at full size so far has been heard.
    void drainLoads() {
        bool heard = false;
        workspace->loader().loadAsync(picture("a.png"), std::make_unique<Marker>(heard));
        ASSERT_TRUE(waitFor([&] { return heard; }));
    }
};

// The entry of a picture that cannot be read at full size leaves the
// gallery where it is when the failure arrives, not where it was chosen.
TEST_F(PictureChoice, AFailedLoadRemovesItsOwnEntryAfterEntriesMoved) {
    writePicture("a.png", 40, 30, 3);
    writePicture("b.png", 40, 30, 3, 1);
    writePicture("c.png", 40, 30, 3, 2);
    std::ofstream(picture("d.png"), std::ios::binary) << "not a picture";
    build();
    toPictures();
    // The unreadable file never got a thumbnail and left the gallery.
    ASSERT_EQ(galleryPaths(), (std::vector<std::string>{picture("a.png"), picture("b.png"), picture("c.png")}));
    ASSERT_EQ(pictures().list().count(), 3u);

    // b's file goes bad after its thumbnail; a leaves before b's load fails.
    std::ofstream(picture("b.png"), std::ios::binary | std::ios::trunc) << "\x89PNG damaged";
    click(item(pictures().list(), 1));
    EXPECT_TRUE(pictures().overlayShown());
    workspace->gallery().remove(0);
    ASSERT_TRUE(waitFor([&] { return !pictures().overlayShown(); }));
    EXPECT_EQ(galleryPaths(), (std::vector<std::string>{picture("c.png")}));
    EXPECT_EQ(pictures().list().count(), 1u);
    EXPECT_EQ(workspace->menuSetup().pictureName(), "");
    EXPECT_FALSE(pictures().previewShown());
    // Back on the page without a preview: Enter starts nothing.
    key(Component::enterKey);
    EXPECT_EQ(page(), Page::picture);
    // A click past the gallery's last picture does nothing.
    menu->choosePicture(5);
    EXPECT_FALSE(pictures().overlayShown());
}

// Grey and grey-with-alpha pictures are shown in colour, the alpha kept.
TEST_F(PictureChoice, GreyPicturesAreShown) {
    writePicture("grey.png", 48, 32, 1);
    writePicture("greyalpha.png", 32, 48, 2);
    build();
    toPictures();
    for (std::uint32_t i : {0u, 1u}) {
        SCOPED_TRACE(i);
        click(item(pictures().list(), i));
        ASSERT_TRUE(waitFor([&] { return pictures().previewShown(); }));
        EXPECT_EQ(workspace->menuSetup().pictureName(), workspace->gallery().entries()[i].path);
        const auto pixels = render(i == 0 ? "grey" : "greyalpha");
        // The preview's middle is grey: its three channels are equal.
        const std::uint8_t* p = pixel(pixels, 0.5f, 0.55f);
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
        key(Component::escapeKey);
        EXPECT_FALSE(pictures().overlayShown());
    }
    EXPECT_FALSE(log.has("Unable to show"));
}

// A picture no texture takes (here one of five channels) is a failed load:
// logged, out of the gallery, the overlay closed, the set-up unchanged.
TEST_F(PictureChoice, APictureThatCannotBeUploadedIsAFailedLoad) {
    writePicture("a.png", 40, 30, 3);
    writePicture("b.png", 40, 30, 3, 1);
    build();
    toPictures();
    click(item(pictures().list(), 1));
    menu->pictureLoaded(menu->pictureRequest(), 1, picture("b.png"), notUploadable());
    EXPECT_TRUE(log.has("Unable to show the picture " + picture("b.png")));
    EXPECT_FALSE(pictures().overlayShown());
    EXPECT_EQ(galleryPaths(), std::vector<std::string>{picture("a.png")});
    EXPECT_EQ(workspace->menuSetup().pictureName(), "");
    // The real result, now stale, changes nothing.
    drainLoads();
    EXPECT_FALSE(pictures().overlayShown());
    EXPECT_EQ(workspace->menuSetup().pictureName(), "");
}

// The log line of a picture that cannot be shown is one printable line,
// whatever bytes the file's name in the gallery folder holds.
TEST_F(PictureChoice, APictureThatCannotBeShownIsNamedOnOnePrintableLine) {
    // Written under a plain name: the writer's script takes no other.
    writePicture("plain.png", 40, 30, 3);
    std::filesystem::rename(picture("plain.png"), picture("odd\x1b[2J\a\n\xff.png"));
    build();
    toPictures();
    const std::vector<std::string> paths = galleryPaths();
    ASSERT_EQ(paths, std::vector<std::string>{picture("odd\x1b[2J\a\n\xff.png")});
    click(item(pictures().list(), 0));
    menu->pictureLoaded(menu->pictureRequest(), 0, paths[0], notUploadable());
    EXPECT_TRUE(log.has("Unable to show the picture " + gallery() + "/odd\\x1b[2J\\x07\\n\\xff.png: "));
    EXPECT_EQ(log.unprintable(), std::vector<std::string>{});
}

// A load that was cancelled or superseded no longer drives the page: the
// latest choice is the one shown and the one the set-up keeps.
TEST_F(PictureChoice, OnlyTheLatestChoiceIsShown) {
    writePicture("a.png", 60, 30, 3);
    writePicture("b.png", 30, 60, 3, 1);
    build();
    toPictures();
    click(item(pictures().list(), 0));
    key(Component::escapeKey);
    EXPECT_FALSE(pictures().overlayShown());
    click(item(pictures().list(), 1));
    ASSERT_TRUE(waitFor([&] { return pictures().previewShown(); }));
    drainLoads();
    EXPECT_EQ(workspace->menuSetup().pictureName(), picture("b.png"));
    EXPECT_EQ(pictures().pictureSize(), (TAVO::Tuple<2, unsigned int>(30u, 60u)));

    // Cancelled, and nothing chosen after: the late result changes nothing.
    key(Component::escapeKey);
    click(item(pictures().list(), 0));
    key(Component::escapeKey);
    drainLoads();
    EXPECT_FALSE(pictures().overlayShown());
    EXPECT_EQ(workspace->menuSetup().pictureName(), picture("b.png"));
    key(Component::enterKey);
    EXPECT_EQ(page(), Page::picture);

    // Two requests in a row (the overlay keeps the pointer from making
    // them): the second wins.
    menu->choosePicture(1);
    menu->choosePicture(0);
    drainLoads();
    EXPECT_TRUE(pictures().previewShown());
    EXPECT_EQ(workspace->menuSetup().pictureName(), picture("a.png"));
    EXPECT_EQ(pictures().pictureSize(), (TAVO::Tuple<2, unsigned int>(60u, 30u)));
}

// The page's back button ends a load still under way as the preview's
// cancel does: the late result neither becomes the menu's picture nor fills
// the preview behind the closed overlay, and a later choice is shown.
TEST_F(PictureChoice, BackEndsALoadStillUnderWay) {
    writePicture("a.png", 60, 30, 3);
    writePicture("b.png", 30, 60, 3, 1);
    build();
    toPictures();
    const auto nothingTaken = [&] {
        EXPECT_EQ(workspace->menuSetup().pictureName(), "");
        EXPECT_FALSE(pictures().overlayShown());
        EXPECT_FALSE(pictures().previewShown());
        EXPECT_EQ(pictures().pictureSize(), (TAVO::Tuple<2, unsigned int>(0u, 0u)));
    };

    // Back while the busy indicator shows.
    click(item(pictures().list(), 0));
    ASSERT_TRUE(pictures().overlayShown());
    menu->backToGames();
    EXPECT_EQ(page(), Page::gameSelection);
    drainLoads();
    nothingTaken();

    // Escape reaches the back button when no overlay is up; a load that is
    // still out then ends with it too.
    toPictures();
    click(item(pictures().list(), 1));
    pictures().closeOverlay();
    key(Component::escapeKey);
    EXPECT_EQ(page(), Page::gameSelection);
    drainLoads();
    nothingTaken();

    // The page works on: the next choice is shown and kept.
    toPictures();
    click(item(pictures().list(), 1));
    ASSERT_TRUE(waitFor([&] { return pictures().previewShown(); }));
    EXPECT_EQ(workspace->menuSetup().pictureName(), picture("b.png"));
    EXPECT_EQ(pictures().pictureSize(), (TAVO::Tuple<2, unsigned int>(30u, 60u)));
}
