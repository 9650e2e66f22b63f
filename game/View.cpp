#include "game/View.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <utility>

#include "foundation/exceptions/Exception.h"
#include "foundation/text/Parameters.h"
#include "foundation/threads/Log.h"
#include "game/PartDrawing.h"
#include "game/ShaderSet.h"
#include "game/TableDrawing.h"
#include "game/TrayThumbnails.h"
#include "geometry/Polygon.h"
#include "model/Puzzle.h"
#include "model/Setup.h"
#include "model/Table.h"
#include "model/Workspace.h"

using TAVO::Point;
using TAVO::Tuple;

namespace {

bool flagOf(const TAVO::Parameters& configuration, const char* key) {
    return configuration.has(key) && configuration.get(key) == "true";
}

Lighting lightingFrom(const TAVO::Parameters& configuration) {
    return configuration.has("lighting") ? lightingOf(configuration.get("lighting")) : Lighting::none;
}

// Either Alt key.
constexpr std::uint32_t altKeys = 0x300;

} // namespace

View::View(TAVO::IK::SDLGL::Application& application, TAVO::Log& log, Workspace& workspace,
           const TAVO::Parameters& configuration, const TAVO::Package& package)
    : lighting_(lightingFrom(configuration)), developer_(flagOf(configuration, "developer_mode")),
      wireframe_(flagOf(configuration, "wireframe")), workspace_(workspace), application_(application), log_(log),
      package_(package), target_(flagOf(configuration, "antialiasing")), menu_(workspace, *this) {
    if (flagOf(configuration, "fullscreen")) {
        // A window system that refuses leaves the game in its window.
        try {
            application_.setFullscreen(true);
            fullscreen_ = true;
        } catch (const TAVO::Exception& e) {
            TAVO::Log::line(log_.entry()) << "Unable to show the game full screen: " << e.message();
        }
    }
}

View::~View() = default;

// ---- set-up ----

void View::setupShaders(const TAVO::Parameters& configuration) {
    shaders_ = std::make_unique<ShaderSet>(package_, developer_);
    menu_.setup(shaders_->shapeShader(), package_, configuration);
    drawing_ = std::make_unique<TableDrawing>(camera_, *shaders_, configuration, log_, lighting_);
    for (std::uint32_t i = 0; i < GameMenu::patternCount; ++i)
        menu_.setPatternPreview(i, drawing_->background().patternTexture(i));
    thumbnails_ = std::make_unique<TrayThumbnails>(camera_, *drawing_);
    if (developer_ && lighting_ == Lighting::map)
        drawing_->parts().setLightMapDump(PartDrawing::lightMapFile, std::cout, log_);
    setUp_ = true;
    if (windowSize_[0] > 0)
        menu_.setGeometry(Tuple<2, float>(float(windowSize_[0]), float(windowSize_[1])));
    const std::uint32_t first = table().trayOrder().front();
    currentTray_ = first;
    trayAdded(first);
    menu_.highlightTray(first);
}

// ---- helpers ----

Table& View::table() const { return workspace_.table(); }

Tray& View::currentTrayOf(Table& table) {
    if (!table.hasTray(currentTray_))
        currentTray_ = table.trayOrder().front();
    return table.tray(currentTray_);
}

bool View::tableShown() const {
    if (!setUp_)
        return false;
    const GameMenu::Page page = menu_.currentPage();
    return page == GameMenu::Page::inGame || page == GameMenu::Page::menu || page == GameMenu::Page::tableOptions;
}

TrayPose View::drawnPose(const Table& table) const {
    TrayPose pose = table.tray(currentTray_).pose();
    if (activeDrag_ == &trayDrag_ && trayDrag_.isTray(currentTray_))
        pose.setPosition(pose.position() + trayDrag_.offset());
    return pose;
}

Point<2, float> View::tablePoint(const TrayPose& pose, const Point<2, float>& normalized) {
    return camera_.tablePoint(pose, normalized);
}

bool View::pickPart(const Point<2, float>& normalized, std::uint32_t& part) {
    const Tray& tray = currentTrayOf(table());
    const TrayPose pose = tray.pose();
    return tray.pick(tablePoint(pose, normalized), Camera::pixelsToTableUnits(pose, pickRadius), part);
}

void View::moveTray(std::uint32_t tray, const TrayPose& pose) {
    if (!pose.finite())
        return;
    Table& table = this->table();
    Table::TypedAction& action = table.moveTray(tray, pose);
    action.action().apply(table);
    workspace_.shelf().setPendingAction(action);
}

void View::makeCurrent(std::uint32_t tray) {
    currentTray_ = tray;
    menu_.highlightTray(tray);
}

void View::releaseAxes() {
    panX_.release();
    panY_.release();
    zoom_.release();
}

bool View::dragValid() const {
    if (activeDrag_ == &partDrag_)
        return partDrag_.table() == &table() && partDrag_.valid();
    if (activeDrag_ == &trayDrag_)
        return trayDrag_.table() == &table() && trayDrag_.valid();
    return false;
}

// ---- the menu's requests ----

void View::toggleFullscreen() {
    requestRedraw();
    application_.setFullscreen(!fullscreen_);
    fullscreen_ = !fullscreen_;
}

void View::selectTray(std::uint32_t tray) {
    requestRedraw();
    if (table().hasTray(tray))
        makeCurrent(tray);
}

void View::renderTrayThumbnail(std::uint32_t tray, TAVO::IK::SDLGL::Texture& texture,
                               const TAVO::Hyperrectangle<2, unsigned int>& region,
                               const Tuple<2, unsigned int>& viewSize) {
    // The tray bar shows the new picture.
    requestRedraw();
    if (thumbnails_)
        thumbnails_->render(table(), tray, texture, region, viewSize, wireframe_);
}

// ---- steps and frames ----

void View::update(float dt) {
    if (!setUp_)
        return;
    // Held keys stop while the table is hidden or a game is on its way.
    if (!tableShown())
        releaseAxes();
    panX_.step(dt);
    panY_.step(dt);
    zoom_.step(dt);
    // A view animation runs while its progress is below 1; the table's
    // update after this one moves the tray.
    for (unsigned int tray : table().trayOrder())
        if (table().hasTray(tray) && table().tray(tray).animationProgress() < 1.0f)
            requestRedraw();
    if (panX_.active() || panY_.active() || zoom_.active()) {
        requestRedraw();
        TrayPose pose = currentTrayOf(table()).pose();
        TAVO::Vector<2, float> position = pose.position();
        if (panX_.active())
            position[0] = panX_.value();
        if (panY_.active())
            position[1] = panY_.value();
        pose.setPosition(position);
        if (zoom_.active())
            pose.setLevel(developer_ ? zoom_.value() : Camera::clampLevel(zoom_.value()));
        moveTray(currentTray_, pose);
    }
    if (activeDrag_ != nullptr) {
        // The carried part snaps and lets go; a drag that ended is drawn gone.
        requestRedraw();
        if (dragValid())
            activeDrag_->update();
        else
            endDrag();
    }
    frame_.dt = dt;
    ++frame_.steps;
    // The menu answers some events at the next step (a list ends its hover
    // there when a motion since reached none of its items).
    if (frame_.buttonEvents != offeredAtStep_.buttonEvents || frame_.motionEvents != offeredAtStep_.motionEvents ||
        frame_.dragEvents != offeredAtStep_.dragEvents || frame_.keyEvents != offeredAtStep_.keyEvents) {
        requestRedraw();
        offeredAtStep_ = frame_;
    }
    menu_.root().update(frame_);
    // The busy dots pulse wherever they are shown.
    menu_.animate(dt);
    if (dotsShown_)
        requestRedraw();
}

void View::draw() {
    redraw_ = false;
    if (!setUp_)
        return;
    // The table clears the frame, or covers it with the table kept from
    // the last frame; a frame without one is only cleared.
    target_.begin(false);
    Table& table = this->table();
    currentTrayOf(table);
    const bool carrying = activeDrag_ == &partDrag_ && dragValid();
    if (!drawing_->drawTable(table, currentTray_, drawnPose(table),
                             carrying ? std::optional<std::uint32_t>(partDrag_.part()) : std::nullopt, wireframe_))
        FrameTarget::clear();
    const Shape* dots = menu_.dots();
    const std::uint64_t dotsDrawn = dots != nullptr ? dots->drawCount() : 0;
    menu_.root().draw();
    dotsShown_ = dots != nullptr && dots->drawCount() != dotsDrawn;
    if (carrying) {
        if (partDrag_.isHovering())
            drawing_->drawPartIcon(table, partDrag_.part(), partDrag_.hoverPosition(), partDrag_.onIcon());
        else
            drawing_->drawCarriedPart(table, partDrag_.part(), partDrag_.pose(), table.tray(currentTray_).pose());
    }
    target_.end();
}

// ---- pointer ----

void View::resized(std::int32_t width, std::int32_t height) {
    requestRedraw();
    if (width <= 0 || height <= 0)
        return;
    // The first size report and the resize event behind it may tell one size.
    const Tuple<2, unsigned int> size{unsigned(width), unsigned(height)};
    if (size == windowSize_)
        return;
    windowSize_ = size;
    camera_.setViewport(windowSize_);
    target_.resize(windowSize_);
    if (setUp_)
        menu_.setGeometry(Tuple<2, float>(float(width), float(height)));
}

void View::mouseMotion(const SDL_MouseMotionEvent& event) {
    requestRedraw();
    if (!setUp_)
        return;
    pointer_ = camera_.pixelToNormalized(event.x, event.y);
    if (activeDrag_ != nullptr) {
        ++frame_.dragEvents;
        Drag* drag = activeDrag_;
        if (!menu_.root().dragOver(frame_, pointer_, *drag, false) && activeDrag_ == drag && dragValid())
            drag->move(tablePoint(table().tray(currentTray_).pose(), pointer_));
        return;
    }
    ++frame_.motionEvents;
    menu_.root().pointerMotion(frame_, pointer_, (event.state & SDL_BUTTON_LMASK) != 0);
}

void View::mouseButtonDown(const SDL_MouseButtonEvent& event) {
    requestRedraw();
    if (!setUp_ || activeDrag_ != nullptr)
        return;
    const Point<2, float> position = camera_.pixelToNormalized(event.x, event.y);
    ++frame_.buttonEvents;
    if (menu_.root().pointerButton(frame_, position, true) || !tableShown())
        return;
    Table& table = this->table();
    const Tray& tray = currentTrayOf(table);
    const TrayPose pose = tray.pose();
    const Point<2, float> point = tablePoint(pose, position);
    std::uint32_t part = 0;
    if (tray.pick(point, Camera::pixelsToTableUnits(pose, pickRadius), part)) {
        partDrag_.begin(workspace_.shelf(), table, currentTray_, part, tray.partPose(part), point);
        activeDrag_ = &partDrag_;
    } else {
        trayDrag_.begin(workspace_.shelf(), table, currentTray_, point);
        activeDrag_ = &trayDrag_;
    }
}

void View::mouseButtonUp(const SDL_MouseButtonEvent& event) {
    requestRedraw();
    if (!setUp_)
        return;
    const Point<2, float> position = camera_.pixelToNormalized(event.x, event.y);
    if (activeDrag_ == nullptr) {
        ++frame_.buttonEvents;
        menu_.root().pointerButton(frame_, position, false);
        return;
    }
    Drag* drag = activeDrag_;
    ++frame_.dragEvents;
    const bool taken = menu_.root().dragOver(frame_, position, *drag, true);
    // A notification during the menu's handling may have ended the drag.
    const bool drop = !taken && activeDrag_ == drag && dragValid();
    // The drag ends whoever takes the release, also when the drop throws.
    endDrag();
    if (drop)
        drag->drop(tablePoint(table().tray(currentTray_).pose(), position));
}

void View::mouseWheel(const SDL_MouseWheelEvent& event) {
    requestRedraw();
    if (!setUp_ || event.which == SDL_TOUCH_MOUSEID || !tableShown())
        return;
    float steps = float(event.y);
    if (event.direction == SDL_MOUSEWHEEL_FLIPPED)
        steps = -steps;
    const TrayPose pose = currentTrayOf(table()).pose();
    moveTray(currentTray_, camera_.wheelZoom(pose, pointer_, steps, !developer_));
}

// ---- keys ----

void View::panKey(SDL_Scancode code, bool down) {
    KeyAxis& axis = code == SDL_SCANCODE_RIGHT || code == SDL_SCANCODE_LEFT ? panX_ : panY_;
    // The view's right is the tray position's left.
    const bool positive = code == SDL_SCANCODE_LEFT || code == SDL_SCANCODE_DOWN;
    if (down && !axis.active()) {
        // A held key goes on from where the view is.
        const TrayPose pose = currentTrayOf(table()).pose();
        panX_.setValue(pose.position()[0]);
        panY_.setValue(pose.position()[1]);
    }
    if (positive)
        axis.setPositive(down);
    else
        axis.setNegative(down);
}

void View::zoomKey(bool in, bool down) {
    if (down && !zoom_.active())
        zoom_.setValue(currentTrayOf(table()).pose().level());
    if (in)
        zoom_.setPositive(down);
    else
        zoom_.setNegative(down);
}

namespace {

// Zoom keys: "+" where the layout has it, and the keys a US keyboard has.
int zoomDirection(SDL_Keycode key) {
    switch (key) {
    case SDLK_PLUS:
    case SDLK_EQUALS:
    case SDLK_KP_PLUS:
        return 1;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
        return -1;
    default:
        return 0;
    }
}

bool isPanKey(SDL_Scancode code) {
    return code == SDL_SCANCODE_RIGHT || code == SDL_SCANCODE_LEFT || code == SDL_SCANCODE_DOWN ||
           code == SDL_SCANCODE_UP;
}

} // namespace

void View::keyDown(const SDL_KeyboardEvent& event) {
    requestRedraw();
    if (!setUp_ || event.repeat != 0 || !tableShown())
        return;
    if (isPanKey(event.keysym.scancode))
        panKey(event.keysym.scancode, true);
    if (const int zoom = zoomDirection(event.keysym.sym); zoom != 0)
        zoomKey(zoom > 0, true);
}

void View::keyUp(const SDL_KeyboardEvent& event) {
    requestRedraw();
    if (!setUp_ || event.repeat != 0)
        return;
    const SDL_Scancode code = event.keysym.scancode;
    if (isPanKey(code)) {
        panKey(code, false);
    } else if (code == SDL_SCANCODE_RETURN || code == SDL_SCANCODE_KP_ENTER || code == SDL_SCANCODE_RETURN2) {
        ++frame_.keyEvents;
        menu_.root().keyPress(frame_, Component::enterKey);
    } else if (code == SDL_SCANCODE_ESCAPE) {
        if (developer_) {
            application_.quit();
        } else {
            ++frame_.keyEvents;
            menu_.root().keyPress(frame_, Component::escapeKey);
        }
    }

    const SDL_Keycode key = event.keysym.sym;
    if (const int zoom = zoomDirection(key); zoom != 0) {
        zoomKey(zoom > 0, false);
    } else if (key >= SDLK_1 && key <= SDLK_9) {
        // A carried part stays with the pointer.
        if (tableShown() && activeDrag_ == nullptr)
            digitKey(std::uint32_t(key - SDLK_1));
    } else if (key == SDLK_0) {
        zoom_.release();
        if (tableShown())
            zeroKey();
    } else if (key == SDLK_d && developer_) {
        logPartOutline();
    } else if (key == SDLK_w && developer_) {
        wireframe_ = !wireframe_;
    }
}

void View::digitKey(std::uint32_t index) {
    Table& table = this->table();
    if (index >= table.trayOrder().size())
        return;
    const std::uint32_t target = table.trayOrder()[index];
    if ((SDL_GetModState() & altKeys) != 0) {
        makeCurrent(target);
        return;
    }
    std::uint32_t part = 0;
    if (!pickPart(pointer_, part))
        return;
    // A move like a drop into the tray's icon, saved as one, so that the
    // journal replays to the table that was played.
    const Tray::Pose place = table.tray(target).findPlace(part);
    Table::TypedAction& action = table.movePart(currentTray_, target, part, place);
    action.action().apply(table);
    workspace_.shelf().saveAction(action);
}

void View::zeroKey() {
    TrayPose pose = currentTrayOf(table()).pose();
    pose.setLevel(0.0f);
    moveTray(currentTray_, pose);
}

void View::logPartOutline() {
    const Puzzle* puzzle = workspace_.puzzle();
    std::uint32_t part = 0;
    if (puzzle == nullptr || !pickPart(pointer_, part))
        return;
    for (std::uint32_t piece : table().part(part).pieces()) {
        Polygon outline;
        puzzle->pieceOutline(piece, outline);
        // The entry lasts as long as its text is written.
        const auto entry = log_.entry();
        auto line = TAVO::Log::line(entry);
        line << "Debug piece " << piece << ": ";
        for (const Polygon::Contour& contour : outline.contours()) {
            line << "(";
            for (std::size_t i = 0; i < contour.size(); ++i) {
                const Point<2, float>& p = outline.points()[contour[i]];
                if (i > 0)
                    line << ", ";
                line << p[0] << ", " << p[1];
            }
            line << ") ";
        }
    }
}

// ---- the model's notifications ----

void View::puzzleLoaded(PartMeshSet& meshes) {
    requestRedraw();
    endDrag();
    releaseAxes();
    if (!setUp_)
        return;
    // A game that cannot be shown sends the player back to the games.
    const Puzzle* puzzle = workspace_.puzzle();
    if (puzzle == nullptr) {
        TAVO::Log::line(log_.entry()) << "Unable to show the game: it has no puzzle.";
        puzzleFailed();
        return;
    }
    try {
        Setup& setup = workspace_.currentSetup();
        drawing_->puzzleLoaded(std::move(meshes), *puzzle, setup.puzzleSize(), setup.picture());
        // The texture holds the picture now.
        setup.releasePicture();
    } catch (const TAVO::Exception& e) {
        TAVO::Log::line(log_.entry()) << "Unable to show the game: " << e.message();
        puzzleFailed();
        return;
    }
    menu_.puzzleLoaded();
    makeCurrent(table().trayOrder().front());
}

void View::puzzleFailed() {
    requestRedraw();
    endDrag();
    releaseAxes();
    if (setUp_)
        menu_.showGameSelection();
}

void View::trayAdded(std::uint32_t tray) {
    requestRedraw();
    menu_.addTray(tray);
    Table& table = this->table();
    if (table.isEmpty()) {
        // The table was reset: nothing of the old game is left to carry.
        endDrag();
        makeCurrent(table.trayOrder().front());
    }
}

void View::trayRemoved(std::uint32_t tray) {
    requestRedraw();
    menu_.removeTray(tray);
    if ((activeDrag_ == &partDrag_ && partDrag_.isTray(tray)) || (activeDrag_ == &trayDrag_ && trayDrag_.isTray(tray)))
        endDrag();
    if (tray != currentTray_)
        return;
    // The tray is still listed: the one before it, or after it when first.
    const std::vector<unsigned int>& order = table().trayOrder();
    const auto it = std::find(order.begin(), order.end(), tray);
    if (it == order.end()) {
        if (!order.empty())
            makeCurrent(order.back());
    } else if (it != order.begin()) {
        makeCurrent(*(it - 1));
    } else if (it + 1 != order.end()) {
        makeCurrent(*(it + 1));
    }
}

void View::trayChanged(std::uint32_t tray) {
    requestRedraw();
    menu_.invalidateTrayThumbnail(tray);
}

void View::partsJoined(const std::vector<unsigned int>& joined, std::uint32_t part) {
    requestRedraw();
    if (drawing_)
        drawing_->partsJoined(joined, part);
}

void View::puzzleCompleted() {
    requestRedraw();
    Table& table = this->table();
    for (unsigned int id : table.trayOrder()) {
        Tray& tray = table.tray(id);
        if (tray.isEmpty())
            continue;
        makeCurrent(id);
        tray.focusPart(tray.parts().current());
        return;
    }
}
