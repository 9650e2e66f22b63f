// The view's redraw request, which the main loop draws by: every change of
// what a frame shows raises it by the end of the step it happens in, and
// nothing raises it while nothing changes. Checked step by step: after each
// frame, the steps that follow either ask for the next one or leave the
// picture as it was.
#include "ViewDrive.h"

#include <atomic>

#include "foundation/threads/Worker.h"
#include "ui/menu/GameSelectPanel.h"

using namespace ViewTest;

namespace {

// A job that holds the workspace's worker until it is let go, so that a game
// asked for stays on its way. The gate opens when it goes out of scope.
class Gate {
public:
    explicit Gate(Workspace& workspace) { workspace.worker().add(std::make_unique<Job>(open_)); }
    ~Gate() { open(); }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;
    void open() { open_->store(true); }

private:
    class Job : public TAVO::Worker::Job {
    public:
        explicit Job(std::shared_ptr<std::atomic<bool>> open) : open_(std::move(open)) {}
        void run() override {
            while (!open_->load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        void done() override {}
        void failed() override {}

    private:
        std::shared_ptr<std::atomic<bool>> open_;
    };

    std::shared_ptr<std::atomic<bool>> open_ = std::make_shared<std::atomic<bool>>(false);
};

class ViewRedraw : public ViewDrive {
protected:
    // Steps and frames until a step asks for none; false when that does not
    // come within 2 s of steps.
    bool quiet() {
        for (int i = 0; i < 100; ++i) {
            view->draw();
            pass();
            if (!view->redrawRequested())
                return true;
        }
        return false;
    }
    // After a frame, whether the next step asks for another.
    bool stepAsks() {
        view->draw();
        EXPECT_FALSE(view->redrawRequested()) << "drawing answers the request";
        pass();
        return view->redrawRequested();
    }
};

} // namespace

TEST_F(ViewRedraw, NothingIsAskedForWhileNothingChanges) {
    // 100 steps without a request in a row; events from other windows on
    // the shared display start the count again.
    auto stillFor100Steps = [&] {
        KestruneGLTest::EventCount events;
        for (int tries = 0; tries < 10; ++tries) {
            if (!quiet())
                return false;
            const std::uint64_t before = events.count();
            int i = 0;
            for (; i < 100; ++i) {
                pass();
                if (view->redrawRequested())
                    break;
            }
            if (i == 100)
                return true;
            if (events.count() == before) {
                ADD_FAILURE() << "a frame asked for at step " << i << " with nothing changed";
                return false;
            }
        }
        return false;
    };
    build();
    EXPECT_TRUE(view->redrawRequested()) << "the first frame";
    EXPECT_TRUE(stillFor100Steps()) << "the title page";
    startGame();
    EXPECT_TRUE(stillFor100Steps()) << "a still table";
}

TEST_F(ViewRedraw, EveryEventAsksForAFrame) {
    build();
    startGame();
    const std::vector<std::pair<std::string, std::function<void()>>> events = {
        {"motion", [&] { moveTo(5, 5); }},
        {"press and release", [&] { press({5, 5}), release({5, 5}); }},
        {"wheel", [&] { wheel(1); }},
        {"key down", [&] { key(SDLK_a, SDL_SCANCODE_A, true); }},
        {"key up", [&] { key(SDLK_a, SDL_SCANCODE_A, false); }},
        {"exposed", [&] {
             SDL_Event e{};
             e.window = {SDL_WINDOWEVENT, 0, SDL_GetWindowID(application().window()), SDL_WINDOWEVENT_EXPOSED, 0, 0,
                         0, 0, 0};
             push(e);
         }},
        {"resized", [&] {
             SDL_Event e{};
             e.window = {SDL_WINDOWEVENT, 0, SDL_GetWindowID(application().window()), SDL_WINDOWEVENT_RESIZED, 0, 0,
                         0, std::int32_t(width), std::int32_t(height)};
             push(e);
         }},
    };
    for (const auto& [name, event] : events) {
        ASSERT_TRUE(quiet()) << name;
        event();
        EXPECT_TRUE(view->redrawRequested()) << name;
    }
}

// A list answers a motion that left its items at the next step, where its
// hover ends: the step after events asks for a frame of its own.
TEST_F(ViewRedraw, TheStepAfterEventsAsksForTheMenusAnswer) {
    build();
    startGame();
    view->menu().leaveGame();
    ASSERT_EQ(view->menu().currentPage(), Page::gameSelection);
    sync();
    GameSelectPanel* panel = view->menu().gameSelectPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(quiet());
    const std::pair<int, int> item = pixelOf(panel->gamesList().top(0));
    moveTo(item.first, item.second);
    view->draw();
    pass();
    EXPECT_TRUE(panel->gamesList().hovering());
    ASSERT_TRUE(quiet());
    // Off the list: the hover ends at the next step, after the frame the
    // motion asked for.
    moveTo(2, 2);
    view->draw();
    EXPECT_TRUE(panel->gamesList().hovering());
    pass();
    EXPECT_FALSE(panel->gamesList().hovering());
    EXPECT_TRUE(view->redrawRequested());
    EXPECT_TRUE(quiet());
}

// Held keys, a drag and a tray's view animation change the picture at every
// step while they last: every step that moves something asks for a frame,
// and once they end the steps are quiet again.
TEST_F(ViewRedraw, HeldKeysDragsAndAnimationsAskAtEveryStep) {
    build();
    startGame();
    ASSERT_TRUE(quiet());
    key(SDLK_RIGHT, SDL_SCANCODE_RIGHT, true);
    for (int i = 0; i < 10; ++i) {
        const TrayPose before = trayPose();
        EXPECT_TRUE(stepAsks()) << "step " << i;
        EXPECT_NE(trayPose().position()[0], before.position()[0]);
    }
    key(SDLK_RIGHT, SDL_SCANCODE_RIGHT, false);
    EXPECT_TRUE(quiet());

    const std::uint32_t part = uncoveredPart();
    const std::pair<int, int> at = pixelOf(middleOf(part));
    moveTo(at.first, at.second);
    press(at);
    ASSERT_TRUE(view->partDragActive());
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(stepAsks()) << "step " << i;
    release(at);
    EXPECT_TRUE(view->redrawRequested());
    EXPECT_TRUE(quiet());

    // The view glides to a part over 1.5 s; the request of the step that
    // ends the glide is the one for its last pose.
    table().tray(0).focusPart(part);
    int moved = 0;
    for (int i = 0; i < 100; ++i) {
        const TrayPose before = trayPose();
        const bool asked = stepAsks();
        const TrayPose after = trayPose();
        if (after.position()[0] != before.position()[0] || after.position()[1] != before.position()[1] ||
            after.level() != before.level()) {
            ++moved;
            EXPECT_TRUE(asked) << "step " << i;
        }
    }
    EXPECT_GE(table().tray(0).animationProgress(), 1.0f);
    EXPECT_GT(moved, 50);
    EXPECT_TRUE(quiet());
}

// The busy dots pulse at every step while a frame shows them, and only then.
TEST_F(ViewRedraw, TheBusyDotsAskWhileTheyAreShown) {
    build();
    ASSERT_TRUE(quiet());
    Gate gate(*workspace);
    const std::string path = folder->file("gallery/flat.ppm");
    KestruneTest::PictureFiles::writeNetPBM(path, 48, 32, 3, std::vector<std::uint8_t>(48 * 32 * 3, 90));
    Picture picture;
    picture.metadata() = TAVO::Migration::ImageMetadata(48, 32, 3, 24);
    picture.buffer().setSize(48 * 32 * 3);
    workspace->menuSetup().setPicture(path, picture);
    workspace->menuSetup().setRequestedPieceCount(4);
    view->menu().startNewGame();
    ASSERT_EQ(view->menu().currentPage(), Page::loading);
    Bytes last = frame();
    int changed = 0;
    for (int i = 0; i < 30; ++i) {
        pass();
        EXPECT_TRUE(view->redrawRequested()) << "step " << i;
        const Bytes now = frame();
        changed += now != last;
        last = now;
    }
    EXPECT_GT(changed, 20) << "the dots' frames differ";
    gate.open();
    ASSERT_TRUE(waitFor([&] { return view->menu().currentPage() == Page::inGame; }));
    sync();
    EXPECT_TRUE(quiet()) << "the table shows no dots";
}

// A tray-bar picture drawn anew at a step asks for the frame that shows it;
// each change the model tells of, made as play makes it, asks at once for a
// frame, and that frame shows the change.
TEST_F(ViewRedraw, ThumbnailsAndTheModelsNotificationsAsk) {
    build({{"developer_mode", "true"}});
    startGame();
    zoom(-12);
    const std::uint32_t sent = uncoveredPart();
    sendToNewTray(sent);
    ASSERT_EQ(table().trayOrder().size(), 2u);
    ASSERT_TRUE(view->menu().trayBarShown());
    ASSERT_TRUE(quiet());
    view->menu().invalidateTrayThumbnail(1);
    EXPECT_FALSE(view->redrawRequested());
    pass();
    EXPECT_TRUE(view->redrawRequested()) << "the picture of tray 1";

    // An emptied tray leaves the table at the table's step, which asks for
    // the frame without it.
    SDL_SetModState(KMOD_LALT);
    tap(SDLK_2, SDL_SCANCODE_2);
    SDL_SetModState(KMOD_NONE);
    ASSERT_EQ(view->currentTray(), 1u);
    const std::pair<int, int> over = pixelOf(middleOf(sent, 1));
    moveTo(over.first, over.second);
    ASSERT_TRUE(quiet());
    tap(SDLK_1, SDL_SCANCODE_1);
    ASSERT_TRUE(table().tray(0).hasPart(sent));
    view->draw();
    EXPECT_TRUE(table().hasTray(1));
    pass();
    EXPECT_FALSE(table().hasTray(1));
    EXPECT_TRUE(view->redrawRequested());

    // The change is made, then the frame is drawn without a step between.
    const auto shown = [&](const std::string& name, const std::function<void()>& change) {
        ASSERT_TRUE(quiet()) << name;
        const Bytes before = frame();
        change();
        EXPECT_TRUE(view->redrawRequested()) << name;
        EXPECT_TRUE(frame(name) != before) << name << ": the frame shows nothing new";
    };
    const auto place = [&](std::uint32_t from, std::uint32_t to, std::uint32_t part, const TAVO::Vector<2, float>& by) {
        const Tray::Pose at = table().tray(from).partPose(part);
        table().movePart(from, to, part, Tray::Pose(at.position() + by, at.orientation())).action().apply(table());
    };
    // A part moved on the tray shown (trayChanged).
    shown("moved", [&] { place(0, 0, uncoveredPart(), TAVO::Vector<2, float>(60.0f, 0.0f)); });
    // A tray added: the tray bar holds it (trayAdded).
    const std::size_t icons = view->menu().trayBar()->icons().size();
    shown("tray added", [&] { table().addTray(table().freeTrayId()); });
    EXPECT_EQ(view->menu().trayBar()->icons().size(), icons + 1);
    pass();
    // A click on the tray bar's picture of another tray shows that tray.
    const std::uint32_t other = table().freeTrayId();
    table().addTray(other);
    place(0, other, uncoveredPart(), TAVO::Vector<2, float>(0.0f, 0.0f));
    ASSERT_TRUE(quiet());
    const std::pair<int, int> icon = pixelOf(*view->menu().trayBar()->icon(other));
    shown("tray chosen", [&] {
        moveTo(icon.first, icon.second);
        press(icon);
        release(icon);
    });
    EXPECT_EQ(view->currentTray(), other);
    place(other, 0, table().tray(other).parts().current(), TAVO::Vector<2, float>(0.0f, 0.0f));
    pass();
    ASSERT_EQ(view->currentTray(), 0u);
    ASSERT_EQ(table().trayOrder().size(), 1u);

    // Two neighbours joined (partsJoined): the joined part is drawn.
    std::uint32_t joined = 0;
    shown("joined", [&] {
        const std::uint32_t a = partOf(0), b = partOf(1);
        joined = table().joinParts(0, a, table().tray(0).matchingPose(a, b, table().tray(0).partPose(b)), {b});
    });
    {
        const Bytes pixels = frame();
        EXPECT_TRUE(isLit(colourAt(pixels, pixelOf(middleOf(joined))))) << "the joined part is drawn";
    }
    // The last join (puzzleCompleted): the view glides to the whole picture,
    // asking for a frame at every step it moves.
    ASSERT_TRUE(quiet());
    while (table().parts().size() > 1) {
        const std::uint32_t whole = partOf(0);
        std::uint32_t next = 0;
        for (const auto& [id, part] : table().parts())
            if (id != whole && part.touches(table().part(whole).neighbours())) {
                next = id;
                break;
            }
        table().joinParts(0, whole, table().tray(0).partPose(whole), {next});
    }
    EXPECT_TRUE(view->redrawRequested());
    Bytes last = frame();
    int changed = 0;
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(stepAsks()) << "step " << i << " of the glide";
        const Bytes now = frame();
        changed += now != last;
        last = now;
    }
    EXPECT_EQ(changed, 10) << "the glide's frames differ";

    // A game that cannot be loaded (puzzleFailed): the games are shown.
    ASSERT_TRUE(quiet());
    std::filesystem::remove(folder->file("gallery/flat.ppm"));
    const Bytes before = frame();
    workspace->shelf().setCurrentGame(workspace->shelf().currentGame());
    workspace->shelf().loadGame();
    ASSERT_TRUE(waitFor([&] { return view->menu().currentPage() == Page::gameSelection; }));
    EXPECT_TRUE(view->redrawRequested());
    EXPECT_TRUE(frame("failed") != before);
}
