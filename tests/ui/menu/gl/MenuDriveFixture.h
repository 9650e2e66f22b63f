#pragma once

// The fixture of the driven menu tests: a real GameMenu drawn with OpenGL
// over a workspace whose saved games and gallery live in a temporary folder,
// driven by pointer and key events as the view sends them, with the worker
// threads' results collected as the main loop collects them.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../../TestPackages.h"
#include "../../gl/ShapeDrawingFixture.h"
#include "../MenuTestSupport.h"
#include "foundation/exceptions/ExceptionLogger.h"
#include "foundation/packages/ArchiveFile.h"
#include "model/Workspace.h"
#include "support/PictureFiles.h"
#include "support/TempFolder.h"
#include "ui/menu/GameMenu.h"
#include "ui/menu/GameSelectPanel.h"
#include "ui/menu/PictureSelectPanel.h"
#include "ui/menu/PuzzleSetupPanel.h"

namespace MenuTest {

class MenuDrive : public UiTest::ShapeDrawing {
protected:
    static constexpr std::uint32_t width = 800;
    static constexpr std::uint32_t height = 600;
    using Page = GameMenu::Page;
    using Point = TAVO::Point<2, float>;

    void TearDown() override {
        if (workspace) {
            workspace->stop();
            workspace->setEventHandler(nullptr);
        }
        menu.reset();
        workspace.reset();
        UiTest::ShapeDrawing::TearDown();
    }

    // The workspace and the menu over the folder's gallery and saved games.
    void build(bool developer = false, const std::vector<std::pair<std::string, std::string>>& keys = {}) {
        create(developer, keys);
        open();
    }
    // The workspace and the menu set up, before the model reports anything.
    void create(bool developer = false, const std::vector<std::pair<std::string, std::string>>& keys = {}) {
        std::filesystem::create_directories(gallery());
        configuration = MenuTest::configuration(developer);
        for (const auto& [name, value] : keys)
            configuration.set(name, value);
        workspace = std::make_unique<Workspace>(log, logger, configuration);
        menu = std::make_unique<GameMenu>(*workspace, view);
        view.menu = menu.get();
        menu->setup(*shader, builtIn.archive, configuration);
    }
    // The window's size, then the saved games and the gallery are read.
    void open() {
        menu->setGeometry(TAVO::Tuple<2, float>(width, height));
        workspace->setEventHandler(&view);
        workspace->shelf().open(savedGames());
        workspace->setGalleryDirectory(gallery());
    }

    std::string gallery() const { return folder.file("gallery"); }
    std::string savedGames() const { return folder.file("puzzles.dat"); }
    std::string picture(const std::string& name) const { return gallery() + "/" + name; }
    // A PNG picture of the pattern with the seed.
    void writePicture(const std::string& name, std::uint32_t w, std::uint32_t h, std::uint32_t channels,
                      std::uint32_t seed = 0) {
        std::filesystem::create_directories(gallery());
        ASSERT_TRUE(KestruneTest::PictureFiles::writePNG(
            picture(name), w, h, channels, KestruneTest::PictureFiles::pattern(w, h, channels, seed)));
    }

    // The point of the window at the fraction of its size.
    static Point at(float x, float y) { return Point(2.0f * x - 1.0f, 2.0f * y - 1.0f); }

    // The point moved by dx window pixels.
    static Point beside(const Point& p, float dx) { return Point(p[0] + 2.0f * dx / width, p[1]); }

    bool press(const Point& p) {
        ++frame.buttonEvents;
        return menu->root().pointerButton(frame, p, true);
    }
    bool release(const Point& p) {
        ++frame.buttonEvents;
        return menu->root().pointerButton(frame, p, false);
    }
    // A press and a release; whether the release was taken.
    bool click(const Point& p) {
        press(p);
        return release(p);
    }
    bool moveTo(const Point& p) {
        ++frame.motionEvents;
        return menu->root().pointerMotion(frame, p, false);
    }
    bool key(std::uint32_t code) {
        ++frame.keyEvents;
        return menu->root().keyPress(frame, code);
    }
    void step() {
        frame.dt = 0.02f;
        ++frame.steps;
        if (!menu)
            return;
        menu->root().update(frame);
        menu->animate(frame.dt);
    }
    // Runs the main loop's steps until the condition holds; false after 30 s.
    bool waitFor(const std::function<bool()>& condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < end) {
            workspace->poll();
            step();
            if (condition())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    // Until every queued save, load and picture has run and been collected.
    void sync() {
        ASSERT_TRUE(waitFor([&] { return workspace->unfinishedJobs() == 0; }));
        workspace->poll();
    }

    Page page() const { return menu->currentPage(); }
    GameSelectPanel& games() const { return *menu->gameSelectPanel(); }
    PictureSelectPanel& pictures() const { return *menu->picturePanel(); }
    PuzzleSetupPanel& setupPanel() const { return *menu->setupPanel(); }
    static Point item(const ItemSelect& list, std::uint32_t i) { return windowPoint(list.top(i)); }

    // Every gallery picture's thumbnail has arrived.
    bool thumbnailsShown() {
        const auto& entries = workspace->gallery().entries();
        if (pictures().list().count() != entries.size())
            return false;
        for (const auto& entry : entries)
            if (entry.tile == PictureGallery::Entry::noTile)
                return false;
        return true;
    }

    // From the game selection to a game in play: new game, the picture at
    // the index, the set-up's count, play.
    void playNewGame(std::uint32_t pictureIndex) {
        ASSERT_EQ(page(), Page::gameSelection);
        if (games().showsTitlePage())
            click(at(0.5f, 0.4f));
        else
            click(windowPoint(*games().buttonColumn().children().back()));
        ASSERT_EQ(page(), Page::picture);
        ASSERT_TRUE(waitFor([&] { return thumbnailsShown(); }));
        click(item(pictures().list(), pictureIndex));
        ASSERT_TRUE(waitFor([&] { return pictures().previewShown(); }));
        key(Component::enterKey);
        ASSERT_EQ(page(), Page::setup);
        const int loaded = view.loaded;
        key(Component::enterKey);
        ASSERT_EQ(page(), Page::loading);
        ASSERT_TRUE(waitFor([&] { return view.loaded > loaded; }));
        ASSERT_EQ(page(), Page::inGame);
        sync();
    }

    // The size of the game's journal entry as the file holds it now.
    std::uint32_t tableEntrySize(const std::string& game) {
        sync();
        TAVO::ArchiveFile file(savedGames(), true, false);
        EXPECT_TRUE(file.hasArchive()) << file.error();
        return file.hasArchive() ? file.archive()->size("puzzle/" + game + "/table") : 0u;
    }

    // Draws the menu into a target of the window's size; keeps a picture.
    std::vector<std::uint8_t> render(const std::string& name) {
        auto t = target(width, height);
        menu->root().draw();
        keep(*t, name);
        return t->read();
    }
    static const std::uint8_t* pixel(const std::vector<std::uint8_t>& pixels, float x, float y) {
        return UiTest::RenderTarget::pixel(pixels, width, std::uint32_t(x * width), std::uint32_t(y * height));
    }

    KestruneTest::TempFolder folder;
    UiTest::BuiltInPackage builtIn;
    MemoryLog log;
    TAVO::ExceptionLogger logger{log};
    TAVO::Parameters configuration;
    StandInView view;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<GameMenu> menu;
    FrameTime frame;
};

} // namespace MenuTest
