#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "game/Camera.h"
#include "game/FrameTarget.h"
#include "game/KeyAxis.h"
#include "game/Lighting.h"
#include "game/PartDrag.h"
#include "game/TrayDrag.h"
#include "geometry/Point.h"
#include "geometry/Tuple.h"
#include "model/PuzzleEventHandler.h"
#include "model/TrayPose.h"
#include "sdlgl/Application.h"
#include "ui/FrameTime.h"
#include "ui/menu/GameMenu.h"
#include "ui/menu/MenuView.h"

namespace TAVO {
class Log;
class Package;
class Parameters;
} // namespace TAVO

class ShaderSet;
class Table;
class TableDrawing;
class Tray;
class TrayThumbnails;
class Workspace;

// The play screen: the application's one event handler and the workspace's
// puzzle event handler. Every pointer and key event is offered to the game
// menu first; what the menu leaves pans and zooms the current tray, carries
// parts and pans trays. Keys for panning and zooming drive three velocity
// axes that update integrates. Every change of the table is recorded as a
// table action, applied at once and handed to the shelf: part moves and joins
// are saved at once, tray view moves held back.
//
// The table is only worked on while the player sees it (the game, its menu
// or its options are shown): while a new game or a saved one is being
// loaded, or a full-page menu hides the table, presses start no drag and the
// wheel, the pan and zoom keys and the tray keys do nothing. A drag never
// outlives its table: a loaded or failed game, a reset table, or a tray or
// part gone from under it ends the drag without a drop.
//
// Keys: the arrows pan, "+" (or "=", keypad plus) and "-" (keypad minus) zoom,
// "0" goes back to level 0, "1" to "9" send the part under the pointer to
// that tray of the tray order (with Alt: show that tray), Enter and Escape
// go to the menu. In developer mode Escape quits, "d" logs the outline of the
// part under the pointer and "w" switches the wireframe; the zoom is not
// clamped there.
//
// Main thread only, with the OpenGL context current.
class View : public TAVO::IK::SDLGL::Application::EventHandler, public PuzzleEventHandler, public MenuView {
public:
    // Pan speed in table units a second, zoom speed in levels a second.
    static constexpr float panSpeed = 100.0f;
    static constexpr float zoomSpeed = 1.0f;
    // The part under the pointer is picked; when there is none, a part
    // within this many pixels of it.
    static constexpr float pickRadius = 15.0f;

    // Reads "wireframe", "developer_mode", "fullscreen" (applied at once),
    // "lighting" and "antialiasing"; each flag is set only by the exact value
    // "true", and a missing key counts as unset. Nothing is owned.
    View(TAVO::IK::SDLGL::Application& application, TAVO::Log& log, Workspace& workspace,
         const TAVO::Parameters& configuration, const TAVO::Package& package);
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // Builds the programs, the menu, the table drawing and the tray
    // thumbnails; the first tray becomes current. Called once, before events
    // arrive. A shader or shape file that fails throws.
    void setupShaders(const TAVO::Parameters& configuration);
    bool isRunning() const { return menu_.isRunning(); }
    // One fixed step of dt seconds: the key axes, the active drag, the menu.
    void update(float dt);
    // The frame: the current tray, the menu, the carried part.
    void draw();

    // Whether the picture may differ from the last frame drawn. Every change
    // of what a frame shows raises the request: the events, the model's
    // notifications, a step that moves a key axis, a drag, a tray's view
    // animation or the busy dots on screen, or that lets the menu answer the
    // events offered to it since the step before, a tray thumbnail drawn
    // anew, a resize and the full-screen and wireframe switches. Drawing a
    // frame clears it; a new view has it raised.
    bool redrawRequested() const { return redraw_; }
    void requestRedraw() { redraw_ = true; }

    // The menu's requests.
    bool isFullscreen() const override { return fullscreen_; }
    void toggleFullscreen() override;
    // A tray the table lacks is ignored.
    void selectTray(std::uint32_t tray) override;
    void renderTrayThumbnail(std::uint32_t tray, TAVO::IK::SDLGL::Texture& texture,
                             const TAVO::Hyperrectangle<2, unsigned int>& region,
                             const TAVO::Tuple<2, unsigned int>& viewSize) override;

    // The application's events.
    void resized(std::int32_t width, std::int32_t height) override;
    void redraw() override { requestRedraw(); }
    void keyDown(const SDL_KeyboardEvent& event) override;
    void keyUp(const SDL_KeyboardEvent& event) override;
    void mouseMotion(const SDL_MouseMotionEvent& event) override;
    void mouseButtonDown(const SDL_MouseButtonEvent& event) override;
    void mouseButtonUp(const SDL_MouseButtonEvent& event) override;
    void mouseWheel(const SDL_MouseWheelEvent& event) override;

    // The model's notifications.
    // A game that cannot be shown (a picture beyond the largest texture,
    // meshes that do not hold together) is logged and fails as puzzleFailed.
    void puzzleLoaded(PartMeshSet& meshes) override;
    void puzzleFailed() override;
    void trayAdded(std::uint32_t tray) override;
    void trayRemoved(std::uint32_t tray) override;
    void trayChanged(std::uint32_t tray) override;
    void partsJoined(const std::vector<unsigned int>& joined, std::uint32_t part) override;
    void puzzleCompleted() override;

    std::uint32_t currentTray() const { return currentTray_; }
    // Null while no drag runs.
    const Drag* activeDrag() const { return activeDrag_; }
    const PartDrag& partDrag() const { return partDrag_; }
    const TrayDrag& trayDrag() const { return trayDrag_; }
    bool partDragActive() const { return activeDrag_ == &partDrag_; }
    bool trayDragActive() const { return activeDrag_ == &trayDrag_; }
    const FrameTime& frameTime() const { return frame_; }
    GameMenu& menu() { return menu_; }
    const Camera& camera() const { return camera_; }
    const TAVO::Point<2, float>& lastPointer() const { return pointer_; }
    bool wireframe() const { return wireframe_; }
    bool developer() const { return developer_; }
    Lighting lighting() const { return lighting_; }
    bool antialiasing() const { return target_.antialiasing(); }
    // The table is shown and no game is being loaded: input may change it.
    bool tableShown() const;

private:
    Table& table() const;
    // The current tray, made the first tray of the order when the table
    // lacks it.
    Tray& currentTrayOf(Table& table);
    // The current tray's pose; with the tray drag running, moved by its offset.
    TrayPose drawnPose(const Table& table) const;
    TAVO::Point<2, float> tablePoint(const TrayPose& pose, const TAVO::Point<2, float>& normalized);
    // The part of the current tray under the pointer, else one within the
    // pick radius of it (Tray::pick).
    bool pickPart(const TAVO::Point<2, float>& normalized, std::uint32_t& part);
    // Records the tray's new view pose, applies it and holds it back in the
    // shelf. A pose that is not finite is dropped.
    void moveTray(std::uint32_t tray, const TrayPose& pose);
    void makeCurrent(std::uint32_t tray);
    void endDrag() { activeDrag_ = nullptr; }
    // The active drag works on the workspace's table, which still holds
    // its tray (and part).
    bool dragValid() const;
    // The key axes stop where they are.
    void releaseAxes();
    void panKey(SDL_Scancode code, bool down);
    void zoomKey(bool in, bool down);
    void digitKey(std::uint32_t index);
    void zeroKey();
    void logPartOutline();

    // Configuration.
    bool fullscreen_ = false;
    Lighting lighting_ = Lighting::none;
    bool developer_ = false;
    bool wireframe_ = false;

    Workspace& workspace_;
    TAVO::IK::SDLGL::Application& application_;
    TAVO::Log& log_;
    const TAVO::Package& package_;

    // Drawing.
    std::unique_ptr<ShaderSet> shaders_;
    std::unique_ptr<TableDrawing> drawing_;
    std::unique_ptr<TrayThumbnails> thumbnails_;
    FrameTarget target_;
    TAVO::Tuple<2, unsigned int> windowSize_{0u, 0u};
    Camera camera_;

    TAVO::Point<2, float> pointer_{0.0f, 0.0f};
    PartDrag partDrag_;
    TrayDrag trayDrag_;
    Drag* activeDrag_ = nullptr;
    std::uint32_t currentTray_ = 0;
    KeyAxis panX_{panSpeed, 0.0f};
    KeyAxis panY_{panSpeed, 0.0f};
    KeyAxis zoom_{zoomSpeed, 0.0f};

    GameMenu menu_;
    FrameTime frame_;
    bool setUp_ = false;

    // The redraw request, the frame record's event counters at the last
    // step, and whether the last frame drew the busy dots.
    bool redraw_ = true;
    FrameTime offeredAtStep_;
    bool dotsShown_ = false;
};
