#pragma once

// What the menu's tests share: a log kept in memory, the configuration the
// game starts with, and a stand-in for the play view that forwards the
// model's notifications to the menu as the view does and records what the
// menu asks of it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/text/Parameters.h"
#include "model/PuzzleEventHandler.h"
#include "support/MemoryLog.h"
#include "sdlgl/SDLException.h"
#include "ui/Drag.h"
#include "ui/menu/GameMenu.h"
#include "ui/menu/MenuView.h"

namespace MenuTest {

using MemoryLog = KestruneTest::MemoryLog;

// The window point of a component's point at the fraction of its size.
inline TAVO::Point<2, float> windowPoint(const Component& component,
                                         const TAVO::Vector<2, float>& fraction = TAVO::Vector<2, float>(0.5f, 0.5f)) {
    const ComponentTransform t = component.transform();
    const TAVO::Point<2, float> local = anchorPoint(component, fraction);
    return TAVO::Point<2, float>((local[0] - t.offset[0]) / t.scale[0], (local[1] - t.offset[1]) / t.scale[1]);
}

// The keys the workspace and the menu read, with the game's defaults.
inline TAVO::Parameters configuration(bool developer) {
    TAVO::Parameters p;
    p.set("lighting", "attribute");
    p.set("tray_pattern", "cloth");
    p.set("tray_red", 0.75f);
    p.set("tray_green", 0.75f);
    p.set("tray_blue", 0.75f);
    p.set("tray_preview", "blank");
    p.set("developer_mode", developer ? "true" : "false");
    return p;
}

// The play view as far as the menu sees it.
class StandInView : public MenuView, public PuzzleEventHandler {
public:
    struct Render {
        std::uint32_t tray;
        TAVO::IK::SDLGL::Texture* texture;
        TAVO::Hyperrectangle<2, unsigned int> region;
        TAVO::Tuple<2, unsigned int> viewSize;
    };

    bool isFullscreen() const override { return fullscreen; }
    void toggleFullscreen() override {
        if (refuseFullscreen)
            throw TAVO::IK::SDLGL::SDLException(TAVO::SourceLocation(), -1, "no full screen here");
        fullscreen = !fullscreen;
    }
    void selectTray(std::uint32_t tray) override {
        selected.push_back(tray);
        if (menu != nullptr)
            menu->highlightTray(tray);
    }
    void renderTrayThumbnail(std::uint32_t tray, TAVO::IK::SDLGL::Texture& texture,
                             const TAVO::Hyperrectangle<2, unsigned int>& region,
                             const TAVO::Tuple<2, unsigned int>& viewSize) override {
        renders.push_back(Render{tray, &texture, region, viewSize});
        if (onRender)
            onRender(renders.back());
    }

    void puzzleLoaded(PartMeshSet&) override {
        ++loaded;
        if (menu != nullptr)
            menu->puzzleLoaded();
    }
    void puzzleFailed() override {
        ++failed;
        if (menu != nullptr)
            menu->showGameSelection();
    }
    void trayAdded(std::uint32_t tray) override {
        if (menu != nullptr)
            menu->addTray(tray);
    }
    void trayRemoved(std::uint32_t tray) override {
        if (menu != nullptr)
            menu->removeTray(tray);
    }
    void trayChanged(std::uint32_t tray) override {
        if (menu != nullptr)
            menu->invalidateTrayThumbnail(tray);
    }

    GameMenu* menu = nullptr;
    bool fullscreen = false;
    bool refuseFullscreen = false;
    std::vector<std::uint32_t> selected;
    std::vector<Render> renders;
    std::function<void(const Render&)> onRender;
    int loaded = 0;
    int failed = 0;
};

// A drag that writes what the tray bar tells it and answers with `takes`.
class RecordingDrag : public Drag {
public:
    void drop(const TAVO::Point<2, float>&) override { calls.push_back("drop"); }
    void move(const TAVO::Point<2, float>&) override { calls.push_back("move"); }
    bool hoverTrayBar(const TAVO::Point<2, float>&, bool onIcon) override {
        calls.push_back(onIcon ? "hover icon" : "hover bar");
        return takes;
    }
    bool dropIntoTray(std::uint32_t tray) override {
        calls.push_back("into " + std::to_string(tray));
        return takes;
    }
    bool dropIntoNewTray() override {
        calls.push_back("into new");
        if (onNewTray)
            onNewTray();
        return takes;
    }

    bool takes = true;
    std::vector<std::string> calls;
    std::function<void()> onNewTray;
};

} // namespace MenuTest
