#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/PictureLoader.h"
#include "ui/Component.h"
#include "ui/Shape.h"

namespace TAVO {
class Package;
class Parameters;
} // namespace TAVO

class GameSelectPanel;
class MenuView;
class PictureSelectPanel;
class PuzzleSetupPanel;
class SegmentedControl;
class Switch;
class TrayBar;
class Workspace;

// The whole overlay of the game: the saved-games list, the picture choice,
// the puzzle set-up, the in-game bar with its menu button, the in-game menu,
// the table options and, in developer mode, the tray bar. One page is shown
// at a time. The view offers every input event to the root first, updates
// and draws it, and forwards the model's notifications here; the menu drives
// the model through the workspace, the shelf and the menu's set-up.
//
// Handlers of the widgets may run into stale or out-of-range indices (the
// lists and the model change under them); such a request does nothing.
class GameMenu {
public:
    // Hears the result of one load of a chosen picture. Only the latest
    // request may drive the picture page; a result of an older or cancelled
    // one is dropped, except that a picture that cannot be read leaves the
    // gallery. A notifier outliving its menu does nothing.
    class SelectedPictureNotifier : public PictureLoader::Notifier {
    public:
        SelectedPictureNotifier(std::weak_ptr<GameMenu*> menu, std::uint64_t request, std::uint32_t index,
                                std::string path)
            : menu_(std::move(menu)), request_(request), index_(index), path_(std::move(path)) {}

        void loaded(const std::string& path, const Picture& picture) override;
        void failed() override;

    private:
        std::weak_ptr<GameMenu*> menu_;
        std::uint64_t request_;
        std::uint32_t index_;
        std::string path_;
    };

    // The choices of the table options: patterns, previews and preset colours.
    static constexpr std::uint32_t patternCount = 4;
    static constexpr std::uint32_t previewCount = 3;
    static constexpr std::uint32_t colorCount = 5;

    // Neither is owned; the menu is running until quit.
    GameMenu(Workspace& workspace, MenuView& view);
    ~GameMenu();
    GameMenu(const GameMenu&) = delete;
    GameMenu& operator=(const GameMenu&) = delete;

    // Builds the pages from the resource package's shape files, drawn with
    // the shader (not owned); "developer_mode" exactly "true" adds the tray
    // bar. A missing or damaged shape file throws. A second call replaces
    // the whole tree.
    void setup(Shape::ShapeShader& shader, const TAVO::Package& package, const TAVO::Parameters& configuration);
    // The page switch; UninitializedException before setup.
    Component& root() const;
    bool isRunning() const { return running_; }
    void setGeometry(const TAVO::Tuple<2, float>& size);
    // Moves the busy dots' pulse on by dt seconds: they brighten from black
    // to white once a second.
    void animate(float dt);
    // The pattern choice's icon shows the texture; an index past the
    // patterns is ignored.
    void setPatternPreview(std::uint32_t index, std::shared_ptr<Shape::Texture> texture);

    // Forwarded by the view.
    void puzzleLoaded();
    void showGameSelection();
    // The tray bar's; nothing without one.
    void addTray(std::uint32_t tray);
    void removeTray(std::uint32_t tray);
    void invalidateTrayThumbnail(std::uint32_t tray);
    void highlightTray(std::uint32_t tray);
    // The full-screen icon follows the view's state.
    void updateFullscreenIcon();

    // Button actions.
    void showMenuPage();
    void showTrayBar();
    void hideTrayBar();
    // The current game's table is saved and the game list shown.
    void leaveGame();
    void showTableOptions();
    void showInGame();
    // A refusal of the window system is logged; the icon keeps the real state.
    void toggleFullscreen();
    void quit() { running_ = false; }
    void showPictures();
    // From the picture page back to the game list; a load still under way
    // is dropped and the overlay closed, as a cancel does.
    void backToGames();
    // From the picture preview to the set-up page.
    void showSetup();
    // Closes the picture overlay; a load still under way is dropped.
    void cancelPreview();
    void stepPiecesDown();
    void stepPiecesUp();
    // Queues the set-up's game. The game keeps the picture for its texture;
    // the menu gives back its own and the preview's: the set-up page is
    // reached again only from a picture chosen anew, which brings them back.
    void startNewGame();
    // From the set-up page back to the pictures.
    void backToPictures();

    // Handler actions.
    enum class BackgroundField { pattern, color, preview };
    // Records, applies and saves one background change; an index past the
    // field's choices does nothing.
    void changeBackground(BackgroundField field, std::uint32_t index);
    // Starts the load of gallery entry i; an index past the gallery does nothing.
    void choosePicture(std::uint32_t index);
    // The menu's set-up asks for the count at the slider position; the panel
    // then shows the count the grid realises.
    void piecesChanged(float position);
    // Resumes the listed game; an index past the list does nothing.
    void playGame(std::uint32_t index);
    // Shows the count on the set-up page: digits and slider (its handler not called).
    void showPieceCount(std::uint32_t count);

    // The piece-count scale of the slider: 0 -> 2, 1/3 -> 200, 2/3 -> 2000,
    // 1 -> 10000, linear between.
    static std::uint32_t countOfPosition(float position);
    static float positionOfCount(std::uint32_t count);

    // The pages, in the order of their indices.
    enum class Page : std::uint32_t { loading = 0, inGame, menu, tableOptions, gameSelection, picture, setup };
    Page currentPage() const;
    GameSelectPanel* gameSelectPanel() const { return gameSelectPanel_; }
    PictureSelectPanel* picturePanel() const { return picturePanel_; }
    PuzzleSetupPanel* setupPanel() const { return setupPanel_; }
    SegmentedControl* patternControl() const { return patternControl_; }
    SegmentedControl* colorControl() const { return colorControl_; }
    SegmentedControl* previewControl() const { return previewControl_; }
    const Shape* patternPreview(std::uint32_t index) const;
    TrayBar* trayBar() const { return trayBar_; }
    bool trayBarShown() const;
    bool showsCollapseIcon() const;
    const Shape* dots() const { return dots_; }
    float phase() const { return phase_; }
    std::uint64_t pictureRequest() const { return pictureRequest_; }

    // The two outcomes of the load of request number `request` of gallery
    // entry `index`. Only the latest request's result shows; a picture that
    // cannot be uploaded counts as failed (and is logged); a failed picture
    // leaves the gallery wherever its entry is now.
    void pictureLoaded(std::uint64_t request, std::uint32_t index, const std::string& path, const Picture& picture);
    void pictureFailed(std::uint64_t request, std::uint32_t index, const std::string& path);

private:
    void showPage(Page page);
    // One line in the workspace's log, made printable (TAVO::Text::printable).
    void log(const std::string& text) const;

    Workspace* workspace_;
    MenuView* view_;
    bool running_ = true;
    std::unique_ptr<Component> root_;
    Switch* pages_ = nullptr;
    std::uint32_t pageIndex_[7] = {};
    GameSelectPanel* gameSelectPanel_ = nullptr;
    PictureSelectPanel* picturePanel_ = nullptr;
    PuzzleSetupPanel* setupPanel_ = nullptr;
    SegmentedControl* previewControl_ = nullptr;
    SegmentedControl* patternControl_ = nullptr;
    SegmentedControl* colorControl_ = nullptr;
    Shape* patternPreviews_[patternCount] = {};
    Switch* trayBarSwitch_ = nullptr;
    std::uint32_t barShownIndex_ = 0;
    std::uint32_t barHiddenIndex_ = 0;
    TrayBar* trayBar_ = nullptr;
    Switch* fullscreenSwitch_ = nullptr;
    std::uint32_t expandIndex_ = 0;
    std::uint32_t collapseIndex_ = 0;
    float phase_ = 0.0f;
    Shape* dots_ = nullptr;
    // The number of the latest picture request; cancelling moves it on.
    std::uint64_t pictureRequest_ = 0;
    // What picture notifiers reach the menu through; gone with the menu.
    std::shared_ptr<GameMenu*> self_;
};
