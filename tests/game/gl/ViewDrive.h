#pragma once

// The fixture of the play view's tests: the view with its menu over a real
// workspace whose gallery and saved games live in a temporary folder, driven
// by SDL events pushed into the queue and pumped by the application, with
// the main loop's steps run by hand. Frames are drawn into the window and
// read back; the journal is read from the saved-games file.

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/exceptions/ExceptionLogger.h"
#include "foundation/packages/Archive.h"
#include "foundation/packages/ArchiveFile.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/CppOutStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/text/Parameters.h"
#include "game/GameConfiguration.h"
#include "game/View.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "imaging/codecs/PNGExporter.h"
#include "model/SavedGames.h"
#include "model/Setup.h"
#include "model/Table.h"
#include "model/Workspace.h"
#include "resources/BuiltInResources.h"
#include "sdlgl/Checks.h"
#include "support/MemoryLog.h"
#include "support/PictureFiles.h"
#include "support/TempFolder.h"
#include "sdlgl/gl/EdgeLightOracle.h"
#include "support/gl/GLTest.h"
#include "ui/menu/TrayBar.h"

namespace ViewTest {

using TAVO::Point;
using Bytes = std::vector<std::uint8_t>;

// The picture every game is cut from: one colour.
constexpr std::uint8_t pictureColour[3] = {200, 120, 40};

// The records of a journal, written out by hand: the fields' bytes in
// little-endian order.
struct Record {
    Bytes bytes;

    template <class T>
    Record& put(T value) {
        std::uint8_t raw[sizeof value];
        std::memcpy(raw, &value, sizeof value);
        bytes.insert(bytes.end(), raw, raw + sizeof value);
        return *this;
    }
    Record& pose(const Tray::Pose& p) {
        return put(p.position()[0]).put(p.position()[1]).put(p.orientation().value());
    }

    static Bytes move(std::uint32_t part, std::uint32_t from, std::uint32_t to, const Tray::Pose& p) {
        return Record().put(0u).put(part).put(from).put(to).pose(p).bytes;
    }
    static Bytes join(std::uint32_t tray, std::uint32_t part, const Tray::Pose& p, std::vector<unsigned int> parts) {
        Record r = std::move(Record().put(1u).put(tray).put(part).pose(p).put(std::uint32_t(parts.size())));
        for (unsigned int id : parts)
            r.put(id);
        return r.bytes;
    }
    static Bytes moveTray(std::uint32_t tray, const TrayPose& p) {
        return Record().put(2u).put(tray).put(p.position()[0]).put(p.position()[1]).put(p.level()).bytes;
    }
};

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ViewDrive : public KestruneGLTest::GLTest {
protected:
    static constexpr std::uint32_t width = 640;
    static constexpr std::uint32_t height = 480;
    using Page = GameMenu::Page;

    TAVO::IK::SDLGL::Application::Parameters windowParameters() const override { return parameters(width, height); }
    void TearDown() override {
        close();
        GLTest::TearDown();
    }
    void close() {
        if (workspace) {
            workspace->stop();
            workspace->setEventHandler(nullptr);
        }
        if (application_)
            application_->clearEventHandler();
        view.reset();
        workspace.reset();
    }

    // The game's configuration at its defaults, drawn without antialiasing,
    // then the keys given.
    void build(const std::vector<std::pair<std::string, std::string>>& keys = {}) {
        configuration = TAVO::Parameters();
        GameConfiguration::setDefaults(configuration);
        configuration.set("antialiasing", "false");
        for (const auto& [key, value] : keys)
            configuration.set(key, value);
        folder = std::make_unique<KestruneTest::TempFolder>();
        std::filesystem::create_directories(folder->file("gallery"));
        open();
    }
    // The workspace and the view over the folder, as a run of the game makes
    // them; after close, a new run over the same saved games and gallery.
    void open() {
        workspace = std::make_unique<Workspace>(log, logger, configuration);
        view = std::make_unique<View>(application(), log, *workspace, configuration, builtIn.archive);
        view->setupShaders(configuration);
        application().setEventHandler(view.get());
        workspace->setEventHandler(view.get());
        workspace->shelf().open(savedGames());
        workspace->setGalleryDirectory(folder->file("gallery"));
        // The application reports its size to the first handler only.
        view->resized(std::int32_t(width), std::int32_t(height));
        application().processEvents();
    }
    std::string savedGames() const { return folder->file("puzzles.dat"); }

    // A new game of a flat picture of the size from the set-up page's play
    // button; returns when it is shown and saved.
    void startGame(std::uint32_t pieces = 12, std::uint32_t w = 240, std::uint32_t h = 160) {
        launchGame(pieces, w, h);
        ASSERT_EQ(view->menu().currentPage(), Page::inGame);
        sync();
    }
    // The same, up to the end of the loading page.
    void launchGame(std::uint32_t pieces, std::uint32_t w, std::uint32_t h) {
        const std::string path = folder->file("gallery/flat.ppm");
        std::vector<std::uint8_t> pixels(std::size_t(w) * h * 3);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = pictureColour[i % 3];
        KestruneTest::PictureFiles::writeNetPBM(path, w, h, 3, pixels);
        Picture picture;
        picture.metadata() = TAVO::Migration::ImageMetadata(w, h, 3, 24);
        picture.buffer().setSize(std::uint32_t(pixels.size()));
        std::memcpy(picture.buffer().data(), pixels.data(), pixels.size());
        workspace->menuSetup().setPicture(path, picture);
        workspace->menuSetup().setRequestedPieceCount(pieces);
        view->menu().startNewGame();
        ASSERT_EQ(view->menu().currentPage(), Page::loading);
        ASSERT_TRUE(waitFor([&] { return view->menu().currentPage() != Page::loading; }));
    }

    // One pass of the main loop without its drawing: events, completions, steps.
    void pass() {
        application().processEvents();
        workspace->poll();
        view->update(0.02f);
        workspace->table().update(0.02f);
        workspace->shelf().update(0.02f);
    }
    void steps(int count) {
        for (int i = 0; i < count; ++i)
            pass();
    }
    bool waitFor(const std::function<bool()>& condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < end) {
            pass();
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

    // ---- events, pushed and pumped ----

    void push(SDL_Event event) {
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        application().processEvents();
    }
    void moveTo(int x, int y, bool held = false) {
        SDL_Event e{};
        e.motion = {SDL_MOUSEMOTION, 0, 0, 0, held ? SDL_BUTTON_LMASK : 0u, x, y, 0, 0};
        push(e);
    }
    void moveTo(const std::pair<int, int>& p) { moveTo(p.first, p.second, true); }
    void button(const std::pair<int, int>& p, bool down) {
        SDL_Event e{};
        e.button = {down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, 0, 0, 0, SDL_BUTTON_LEFT,
                    std::uint8_t(down ? SDL_PRESSED : SDL_RELEASED), 1, 0, p.first, p.second};
        push(e);
    }
    void press(const std::pair<int, int>& p) { button(p, true); }
    void release(const std::pair<int, int>& p) { button(p, false); }
    void key(SDL_Keycode sym, SDL_Scancode code, bool down, bool repeat = false) {
        SDL_Event e{};
        e.key = {down ? SDL_KEYDOWN : SDL_KEYUP, 0, 0, std::uint8_t(down ? SDL_PRESSED : SDL_RELEASED),
                 std::uint8_t(repeat ? 1 : 0), 0, 0, {code, sym, 0, 0}};
        push(e);
    }
    void tap(SDL_Keycode sym, SDL_Scancode code) {
        key(sym, code, true);
        key(sym, code, false);
    }
    void wheel(int steps) {
        SDL_Event e{};
        e.wheel.type = SDL_MOUSEWHEEL;
        e.wheel.y = steps;
        push(e);
    }
    // The wheel turned with the pointer in the window's middle.
    void zoom(int steps) {
        moveTo(int(width / 2), int(height / 2));
        wheel(steps);
    }

    // ---- the table as the window shows it ----

    Table& table() { return workspace->table(); }
    // The part that holds the piece (a failure, and 0, when none does).
    std::uint32_t partOf(std::uint32_t piece) {
        for (const auto& [id, part] : table().parts())
            for (std::uint32_t p : part.pieces())
                if (p == piece)
                    return id;
        ADD_FAILURE() << "no part holds piece " << piece;
        return 0u;
    }
    TrayPose trayPose(std::uint32_t tray = 0) { return table().tray(tray).pose(); }
    // The window pixel (SDL's, y down) nearest to the table point on the
    // current tray.
    std::pair<int, int> pixelOf(const Point<2, float>& p) {
        const TrayPose pose = trayPose(view->currentTray());
        const double s = std::exp2(double(pose.level()));
        const double x = (double(p[0]) + pose.position()[0]) * s + (width - 1) / 2.0;
        const double y = (double(p[1]) + pose.position()[1]) * s + (height - 1) / 2.0;
        return {int(std::lround(x)), int(height - 1 - std::lround(y))};
    }
    // The middle of the part's bounds where it lies on its tray.
    Point<2, float> middleOf(std::uint32_t part, std::uint32_t tray = 0) {
        const Tray::Pose at = table().tray(tray).partPose(part);
        const TAVO::Tuple<2, float> size = table().part(part).bounds().extent();
        return Point<2, float>(at.position()[0] + size[0] / 2, at.position()[1] + size[1] / 2);
    }

    // The frame drawn into the window, bottom row first; with the folder
    // named by KESTRUNE_DRAWINGS also written there as name.png.
    Bytes frame(const std::string& name = "") {
        view->draw();
        Bytes pixels(std::size_t(width) * height * 4);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        TAVO::IK::SDLGL::checkGLError();
        if (const char* out = std::getenv("KESTRUNE_DRAWINGS"); out != nullptr && !name.empty())
            writePNG(std::string(out) + "/" + name + ".png", pixels);
        return pixels;
    }
    // The colour of the frame at the window pixel (SDL's, y down).
    static std::array<int, 3> colourAt(const Bytes& frame, const std::pair<int, int>& p) {
        const std::uint8_t* c = frame.data() + (std::size_t(height - 1 - p.second) * width + p.first) * 4;
        return {c[0], c[1], c[2]};
    }
    // The exporter takes rows bottom first, as they are read.
    static void writePNG(const std::string& path, const Bytes& pixels) {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        TAVO::CppOutStream stream(file);
        TAVO::Migration::PNGExporter exporter;
        exporter.setStream(stream);
        exporter.write(TAVO::BorrowConstBuffer(pixels.data(), std::uint32_t(pixels.size())),
                       TAVO::Migration::ImageMetadata(width, height, 4, 32));
        exporter.clearStream();
    }

    // The window pixel at the middle of a menu component.
    static std::pair<int, int> pixelOf(const Component& component) {
        const ComponentTransform t = component.transform();
        const Point<2, float> local = anchorPoint(component, TAVO::Vector<2, float>(0.5f, 0.5f));
        const double nx = (local[0] - t.offset[0]) / t.scale[0];
        const double ny = (local[1] - t.offset[1]) / t.scale[1];
        return {int(std::lround((nx + 1.0) * (width - 1) / 2.0)),
                int(height - 1 - std::lround((ny + 1.0) * (height - 1) / 2.0))};
    }

    // The picture's colour lit inside a piece, five units and more from
    // every cut (the lit programs' light, worked out independently).
    static std::array<int, 3> litColour() {
        const KestruneGLTest::EdgeLightOracle oracle;
        const auto lit = oracle.lighting(1.0, {1.0, 0.0},
                                         {pictureColour[0] / 255.0, pictureColour[1] / 255.0, pictureColour[2] / 255.0});
        return {int(std::lround(lit[0] * 255)), int(std::lround(lit[1] * 255)), int(std::lround(lit[2] * 255))};
    }
    static bool isLit(const std::array<int, 3>& c) {
        const std::array<int, 3> lit = litColour();
        for (int k = 0; k < 3; ++k)
            if (std::abs(c[k] - lit[k]) > 1)
                return false;
        return true;
    }

    // Carries the part from tray 0's view onto the tray bar's new-tray icon
    // (developer mode). The part drag's hover is drawn when name is given.
    void sendToNewTray(std::uint32_t part, const std::string& name = "") {
        view->menu().showTrayBar();
        pass();
        ASSERT_NE(view->menu().trayBar(), nullptr);
        const std::pair<int, int> icon = pixelOf(*view->menu().trayBar()->icons().back());
        const std::pair<int, int> from = pixelOf(middleOf(part));
        moveTo(from.first, from.second);
        press(from);
        ASSERT_TRUE(view->partDragActive());
        moveTo(icon);
        pass();
        EXPECT_TRUE(view->partDrag().isHovering());
        EXPECT_TRUE(view->partDrag().onIcon());
        if (!name.empty()) {
            const Bytes pixels = frame(name);
            EXPECT_TRUE(isLit(colourAt(pixels, icon))) << "the carried part's picture over the icon";
        }
        release(icon);
        EXPECT_EQ(view->activeDrag(), nullptr);
    }

    // ---- the saved game ----

    // The current game's table entry as the file holds it once every save ran.
    Bytes journal() {
        sync();
        return entryBytes(SavedGames::tableEntry(workspace->shelf().currentGame()), SavedGames::maximumTableBytes);
    }
    // An entry of the saved-games file as it holds it now.
    Bytes entryBytes(const std::string& entry, std::uint32_t maximumBytes) {
        TAVO::ArchiveFile file(savedGames(), true, false);
        EXPECT_TRUE(file.hasArchive()) << file.error();
        if (!file.hasArchive())
            return {};
        TAVO::IncrementalBuffer bytes;
        EXPECT_TRUE(SavedGames::readEntry(*file.archive(), entry, maximumBytes, bytes)) << entry;
        const TAVO::Buffer& constant = bytes;
        return Bytes(constant.data(), constant.data() + bytes.size());
    }
    // The bytes in a buffer, as the saved games' readers take them.
    static TAVO::IncrementalBuffer bufferOf(const Bytes& bytes) {
        TAVO::IncrementalBuffer buffer;
        buffer.setSize(std::uint32_t(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), buffer.data());
        return buffer;
    }
    // What the journal grew by since it held `before`.
    static Bytes grownBy(const Bytes& before, const Bytes& after) {
        if (after.size() < before.size() || !std::equal(before.begin(), before.end(), after.begin()))
            return {0xEE};
        return Bytes(after.begin() + std::ptrdiff_t(before.size()), after.end());
    }
    static Bytes bytesOf(const TAVO::Serializable& object) {
        TAVO::IncrementalBuffer buffer;
        TAVO::BufferStream stream(buffer);
        TAVO::Serialization::serialize(object, stream);
        const TAVO::Buffer& constant = buffer;
        return Bytes(constant.data(), constant.data() + buffer.size());
    }
    // The table the saved game replays to, as bytes; the live table's bytes.
    Bytes replayedTable() {
        Table replayed;
        SavedGames::readTable(bufferOf(journal()), *workspace->puzzle(), replayed, log);
        return bytesOf(replayed);
    }

    // A part of the tray whose middle is covered by no other part.
    std::uint32_t uncoveredPart(std::uint32_t tray = 0, std::uint32_t except = 0xFFFFFFFFu) {
        for (Tray::PartIterator it = table().tray(tray).parts(); it.valid(); it.next()) {
            std::uint32_t hit = 0;
            if (it.current() != except && table().tray(tray).pick(middleOf(it.current(), tray), 0.5f, hit) &&
                hit == it.current())
                return hit;
        }
        ADD_FAILURE() << "every part is covered";
        return 0;
    }

    KestruneTest::MemoryLog log;
    TAVO::ExceptionLogger logger{log};
    TAVO::Parameters configuration;
    std::unique_ptr<KestruneTest::TempFolder> folder;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<View> view;

    struct BuiltIn {
        TAVO::BorrowConstBuffer bytes{BuiltInResources::data(), BuiltInResources::size()};
        TAVO::ConstBufferStream stream{bytes};
        TAVO::Archive archive{stream};
    } builtIn;
};

} // namespace ViewTest
