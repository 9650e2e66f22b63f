#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/Shelf.h"
#include "ui/ItemSelect.h"
#include "ui/Panel.h"
#include "ui/Shape.h"
#include "ui/menu/AtlasPageTextures.h"

class Border;
class MenuBuilder;
class SharedComponent;
class Switch;
class VisibleComponent;
class Workspace;

// The game-selection page of the game menu: the title and a new-game button
// while no game is saved, otherwise the saved games as thumbnails in the
// shelf's order with a trash. A click on a thumbnail resumes the game; the
// hovered game shows a trash button and, when it can be played, a play mark;
// the trash view lists the trashed games, restores one per click and is
// emptied by its own button. Every change goes through the shelf, whose
// notifications the panel's updater turns into list changes.
class GameSelectPanel : public Panel {
public:
    // What the panel asks of the menu.
    class GameSelectEventHandler {
    public:
        virtual ~GameSelectEventHandler() = default;
        virtual void newGame() = 0;
        // The index of the game in the shelf's game list.
        virtual void playGame(std::uint32_t index) = 0;
    };

    // Resumes the clicked game unless it is broken; tracks the hover. After
    // a game left the list, the one that took its place under the pointer
    // gets the marks with the next motion.
    class GameItemHandler : public ItemSelect::EventHandler {
    public:
        GameItemHandler(GameSelectPanel& panel, GameSelectEventHandler& handler)
            : panel_(&panel), handler_(&handler) {}
        void pressed(std::uint32_t index) override;
        void hoverEntered(std::uint32_t index) override;
        void hoverLeft(std::uint32_t index) override;
        void hoverMoved(std::uint32_t index) override;

    private:
        GameSelectPanel* panel_;
        GameSelectEventHandler* handler_;
    };

    // Restores the clicked game; tracks the hover as the game items do.
    class TrashItemHandler : public ItemSelect::EventHandler {
    public:
        TrashItemHandler(GameSelectPanel& panel, Shelf& shelf) : panel_(&panel), shelf_(&shelf) {}
        void pressed(std::uint32_t index) override;
        void hoverEntered(std::uint32_t index) override;
        void hoverLeft(std::uint32_t index) override;
        void hoverMoved(std::uint32_t index) override;

    private:
        GameSelectPanel* panel_;
        Shelf* shelf_;
    };

    // Follows the shelf's two lists. An index a notification gives that
    // names no item (or no game) does nothing.
    class GamesListUpdater : public Shelf::EventHandler {
    public:
        GamesListUpdater(GameSelectPanel& panel, Shelf& shelf, Shape::ShapeShader& shader,
                         std::unique_ptr<SharedComponent> busyIndicator, std::unique_ptr<SharedComponent> errorMark,
                         ItemSelect& games, ItemSelect& trash);
        ~GamesListUpdater() override;

        void gameInserted(std::uint32_t index) override;
        void gameMoved(std::uint32_t from, std::uint32_t to) override;
        void gameRemoved(std::uint32_t index) override;
        void gameChanged(std::uint32_t index) override;
        void trashInserted(std::uint32_t index) override;
        void trashRemoved(std::uint32_t index) override;
        void trashChanged(std::uint32_t index) override;
        // Uploads the atlas pages that took thumbnails since the last call,
        // each once however many came; the panel calls it before it draws.
        void uploadPages();

    private:
        // A saved-game item when the game is broken or its thumbnail ready;
        // otherwise a busy placeholder, and the thumbnail is asked for.
        std::unique_ptr<Component> insertedItem(const std::string& id, const TAVO::Tuple<2, float>& size);
        // The thumbnail (or a grey square), with the error mark when broken.
        std::unique_ptr<Component> savedGameItem(const std::string& id, const TAVO::Tuple<2, float>& size);
        void insert(ItemSelect& list, const std::vector<std::string>& ids, std::uint32_t index);
        void change(ItemSelect& list, const std::vector<std::string>& ids, std::uint32_t index);

        GameSelectPanel* panel_;
        Shelf* shelf_;
        Shape::ShapeShader& shader_;
        std::unique_ptr<SharedComponent> busyIndicator_;
        std::unique_ptr<SharedComponent> errorMark_;
        ItemSelect* games_;
        // Of the shelf's thumbnail atlas.
        AtlasPageTextures pages_;
        ItemSelect* trash_;
    };

    // No item is hovered.
    static constexpr std::uint32_t none = 0xFFFFFFFFu;

    // The panel owns the buttons and the handler, and becomes the shelf's
    // event handler until it goes. The lists start with the games the shelf
    // holds already.
    GameSelectPanel(MenuBuilder& builder, Workspace& workspace, const TAVO::Tuple<2, float>& size,
                    std::unique_ptr<Component> quitButton, std::unique_ptr<Component> fullscreenButton,
                    std::unique_ptr<GameSelectEventHandler> handler);
    // Leaves the shelf without a handler, unless another one was set since.
    ~GameSelectPanel() override;

    void setGeometry(const TAVO::Tuple<2, float>& size) override;
    void draw() override;

    // The trash view opens and closes.
    void showTrash();
    void hideTrash();
    // The hovered game goes to the trash; without one nothing happens.
    void trashHoveredGame();
    void emptyTrash();

    // The marks follow the hovered item; an index that names no item hides them.
    void hoverGame(std::uint32_t index);
    void hoverTrash(std::uint32_t index);
    void placeGameMarks();
    void placeRestoreMark();

    // Whether the listed game at the index is broken; an index past the
    // shelf's list counts as broken (it cannot be played).
    bool gameBroken(std::uint32_t index) const;

    bool showsTitlePage() const;
    bool trashShown() const;
    bool openTrashShown() const;
    bool trashMarkShown() const;
    bool playMarkShown() const;
    bool restoreMarkShown() const;
    std::uint32_t hoveredGame() const { return hoveredGame_; }
    std::uint32_t hoveredTrash() const { return hoveredTrash_; }
    ItemSelect& gamesList() const { return *gamesList_; }
    ItemSelect& trashList() const { return *trashList_; }
    Border& gamesBorder() const { return *gamesBorder_; }
    Border& trashBorder() const { return *trashBorder_; }
    const Component& trashMark() const;
    const Component& emptyTrashButton() const { return *emptyTrashButton_; }
    const Component& closeTrashButton() const { return *closeTrashButton_; }
    const Panel& buttonColumn() const { return *buttonColumn_; }

private:
    // Places a mark with its anchor on the point of an item (fractions of
    // the item's size), in the page that holds the mark.
    static void placeMark(Panel& page, const Component& mark, const TAVO::Vector<2, float>& markAnchor,
                          const Component& item, const TAVO::Vector<2, float>& itemPoint);

    Shelf* shelf_;
    std::shared_ptr<Shape> title_;
    Switch* pages_;
    std::uint32_t titlePageIndex_ = 0;
    std::uint32_t listPageIndex_ = 0;
    Panel* listPage_;
    ItemSelect* gamesList_;
    Border* gamesBorder_;
    Panel* buttonColumn_;
    TAVO::Tuple<2, float> titleNaturalSize_;
    std::uint32_t hoveredGame_ = none;
    VisibleComponent* trashMark_;
    VisibleComponent* playMark_;
    VisibleComponent* trashView_;
    Panel* trashPanel_;
    ItemSelect* trashList_;
    Border* trashBorder_;
    Component* emptyTrashButton_;
    Component* closeTrashButton_;
    float closeButtonWidth_ = 0.0f;
    VisibleComponent* openTrash_;
    std::uint32_t hoveredTrash_ = none;
    VisibleComponent* restoreMark_;
    float outerSpacing_;
    float innerSpacing_;
    std::unique_ptr<GameSelectEventHandler> handler_;
    std::unique_ptr<GamesListUpdater> updater_;
};
