#include "ui/menu/GameSelectPanel.h"

#include <algorithm>

#include "foundation/exceptions/NotFoundException.h"
#include "model/Workspace.h"
#include "sdlgl/Texture.h"
#include "ui/Border.h"
#include "ui/Button.h"
#include "ui/SharedComponent.h"
#include "ui/Switch.h"
#include "ui/VisibleComponent.h"
#include "ui/menu/MenuBuilder.h"

namespace {

const TAVO::Vector<2, float> centre(0.5f, 0.5f);
const TAVO::Vector<2, float> topCentre(0.5f, 1.0f);
const TAVO::Vector<2, float> bottomCentre(0.5f, 0.0f);
const TAVO::Vector<2, float> topLeft(0.0f, 1.0f);
const TAVO::Color white(1.0f, 1.0f, 1.0f);

// The title fits this box as it is built.
const TAVO::Tuple<2, float> titleBox(600.0f, 150.0f);

// The description of the listed game; null past the list or for an id the
// shelf does not know.
const Shelf::Description* describe(const Shelf& shelf, const std::vector<std::string>& ids, std::uint32_t index) {
    if (index >= ids.size())
        return nullptr;
    try {
        return &shelf.description(ids[index]);
    } catch (const TAVO::NotFoundException<std::string>&) {
        return nullptr;
    }
}

} // namespace

// ---- item handlers ----

void GameSelectPanel::GameItemHandler::pressed(std::uint32_t index) {
    if (panel_->gameBroken(index))
        return;
    handler_->playGame(index);
}

void GameSelectPanel::GameItemHandler::hoverEntered(std::uint32_t index) { panel_->hoverGame(index); }

void GameSelectPanel::GameItemHandler::hoverLeft(std::uint32_t) { panel_->hoverGame(none); }

void GameSelectPanel::GameItemHandler::hoverMoved(std::uint32_t index) {
    if (panel_->hoveredGame() != index)
        panel_->hoverGame(index);
}

void GameSelectPanel::TrashItemHandler::pressed(std::uint32_t index) {
    const std::vector<std::string>& trash = shelf_->trash();
    if (index >= trash.size())
        return;
    // The shelf's notification removes the item being clicked.
    const std::string id = trash[index];
    shelf_->restoreGame(id);
    panel_->hoverTrash(none);
}

void GameSelectPanel::TrashItemHandler::hoverEntered(std::uint32_t index) { panel_->hoverTrash(index); }

void GameSelectPanel::TrashItemHandler::hoverLeft(std::uint32_t) { panel_->hoverTrash(none); }

void GameSelectPanel::TrashItemHandler::hoverMoved(std::uint32_t index) {
    if (panel_->hoveredTrash() != index)
        panel_->hoverTrash(index);
}

// ---- the shelf's updater ----

GameSelectPanel::GamesListUpdater::GamesListUpdater(GameSelectPanel& panel, Shelf& shelf, Shape::ShapeShader& shader,
                                                    std::unique_ptr<SharedComponent> busyIndicator,
                                                    std::unique_ptr<SharedComponent> errorMark, ItemSelect& games,
                                                    ItemSelect& trash)
    : panel_(&panel), shelf_(&shelf), shader_(shader), busyIndicator_(std::move(busyIndicator)),
      errorMark_(std::move(errorMark)), games_(&games), trash_(&trash) {}

GameSelectPanel::GamesListUpdater::~GamesListUpdater() = default;

std::unique_ptr<Component> GameSelectPanel::GamesListUpdater::savedGameItem(const std::string& id,
                                                                            const TAVO::Tuple<2, float>& size) {
    const Shelf::Description& description = shelf_->description(id);
    auto item = std::make_unique<Panel>(size, false);
    const TileAtlas& atlas = shelf_->thumbnailAtlas();
    const std::uint32_t page = atlas.page(description.tile);
    if (description.thumbnailReady && page < shelf_->thumbnailPageCount()) {
        const std::shared_ptr<Shape::Texture>& texture = pages_.changed(page);
        const TAVO::Hyperrectangle<2, unsigned int> region = atlas.tileRegion(description.tile);
        const float w = float(region.extent()[0]), h = float(region.extent()[1]);
        const float s = std::min(size[0] / w, size[1] / h);
        item->add(MenuBuilder::texturedSquare(shader_, TAVO::Tuple<2, float>(w * s, h * s), white, texture,
                                              atlas.tileTextureRegion(description.tile)),
                  centre, centre, false);
    } else {
        auto grey = MenuBuilder::texturedSquare(shader_, size, TAVO::Color(0.5f, 0.5f, 0.5f), nullptr,
                                                TAVO::Hyperrectangle<2, float>());
        item->add(std::move(grey), centre, centre, false);
    }
    if (description.broken)
        item->add(std::make_unique<SharedComponent>(errorMark_->shared()), centre, centre, false);
    return item;
}

std::unique_ptr<Component> GameSelectPanel::GamesListUpdater::insertedItem(const std::string& id,
                                                                           const TAVO::Tuple<2, float>& size) {
    const Shelf::Description& description = shelf_->description(id);
    if (description.broken || description.thumbnailReady)
        return savedGameItem(id, size);
    auto placeholder = std::make_unique<Panel>(size, false);
    placeholder->add(std::make_unique<SharedComponent>(busyIndicator_->shared()), centre, centre, false);
    if (!description.thumbnailPending)
        shelf_->loadThumbnail(id);
    return placeholder;
}

void GameSelectPanel::GamesListUpdater::insert(ItemSelect& list, const std::vector<std::string>& ids,
                                               std::uint32_t index) {
    if (index > list.count() || describe(*shelf_, ids, index) == nullptr)
        return;
    list.insert(index, insertedItem(ids[index], list.cellSize()));
}

void GameSelectPanel::GamesListUpdater::change(ItemSelect& list, const std::vector<std::string>& ids,
                                               std::uint32_t index) {
    if (index >= list.count() || describe(*shelf_, ids, index) == nullptr)
        return;
    list.setItem(index, savedGameItem(ids[index], list.cellSize()));
}

void GameSelectPanel::GamesListUpdater::uploadPages() {
    pages_.upload([this](std::uint32_t page) -> const Picture& { return shelf_->thumbnailPage(page); });
}

void GameSelectPanel::GamesListUpdater::gameInserted(std::uint32_t index) {
    insert(*games_, shelf_->games(), index);
    panel_->pages_->select(panel_->listPageIndex_);
}

void GameSelectPanel::GamesListUpdater::gameMoved(std::uint32_t from, std::uint32_t to) {
    if (from < games_->count() && to < games_->count())
        games_->move(from, to);
}

void GameSelectPanel::GamesListUpdater::gameRemoved(std::uint32_t index) {
    if (index < games_->count())
        games_->remove(index);
}

void GameSelectPanel::GamesListUpdater::gameChanged(std::uint32_t index) { change(*games_, shelf_->games(), index); }

void GameSelectPanel::GamesListUpdater::trashInserted(std::uint32_t index) {
    insert(*trash_, shelf_->trash(), index);
    panel_->pages_->select(panel_->listPageIndex_);
    panel_->openTrash_->setVisible(!trash_->empty());
}

void GameSelectPanel::GamesListUpdater::trashRemoved(std::uint32_t index) {
    if (index < trash_->count())
        trash_->remove(index);
    if (trash_->empty())
        panel_->openTrash_->setVisible(false);
}

void GameSelectPanel::GamesListUpdater::trashChanged(std::uint32_t index) { change(*trash_, shelf_->trash(), index); }

// ---- the panel ----

GameSelectPanel::GameSelectPanel(MenuBuilder& builder, Workspace& workspace, const TAVO::Tuple<2, float>& size,
                                 std::unique_ptr<Component> quitButton, std::unique_ptr<Component> fullscreenButton,
                                 std::unique_ptr<GameSelectEventHandler> handler)
    : Panel(size, true), shelf_(&workspace.shelf()), outerSpacing_(builder.style().outerSpacing),
      innerSpacing_(builder.style().innerSpacing), handler_(std::move(handler)) {
    const MenuStyle& style = builder.style();
    Shape::ShapeShader& shader = builder.shader();
    add(builder.rectangle(size, style.pageColor), centre, centre, true);
    auto pages = std::make_unique<Switch>();
    pages_ = pages.get();
    add(std::move(pages), centre, centre, true);

    const ShapeFile& titleFile = builder.loadShape("assets/title.dat");
    const TAVO::Tuple<2, float> extent = titleFile.bounds.extent();
    const float fit = std::min(titleBox[0] / extent[0], titleBox[1] / extent[1]);
    titleNaturalSize_ = TAVO::Tuple<2, float>(extent[0] * fit, extent[1] * fit);
    title_ = std::make_shared<Shape>(shader, titleFile, titleNaturalSize_, white, false);

    auto titlePage = std::make_unique<Panel>(size, false);
    titlePage->add(std::make_unique<SharedComponent>(title_), centre, TAVO::Vector<2, float>(0.5f, 0.65f), false);
    titlePage->add(builder.memberButton<GameSelectEventHandler>("assets/play.dat", handler_.get(),
                                                                &GameSelectEventHandler::newGame, Button::noKey),
                   centre, TAVO::Vector<2, float>(0.5f, 0.4f), false);
    titlePageIndex_ = pages_->add(std::move(titlePage));

    auto listPage = std::make_unique<Panel>(size, false);
    listPage_ = listPage.get();
    listPageIndex_ = pages_->add(std::move(listPage));
    listPage_->add(std::make_unique<SharedComponent>(title_), centre, TAVO::Vector<2, float>(0.5f, 0.9f), false);
    auto games = std::make_unique<ItemSelect>(shader, style.listColor, style.thumbnailSize, style.listSpacing, false,
                                              std::make_unique<GameItemHandler>(*this, *handler_));
    gamesList_ = games.get();
    auto gamesBorder = std::make_unique<Border>(shader, std::move(games), style.listBorderWidth, style.listBorderColor);
    gamesBorder_ = gamesBorder.get();
    listPage_->add(std::move(gamesBorder), centre, centre, false);

    auto addButton = builder.memberButton<GameSelectEventHandler>("assets/add.dat", handler_.get(),
                                                                  &GameSelectEventHandler::newGame, Button::noKey);
    auto column = std::make_unique<Panel>(TAVO::Tuple<2, float>(addButton->size()[0], 300.0f), false);
    buttonColumn_ = column.get();
    auto openTrash = std::make_unique<VisibleComponent>(
        builder.memberButton("assets/trashfull.dat", this, &GameSelectPanel::showTrash, Button::noKey), false);
    openTrash_ = openTrash.get();
    column->add(std::move(openTrash), topCentre, topCentre, false);
    column->add(std::move(addButton), bottomCentre, bottomCentre, false);
    listPage_->add(std::move(column), bottomCentre, bottomCentre, false);
    pages_->select(titlePageIndex_);

    auto trashIcon = std::make_unique<Shape>(shader, builder.loadShape("assets/trash.dat"), style.smallIconSize,
                                             style.iconColor, false);
    auto trashMark = std::make_unique<VisibleComponent>(
        builder.memberButton(builder.onDisc(std::move(trashIcon)), this, &GameSelectPanel::trashHoveredGame,
                             Button::noKey),
        false);
    trashMark_ = trashMark.get();
    auto playIcon = std::make_unique<Shape>(shader, builder.loadShape("assets/play.dat"), style.iconSize, style.markColor,
                                            false);
    playIcon->setColor(style.markColor, style.markAlpha);
    auto playMark = std::make_unique<VisibleComponent>(std::move(playIcon), false);
    playMark_ = playMark.get();
    // The play mark draws over the item and takes no input; the trash mark
    // is offered the pointer before the item under it.
    listPage_->add(std::move(playMark), centre, centre, false);
    listPage_->add(std::move(trashMark), centre, centre, false);

    add(std::move(quitButton), TAVO::Vector<2, float>(1.0f, 1.0f), TAVO::Vector<2, float>(0.95f, 0.95f), false);
    add(std::move(fullscreenButton), TAVO::Vector<2, float>(1.0f, 0.0f), TAVO::Vector<2, float>(0.95f, 0.05f), false);

    auto trashPanel = std::make_unique<Panel>(TAVO::Tuple<2, float>(0.0f, 0.0f), true);
    trashPanel_ = trashPanel.get();
    trashPanel_->add(builder.rectangleWithAlpha(TAVO::Tuple<2, float>(0.0f, 0.0f), style.veilColor, style.veilAlpha),
                     centre, centre, true);
    auto trashList = std::make_unique<ItemSelect>(shader, style.listColor, style.thumbnailSize, style.listSpacing,
                                                  false, std::make_unique<TrashItemHandler>(*this, *shelf_));
    trashList_ = trashList.get();
    auto trashBorder =
        std::make_unique<Border>(shader, std::move(trashList), style.listBorderWidth, style.listBorderColor);
    trashBorder_ = trashBorder.get();
    trashPanel_->add(std::move(trashBorder), centre, centre, false);
    auto emptyTrash = builder.memberButton("assets/trash.dat", this, &GameSelectPanel::emptyTrash, Button::noKey);
    emptyTrashButton_ = emptyTrash.get();
    trashPanel_->add(std::move(emptyTrash), centre, TAVO::Vector<2, float>(0.9f, 0.1f), false);
    auto close = builder.memberButton("assets/abort.dat", this, &GameSelectPanel::hideTrash, Component::escapeKey);
    closeTrashButton_ = close.get();
    closeButtonWidth_ = close->size()[0];
    trashPanel_->add(std::move(close), centre, TAVO::Vector<2, float>(0.5f, 0.1f), false);
    auto restoreIcon = std::make_unique<Shape>(shader, builder.loadShape("assets/restore.dat"), style.iconSize,
                                               style.markColor, false);
    restoreIcon->setColor(style.markColor, style.markAlpha);
    auto restoreMark = std::make_unique<VisibleComponent>(std::move(restoreIcon), false);
    restoreMark_ = restoreMark.get();
    trashPanel_->add(std::move(restoreMark), centre, centre, false);
    auto trashView = std::make_unique<VisibleComponent>(std::move(trashPanel), false);
    trashView_ = trashView.get();
    add(std::move(trashView), centre, centre, true);

    auto errorIcon = std::make_shared<Shape>(shader, builder.loadShape("assets/error.dat"), style.iconSize,
                                             style.markColor, false);
    errorIcon->setColor(style.markColor, style.markAlpha);
    updater_ = std::make_unique<GamesListUpdater>(*this, *shelf_, shader, builder.busyIndicator(),
                                                  std::make_unique<SharedComponent>(std::move(errorIcon)), *gamesList_,
                                                  *trashList_);
    shelf_->setEventHandler(updater_.get());
    setGeometry(size);
    // The games of a shelf opened before the panel was built (the game opens
    // it before its window, so that the thumbnails are made meanwhile).
    for (std::uint32_t i = 0; i < shelf_->games().size(); ++i)
        updater_->gameInserted(i);
    for (std::uint32_t i = 0; i < shelf_->trash().size(); ++i)
        updater_->trashInserted(i);
}

GameSelectPanel::~GameSelectPanel() {
    if (shelf_->eventHandler() == updater_.get())
        shelf_->setEventHandler(nullptr);
}

void GameSelectPanel::setGeometry(const TAVO::Tuple<2, float>& size) {
    Panel::setGeometry(size);
    const float W = size[0], H = size[1];
    const float outer = outerSpacing_, inner = innerSpacing_;

    const float f = std::min(0.75f * W / titleNaturalSize_[0], 0.1f * H / titleNaturalSize_[1]);
    title_->setGeometry(TAVO::Tuple<2, float>(titleNaturalSize_[0] * f, titleNaturalSize_[1] * f));

    // The border takes what is left beside the button column and below the
    // header; the list inside keeps whole cells, so the border is then as
    // large as they are.
    const float header = 0.2f * H;
    const float c = buttonColumn_->size()[0];
    gamesBorder_->setGeometry(
        TAVO::Tuple<2, float>(W - 2.0f * (c + outer) - inner, H - 2.0f * outer - header));
    const TAVO::Tuple<2, float> border = gamesBorder_->size();
    buttonColumn_->setGeometry(TAVO::Tuple<2, float>(c, border[1]));
    // A page without height has no place below its top.
    if (H > 0.0f) {
        const TAVO::Vector<2, float> below(0.5f, 1.0f - (outer + header) / H);
        listPage_->setAnchors(*gamesBorder_, topCentre, below);
        listPage_->setLayout(*buttonColumn_, topLeft, below, TAVO::Vector<2, float>(border[0] / 2.0f + inner, 0.0f));
    }
    placeGameMarks();

    const float e = emptyTrashButton_->size()[0], k = closeButtonWidth_;
    const float bottom = 2.0f * outer + k;
    trashBorder_->setGeometry(TAVO::Tuple<2, float>(W - 2.0f * (e + outer) - inner, (H - bottom) * 0.8f));
    const TAVO::Tuple<2, float> trash = trashBorder_->size();
    trashPanel_->setLayout(*trashBorder_, centre, centre, TAVO::Vector<2, float>(0.0f, bottom / 2.0f));
    trashPanel_->setLayout(*emptyTrashButton_, topLeft, centre,
                           TAVO::Vector<2, float>(trash[0] / 2.0f + inner, trash[1] / 2.0f + bottom / 2.0f));
    placeRestoreMark();
}

void GameSelectPanel::draw() {
    updater_->uploadPages();
    Panel::draw();
}

void GameSelectPanel::showTrash() {
    trashView_->setVisible(true);
    restoreMark_->setVisible(false);
}

void GameSelectPanel::hideTrash() {
    trashView_->setVisible(false);
    restoreMark_->setVisible(false);
}

void GameSelectPanel::trashHoveredGame() {
    const std::vector<std::string>& games = shelf_->games();
    if (hoveredGame_ >= games.size() || hoveredGame_ >= gamesList_->count())
        return;
    trashMark_->setVisible(false);
    playMark_->setVisible(false);
    const std::string id = games[hoveredGame_];
    hoveredGame_ = none;
    shelf_->trashGame(id);
}

void GameSelectPanel::emptyTrash() { shelf_->disposeGames(); }

bool GameSelectPanel::gameBroken(std::uint32_t index) const {
    const Shelf::Description* description = describe(*shelf_, shelf_->games(), index);
    return description == nullptr || description->broken;
}

void GameSelectPanel::hoverGame(std::uint32_t index) {
    hoveredGame_ = index;
    const bool valid = index < gamesList_->count();
    trashMark_->setVisible(valid);
    playMark_->setVisible(valid && !gameBroken(index));
    placeGameMarks();
}

void GameSelectPanel::hoverTrash(std::uint32_t index) {
    hoveredTrash_ = index;
    restoreMark_->setVisible(index < trashList_->count());
    placeRestoreMark();
}

void GameSelectPanel::placeMark(Panel& page, const Component& mark, const TAVO::Vector<2, float>& markAnchor,
                                const Component& item, const TAVO::Vector<2, float>& itemPoint) {
    // The item's point back in window coordinates, then into the page.
    const ComponentTransform toItem = item.transform();
    const TAVO::Point<2, float> local = anchorPoint(item, itemPoint);
    if (toItem.scale[0] == 0.0f || toItem.scale[1] == 0.0f)
        return;
    const TAVO::Point<2, float> window((local[0] - toItem.offset[0]) / toItem.scale[0],
                                       (local[1] - toItem.offset[1]) / toItem.scale[1]);
    const TAVO::Point<2, float> onPage = page.transform().apply(window);
    page.setLayout(mark, markAnchor, TAVO::Vector<2, float>(0.0f, 0.0f),
                   TAVO::Vector<2, float>(onPage[0], onPage[1]));
}

void GameSelectPanel::placeGameMarks() {
    if (hoveredGame_ >= gamesList_->count())
        return;
    const Component& item = gamesList_->top(hoveredGame_);
    placeMark(*listPage_, *trashMark_, TAVO::Vector<2, float>(0.75f, 0.75f), item, TAVO::Vector<2, float>(1.0f, 1.0f));
    placeMark(*listPage_, *playMark_, centre, item, centre);
}

void GameSelectPanel::placeRestoreMark() {
    if (hoveredTrash_ >= trashList_->count())
        return;
    placeMark(*trashPanel_, *restoreMark_, centre, trashList_->top(hoveredTrash_), centre);
}

bool GameSelectPanel::showsTitlePage() const { return pages_->currentIndex() == titlePageIndex_; }
bool GameSelectPanel::trashShown() const { return trashView_->visible(); }
bool GameSelectPanel::openTrashShown() const { return openTrash_->visible(); }
bool GameSelectPanel::trashMarkShown() const { return trashMark_->visible(); }
bool GameSelectPanel::playMarkShown() const { return playMark_->visible(); }
bool GameSelectPanel::restoreMarkShown() const { return restoreMark_->visible(); }
const Component& GameSelectPanel::trashMark() const { return *trashMark_; }
