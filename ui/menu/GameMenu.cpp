#include "ui/menu/GameMenu.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/text/Parameters.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"
#include "geometry/Color.h"
#include "model/Setup.h"
#include "model/Table.h"
#include "model/Workspace.h"
#include "sdlgl/Texture.h"
#include "ui/PictureTexture.h"
#include "ui/Button.h"
#include "ui/Panel.h"
#include "ui/SegmentedControl.h"
#include "ui/SharedComponent.h"
#include "ui/Slider.h"
#include "ui/Switch.h"
#include "ui/menu/GameSelectPanel.h"
#include "ui/menu/HeightOnlyResize.h"
#include "ui/menu/MenuBuilder.h"
#include "ui/menu/MenuView.h"
#include "ui/menu/PictureSelectPanel.h"
#include "ui/menu/PuzzleSetupPanel.h"
#include "ui/menu/TrayBar.h"

namespace {

const TAVO::Vector<2, float> centre(0.5f, 0.5f);
const TAVO::Vector<2, float> topCentre(0.5f, 1.0f);
const TAVO::Vector<2, float> bottomCentre(0.5f, 0.0f);
const TAVO::Vector<2, float> topLeft(0.0f, 1.0f);
const TAVO::Vector<2, float> topRight(1.0f, 1.0f);
const TAVO::Vector<2, float> rightMiddle(1.0f, 0.5f);
const TAVO::Hyperrectangle<2, float> wholeTexture(TAVO::Point<2, float>(0.0f, 0.0f),
                                                  TAVO::Tuple<2, float>(1.0f, 1.0f));
// The size pages are built with; the view sizes them at once.
const TAVO::Tuple<2, float> pageSize(200.0f, 200.0f);

// The knots of the piece-count scale.
const float knotPositions[4] = {0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f};
const float knotCounts[4] = {2.0f, 200.0f, 2000.0f, 10000.0f};

// A colour counts as a preset when its squared distance is below this.
constexpr float presetDistance = 0.001f;

class PatternSelectEventHandler : public SegmentedControl::EventHandler {
public:
    explicit PatternSelectEventHandler(GameMenu* menu) : menu_(menu) {}
    void selected(std::uint32_t index) override { menu_->changeBackground(GameMenu::BackgroundField::pattern, index); }

private:
    GameMenu* menu_;
};

class ColorSelectEventHandler : public SegmentedControl::EventHandler {
public:
    explicit ColorSelectEventHandler(GameMenu* menu) : menu_(menu) {}
    void selected(std::uint32_t index) override { menu_->changeBackground(GameMenu::BackgroundField::color, index); }

private:
    GameMenu* menu_;
};

class PreviewSelectEventHandler : public SegmentedControl::EventHandler {
public:
    explicit PreviewSelectEventHandler(GameMenu* menu) : menu_(menu) {}
    void selected(std::uint32_t index) override { menu_->changeBackground(GameMenu::BackgroundField::preview, index); }

private:
    GameMenu* menu_;
};

class PictureSelectHandler : public ItemSelect::EventHandler {
public:
    explicit PictureSelectHandler(GameMenu* menu) : menu_(menu) {}
    void pressed(std::uint32_t index) override { menu_->choosePicture(index); }

private:
    GameMenu* menu_;
};

class PiecesUpdatedHandler : public Slider::EventHandler {
public:
    explicit PiecesUpdatedHandler(GameMenu* menu) : menu_(menu) {}
    void valueChanged(float value) override { menu_->piecesChanged(value); }

private:
    GameMenu* menu_;
};

class GameSelectHandler : public GameSelectPanel::GameSelectEventHandler {
public:
    explicit GameSelectHandler(GameMenu* menu) : menu_(menu) {}
    void newGame() override { menu_->showPictures(); }
    void playGame(std::uint32_t index) override { menu_->playGame(index); }

private:
    GameMenu* menu_;
};

// A segmented control of the choices, each shown on the two segment faces.
std::unique_ptr<SegmentedControl> segmentedControl(MenuBuilder& builder,
                                                   const std::vector<std::shared_ptr<Component>>& choices,
                                                   std::unique_ptr<SegmentedControl::EventHandler> handler) {
    std::vector<SegmentedControl::Segment> segments;
    for (const auto& choice : choices) {
        auto faces = builder.segmentFaces(choice);
        SegmentedControl::Segment segment;
        segment.selectedLook = std::move(faces.first);
        segment.normalLook = std::move(faces.second);
        segments.push_back(std::move(segment));
    }
    const TAVO::Tuple<2, float> size = SegmentedControl::arrange(segments);
    return std::make_unique<SegmentedControl>(size, std::move(segments), std::move(handler));
}

// A page's opaque translucent grey panel.
std::unique_ptr<Panel> veiledPage(MenuBuilder& builder) {
    const MenuStyle& style = builder.style();
    auto page = std::make_unique<Panel>(pageSize, true);
    page->add(builder.rectangleWithAlpha(pageSize, style.veilColor, style.veilAlpha), centre, centre, true);
    return page;
}

} // namespace

// ---- the picture notifier ----

void GameMenu::SelectedPictureNotifier::loaded(const std::string& path, const Picture& picture) {
    const std::shared_ptr<GameMenu*> menu = menu_.lock();
    if (menu)
        (*menu)->pictureLoaded(request_, index_, path, picture);
}

void GameMenu::SelectedPictureNotifier::failed() {
    const std::shared_ptr<GameMenu*> menu = menu_.lock();
    if (menu)
        (*menu)->pictureFailed(request_, index_, path_);
}

// ---- the menu ----

GameMenu::GameMenu(Workspace& workspace, MenuView& view)
    : workspace_(&workspace), view_(&view), self_(std::make_shared<GameMenu*>(this)) {}

GameMenu::~GameMenu() = default;

Component& GameMenu::root() const {
    if (!root_)
        throw TAVO::UninitializedException(TAVO::SourceLocation(), "game menu");
    return *root_;
}

void GameMenu::setup(Shape::ShapeShader& shader, const TAVO::Package& package,
                     const TAVO::Parameters& configuration) {
    const MenuStyle& style = MenuStyle::standard;
    auto pages = std::make_unique<Switch>();
    Switch* pageSwitch = pages.get();

    ShapeFile dotsFile;
    loadShapeFile(dotsFile, package, "assets/dots.dat");
    auto dots = std::make_shared<Shape>(shader, dotsFile, style.iconSize, style.iconColor, false);
    Shape* dotsShape = dots.get();
    MenuBuilder builder(shader, package, dots, style);

    auto fullscreen = std::make_shared<Switch>();
    const std::uint32_t expand = fullscreen->add(builder.iconButtonFace("assets/expand.dat"));
    const std::uint32_t collapse = fullscreen->add(builder.iconButtonFace("assets/collapse.dat"));
    auto fullscreenButton = [&]() {
        return builder.memberButton(std::make_unique<SharedComponent>(std::shared_ptr<Component>(fullscreen)), this,
                                    &GameMenu::toggleFullscreen, Button::noKey);
    };

    std::uint32_t index[7] = {};
    // Loading: opaque, so that nothing reaches the table while a game loads.
    auto loading = std::make_unique<Panel>(pageSize, true);
    loading->add(builder.rectangle(pageSize, style.pageColor), centre, centre, true);
    loading->add(builder.busyIndicator(), centre, centre, false);
    index[std::uint32_t(Page::loading)] = pageSwitch->add(std::move(loading));

    // In game: not opaque, so that the table gets what the buttons leave.
    auto inGame = std::make_unique<Panel>(pageSize, false);
    Switch* barSwitch = nullptr;
    TrayBar* bar = nullptr;
    std::uint32_t barShown = 0, barHidden = 0;
    // Developer mode only when the key is there and exactly "true".
    if (configuration.has("developer_mode") && TAVO::isParameterTrue(configuration, "developer_mode")) {
        auto arrowButton = [&](const char* name, void (GameMenu::*action)()) {
            auto face = std::make_unique<Panel>(TAVO::Tuple<2, float>(48.0f, 48.0f), false);
            face->add(std::make_unique<Shape>(shader, builder.loadShape(name), TAVO::Tuple<2, float>(32.0f, 32.0f),
                                              style.listBorderColor, false),
                      centre, centre, false);
            return builder.memberButton(std::unique_ptr<Component>(std::move(face)), this, action, Button::noKey);
        };
        auto left = arrowButton("assets/left.dat", &GameMenu::showTrayBar);
        auto right = arrowButton("assets/right.dat", &GameMenu::hideTrayBar);
        const float side = left->size()[0];
        auto opener = std::make_unique<Panel>(TAVO::Tuple<2, float>(side, side), false);
        opener->add(builder.rectangle(pageSize, style.pageColor), centre, centre, true);
        opener->add(std::move(left), topRight, topRight, false);
        auto trayBar = std::make_unique<TrayBar>(builder, *view_, *workspace_, std::move(right));
        bar = trayBar.get();
        auto switcher = std::make_unique<Switch>();
        barSwitch = switcher.get();
        barShown = switcher->add(std::move(trayBar));
        barHidden = switcher->add(std::make_unique<HeightOnlyResize>(std::move(opener)));
        switcher->select(barHidden);
        inGame->add(std::move(switcher), rightMiddle, rightMiddle, true);
    }
    auto menuButton = builder.memberButton("assets/menu.dat", this, &GameMenu::showMenuPage, Component::escapeKey);
    const TAVO::Tuple<2, float> menuSize = menuButton->size();
    inGame->add(std::move(menuButton), topLeft, topLeft, TAVO::Vector<2, float>(menuSize[0] / 2.0f, -menuSize[1] / 2.0f),
                false);
    index[std::uint32_t(Page::inGame)] = pageSwitch->add(std::move(inGame));

    // Menu: opaque, so that the table cannot be touched under it.
    auto menu = veiledPage(builder);
    menu->add(builder.memberButton("assets/house.dat", this, &GameMenu::leaveGame, Button::noKey), centre,
              TAVO::Vector<2, float>(0.5f, 5.0f / 6.0f), false);
    menu->add(builder.memberButton("assets/roll.dat", this, &GameMenu::showTableOptions, Button::noKey), centre, centre,
              false);
    menu->add(builder.memberButton("assets/abort.dat", this, &GameMenu::showInGame, Component::escapeKey), centre,
              TAVO::Vector<2, float>(0.5f, 1.0f / 6.0f), false);
    menu->add(fullscreenButton(), topRight, TAVO::Vector<2, float>(0.95f, 0.95f), false);
    index[std::uint32_t(Page::menu)] = pageSwitch->add(std::move(menu));

    // Table options.
    const ShapeFile& roundSquare = builder.loadShape(MenuBuilder::roundSquareName);
    std::vector<std::shared_ptr<Component>> patternChoices, colorChoices, previewChoices;
    Shape* previews[patternCount] = {};
    for (std::uint32_t i = 0; i < patternCount; ++i) {
        auto choice =
            std::make_shared<Shape>(shader, roundSquare, style.iconSize, TAVO::Color::interfaceColors[0], true);
        previews[i] = choice.get();
        patternChoices.push_back(std::move(choice));
    }
    for (std::uint32_t i = 0; i < colorCount; ++i)
        colorChoices.push_back(
            std::make_shared<Shape>(shader, roundSquare, style.iconSize, TAVO::Color::interfaceColors[i], false));
    const TAVO::Tuple<2, float> previewSize(1.2f * style.iconSize[0], 1.2f * style.iconSize[1]);
    for (const char* name : {"assets/dashed.dat", "assets/square.dat", "assets/landscape.dat"}) {
        auto choice = std::make_shared<Panel>(previewSize, false);
        choice->add(std::make_unique<Shape>(shader, builder.loadShape(MenuBuilder::roundSquareName), style.iconSize,
                                            style.innerColor, false),
                    centre, centre, false);
        choice->add(std::make_unique<Shape>(shader, builder.loadShape(name), style.iconSize, style.iconColor, false),
                    centre, centre, false);
        previewChoices.push_back(std::move(choice));
    }
    auto patternControl =
        segmentedControl(builder, patternChoices, std::make_unique<PatternSelectEventHandler>(this));
    auto colorControl = segmentedControl(builder, colorChoices, std::make_unique<ColorSelectEventHandler>(this));
    auto previewControl =
        segmentedControl(builder, previewChoices, std::make_unique<PreviewSelectEventHandler>(this));
    SegmentedControl* patterns = patternControl.get();
    SegmentedControl* colors = colorControl.get();
    SegmentedControl* previewsControl = previewControl.get();
    const TAVO::Tuple<2, float> ps = patternControl->size(), cs = colorControl->size();
    auto choices = std::make_unique<Panel>(
        TAVO::Tuple<2, float>(std::max(ps[0], cs[0]), 1.1f * (ps[1] + cs[1])), false);
    choices->add(std::move(patternControl), topCentre, topCentre, false);
    choices->add(std::move(colorControl), bottomCentre, bottomCentre, false);
    auto options = veiledPage(builder);
    options->add(std::move(choices), centre, TAVO::Vector<2, float>(0.5f, 5.0f / 6.0f), false);
    options->add(std::move(previewControl), centre, centre, false);
    options->add(builder.memberButton("assets/abort.dat", this, &GameMenu::showInGame, Component::escapeKey), centre,
                 TAVO::Vector<2, float>(0.5f, 1.0f / 6.0f), false);
    index[std::uint32_t(Page::tableOptions)] = pageSwitch->add(std::move(options));

    auto gameSelect = std::make_unique<GameSelectPanel>(
        builder, *workspace_, pageSize, builder.memberButton("assets/door.dat", this, &GameMenu::quit, Button::noKey),
        fullscreenButton(), std::make_unique<GameSelectHandler>(this));
    GameSelectPanel* gameSelectPanel = gameSelect.get();
    index[std::uint32_t(Page::gameSelection)] = pageSwitch->add(std::move(gameSelect));

    auto picture = std::make_unique<PictureSelectPanel>(
        builder, pageSize, workspace_->gallery(),
        builder.memberButton("assets/abort.dat", this, &GameMenu::backToGames, Component::escapeKey),
        builder.memberButton("assets/play.dat", this, &GameMenu::showSetup, Component::enterKey),
        builder.memberButton("assets/abort.dat", this, &GameMenu::cancelPreview, Component::escapeKey),
        std::make_unique<PictureSelectHandler>(this));
    PictureSelectPanel* picturePanel = picture.get();
    index[std::uint32_t(Page::picture)] = pageSwitch->add(std::move(picture));

    auto setupPage = std::make_unique<PuzzleSetupPanel>(
        builder, pageSize, builder.memberButton(builder.puzzleIcon(2, 0), this, &GameMenu::stepPiecesDown, Button::noKey),
        builder.memberButton(builder.puzzleIcon(9, 0), this, &GameMenu::stepPiecesUp, Button::noKey),
        builder.memberButton("assets/abort.dat", this, &GameMenu::backToPictures, Component::escapeKey),
        builder.memberButton("assets/play.dat", this, &GameMenu::startNewGame, Component::enterKey),
        std::make_unique<PiecesUpdatedHandler>(this));
    PuzzleSetupPanel* setupPanel = setupPage.get();
    index[std::uint32_t(Page::setup)] = pageSwitch->add(std::move(setupPage));

    // Everything is built: the new tree replaces the old one at once.
    root_ = std::move(pages);
    pages_ = pageSwitch;
    std::copy(std::begin(index), std::end(index), std::begin(pageIndex_));
    gameSelectPanel_ = gameSelectPanel;
    picturePanel_ = picturePanel;
    setupPanel_ = setupPanel;
    previewControl_ = previewsControl;
    patternControl_ = patterns;
    colorControl_ = colors;
    std::copy(std::begin(previews), std::end(previews), std::begin(patternPreviews_));
    trayBarSwitch_ = barSwitch;
    barShownIndex_ = barShown;
    barHiddenIndex_ = barHidden;
    trayBar_ = bar;
    fullscreenSwitch_ = fullscreen.get();
    expandIndex_ = expand;
    collapseIndex_ = collapse;
    dots_ = dotsShape;
    updateFullscreenIcon();
    showPieceCount(workspace_->menuSetup().pieceCount());
    showPage(Page::gameSelection);
}

void GameMenu::setGeometry(const TAVO::Tuple<2, float>& size) { root().setGeometry(size); }

void GameMenu::animate(float dt) {
    phase_ += dt;
    // Whole seconds go at once, so that no step can keep this busy.
    if (!std::isfinite(phase_) || phase_ < 0.0f)
        phase_ = 0.0f;
    else if (phase_ > 1.0f)
        phase_ -= std::ceil(phase_ - 1.0f);
    if (dots_ != nullptr)
        dots_->setColor(TAVO::Color(phase_, phase_, phase_), 1.0f);
}

void GameMenu::setPatternPreview(std::uint32_t index, std::shared_ptr<Shape::Texture> texture) {
    if (index >= patternCount || patternPreviews_[index] == nullptr)
        return;
    patternPreviews_[index]->setTexture(std::move(texture), wholeTexture);
}

const Shape* GameMenu::patternPreview(std::uint32_t index) const {
    return index < patternCount ? patternPreviews_[index] : nullptr;
}

void GameMenu::showPage(Page page) {
    if (pages_ != nullptr)
        pages_->select(pageIndex_[std::uint32_t(page)]);
}

GameMenu::Page GameMenu::currentPage() const {
    const std::uint32_t current = pages_ == nullptr ? 0u : pages_->currentIndex();
    for (std::uint32_t page = 0; page < 7; ++page)
        if (pageIndex_[page] == current)
            return Page(page);
    return Page::loading;
}

// Lines quote picture paths from the gallery folder and exception messages:
// each stays one printable line.
void GameMenu::log(const std::string& text) const {
    TAVO::Log::line(workspace_->log().entry()) << TAVO::Text::printable(text);
}

// ---- the model's notifications ----

void GameMenu::puzzleLoaded() {
    if (pages_ == nullptr)
        return;
    Table& table = workspace_->table();
    // Each selection records the value the table has already: a damaged
    // value that names no choice is left out.
    const Tray::Background background = table.background();
    if (background.preview() < previewCount)
        previewControl_->select(background.preview());
    if (background.pattern() < patternCount)
        patternControl_->select(background.pattern());
    for (std::uint32_t i = 0; i < colorCount; ++i) {
        const TAVO::Color& preset = TAVO::Color::interfaceColors[i];
        float distance = 0.0f;
        for (int c = 0; c < 3; ++c) {
            const float d = preset.rgb()[c] - background.colour().rgb()[c];
            distance += d * d;
        }
        if (distance < presetDistance)
            colorControl_->select(i);
    }
    if (trayBar_ != nullptr) {
        const std::vector<unsigned int> order(workspace_->table().trayOrder().begin(),
                                              workspace_->table().trayOrder().end());
        trayBar_->setTrays(order);
        trayBarSwitch_->select(order.size() < 2 ? barHiddenIndex_ : barShownIndex_);
    }
    showPage(Page::inGame);
}

void GameMenu::showGameSelection() { showPage(Page::gameSelection); }

void GameMenu::addTray(std::uint32_t tray) {
    if (trayBar_ != nullptr)
        trayBar_->addTray(tray);
}

void GameMenu::removeTray(std::uint32_t tray) {
    if (trayBar_ != nullptr)
        trayBar_->removeTray(tray);
}

void GameMenu::invalidateTrayThumbnail(std::uint32_t tray) {
    if (trayBar_ != nullptr)
        trayBar_->invalidate(tray);
}

void GameMenu::highlightTray(std::uint32_t tray) {
    if (trayBar_ != nullptr)
        trayBar_->highlight(tray);
}

void GameMenu::updateFullscreenIcon() {
    if (fullscreenSwitch_ != nullptr)
        fullscreenSwitch_->select(view_->isFullscreen() ? collapseIndex_ : expandIndex_);
}

bool GameMenu::trayBarShown() const {
    return trayBarSwitch_ != nullptr && trayBarSwitch_->currentIndex() == barShownIndex_;
}

bool GameMenu::showsCollapseIcon() const {
    return fullscreenSwitch_ != nullptr && fullscreenSwitch_->currentIndex() == collapseIndex_;
}

// ---- buttons ----

void GameMenu::showMenuPage() { showPage(Page::menu); }

void GameMenu::showTrayBar() {
    if (trayBarSwitch_ != nullptr)
        trayBarSwitch_->select(barShownIndex_);
}

void GameMenu::hideTrayBar() {
    if (trayBarSwitch_ != nullptr)
        trayBarSwitch_->select(barHiddenIndex_);
}

void GameMenu::leaveGame() {
    workspace_->shelf().saveTable();
    showPage(Page::gameSelection);
}

void GameMenu::showTableOptions() { showPage(Page::tableOptions); }

void GameMenu::showInGame() { showPage(Page::inGame); }

void GameMenu::toggleFullscreen() {
    try {
        view_->toggleFullscreen();
    } catch (const TAVO::Exception& e) {
        log("Unable to switch between window and full screen: " + e.message());
    }
    updateFullscreenIcon();
}

void GameMenu::showPictures() {
    // A load still under way no longer concerns the page.
    ++pictureRequest_;
    picturePanel_->closeOverlay();
    showPage(Page::picture);
}

void GameMenu::backToGames() {
    cancelPreview();
    showPage(Page::gameSelection);
}

void GameMenu::showSetup() {
    showPieceCount(workspace_->menuSetup().pieceCount());
    showPage(Page::setup);
}

void GameMenu::cancelPreview() {
    ++pictureRequest_;
    picturePanel_->closeOverlay();
}

void GameMenu::stepPiecesDown() {
    Setup& setup = workspace_->menuSetup();
    setup.stepPieceCount(false);
    showPieceCount(setup.pieceCount());
}

void GameMenu::stepPiecesUp() {
    Setup& setup = workspace_->menuSetup();
    setup.stepPieceCount(true);
    showPieceCount(setup.pieceCount());
}

void GameMenu::startNewGame() {
    showPage(Page::loading);
    workspace_->newGame();
    if (picturePanel_ != nullptr)
        cancelPreview();
    workspace_->menuSetup().releasePicture();
}

void GameMenu::backToPictures() {
    ++pictureRequest_;
    picturePanel_->closeOverlay();
    showPage(Page::picture);
}

// ---- handlers ----

void GameMenu::changeBackground(BackgroundField field, std::uint32_t index) {
    Table& table = workspace_->table();
    const Tray::Background& old = table.background();
    Tray::Background changed;
    switch (field) {
    case BackgroundField::pattern:
        if (index >= patternCount)
            return;
        changed = Tray::Background(old.preview(), old.colour(), index);
        break;
    case BackgroundField::color:
        if (index >= colorCount)
            return;
        changed = Tray::Background(old.preview(), TAVO::Color::interfaceColors[index], old.pattern());
        break;
    case BackgroundField::preview:
        if (index >= previewCount)
            return;
        changed = Tray::Background(index, old.colour(), old.pattern());
        break;
    }
    // A background the table refuses (one read damaged) is not recorded.
    if (!changed.valid())
        return;
    Table::TypedAction& action = table.changeBackground(changed);
    action.action().apply(table);
    workspace_->shelf().saveAction(action);
}

void GameMenu::choosePicture(std::uint32_t index) {
    PictureGallery& gallery = workspace_->gallery();
    if (index >= gallery.entries().size())
        return;
    const std::string path = gallery.entries()[index].path;
    picturePanel_->showWaiting();
    const std::uint64_t request = ++pictureRequest_;
    workspace_->loader().loadAsync(path,
                                   std::make_unique<SelectedPictureNotifier>(self_, request, index, path));
}

void GameMenu::pictureLoaded(std::uint64_t request, std::uint32_t index, const std::string& path,
                             const Picture& picture) {
    if (request != pictureRequest_ || picturePanel_ == nullptr)
        return;
    auto texture = std::make_shared<Shape::Texture>();
    try {
        PictureTexture::upload(*texture, picture);
    } catch (const TAVO::Exception& e) {
        log("Unable to show the picture " + path + ": " + e.message());
        pictureFailed(request, index, path);
        return;
    }
    workspace_->menuSetup().setPicture(path, picture);
    const TAVO::Migration::ImageMetadata& metadata = picture.metadataConst();
    picturePanel_->showPreview(std::move(texture), TAVO::Tuple<2, unsigned int>(metadata.width(), metadata.height()));
}

void GameMenu::pictureFailed(std::uint64_t request, std::uint32_t index, const std::string& path) {
    // The picture cannot be read: it leaves the gallery wherever it is now.
    PictureGallery& gallery = workspace_->gallery();
    std::uint32_t at = index;
    if (gallery.find(path, at))
        gallery.remove(at);
    // The overlay closes as a cancel closes it: the request is over.
    if (request == pictureRequest_ && picturePanel_ != nullptr) {
        ++pictureRequest_;
        picturePanel_->closeOverlay();
    }
}

void GameMenu::piecesChanged(float position) {
    Setup& setup = workspace_->menuSetup();
    setup.setRequestedPieceCount(countOfPosition(position));
    showPieceCount(setup.pieceCount());
}

void GameMenu::playGame(std::uint32_t index) {
    Shelf& shelf = workspace_->shelf();
    if (index >= shelf.games().size())
        return;
    shelf.setCurrentGame(shelf.games()[index]);
    showPage(Page::loading);
    shelf.loadGame();
}

void GameMenu::showPieceCount(std::uint32_t count) {
    if (setupPanel_ == nullptr)
        return;
    PuzzleSetupPanel::setTextNumber(setupPanel_->digits(), count);
    setupPanel_->slider().setValue(positionOfCount(count), false);
}

// ---- the piece-count scale ----

std::uint32_t GameMenu::countOfPosition(float position) {
    if (!(position >= knotPositions[0]))
        return std::uint32_t(knotCounts[0]);
    if (position > knotPositions[3])
        return std::uint32_t(knotCounts[3]);
    std::uint32_t k = 1;
    while (k < 3 && position > knotPositions[k])
        ++k;
    const float count = (position - knotPositions[k - 1]) / (knotPositions[k] - knotPositions[k - 1]) *
                            (knotCounts[k] - knotCounts[k - 1]) +
                        knotCounts[k - 1];
    return std::uint32_t(std::lround(count));
}

float GameMenu::positionOfCount(std::uint32_t count) {
    const float x = float(count);
    if (x < knotCounts[0])
        return knotPositions[0];
    if (x > knotCounts[3])
        return knotPositions[3];
    std::uint32_t k = 1;
    while (k < 3 && x > knotCounts[k])
        ++k;
    return (x - knotCounts[k - 1]) / (knotCounts[k] - knotCounts[k - 1]) * (knotPositions[k] - knotPositions[k - 1]) +
           knotPositions[k - 1];
}
