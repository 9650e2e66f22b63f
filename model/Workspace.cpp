#include "model/Workspace.h"

#include "foundation/exceptions/ExceptionHandler.h"
#include "foundation/text/Parameters.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"
#include "model/PartMeshException.h"
#include "model/Puzzle.h"
#include "model/PuzzleEventHandler.h"
#include "model/Setup.h"
#include "model/Table.h"

namespace {

unsigned int patternOf(const std::string& text) {
    if (text == "blank")
        return Tray::Background::blankPattern;
    if (text == "cloth")
        return Tray::Background::clothPattern;
    if (text == "diamonds")
        return Tray::Background::diamondsPattern;
    if (text == "checker")
        return Tray::Background::checkerPattern;
    return Tray::Background::blankPattern;
}

unsigned int previewOf(const std::string& text) {
    if (text == "blank")
        return Tray::Background::blankPreview;
    if (text == "picture")
        return Tray::Background::picturePreview;
    return Tray::Background::noPreview;
}

} // namespace

// ---- the new-game job ----

Workspace::NewGameJob::NewGameJob(Workspace& workspace, std::unique_ptr<Setup> setup)
    : workspace_(workspace), setup_(std::move(setup)) {}

Workspace::NewGameJob::~NewGameJob() {
    // The table refers to the puzzle: it goes first.
    table_.reset();
    puzzle_.reset();
}

void Workspace::NewGameJob::run() {
    if (workspace_.shelf_.closing()) {
        skipped_ = true;
        return;
    }
    puzzle_ = setup_->generate();
    table_ = std::make_unique<Table>();
    table_->setBackground(workspace_.defaultBackground());
    table_->scatter(puzzle_.get(), setup_->puzzleSize());
    try {
        meshes_.build(*puzzle_, *table_, workspace_.lighting());
    } catch (const PartMeshException& e) {
        TAVO::Log::line(workspace_.log().entry())
            << "Unable to start a new game of " << TAVO::Text::printable(setup_->pictureName()) << ": " << e.message();
        failed_ = true;
    }
}

void Workspace::NewGameJob::done() {
    if (skipped_ || workspace_.shelf_.closing())
        return;
    if (failed_) {
        failed();
        return;
    }
    workspace_.shelf_.releaseTable();
    workspace_.replaceGame(std::move(setup_), std::move(puzzle_), std::move(table_));
    // The game is registered (and its saving begun) before anyone hears of
    // it, so that what the handler does is saved into this game.
    workspace_.shelf_.newGame();
    if (workspace_.handler_ != nullptr)
        workspace_.handler_->puzzleLoaded(meshes_);
}

void Workspace::NewGameJob::failed() {
    if (skipped_ || workspace_.shelf_.closing())
        return;
    workspace_.notifyFailed();
}

// ---- the workspace ----

Workspace::Workspace(TAVO::Log& log, TAVO::ExceptionHandler& exceptionHandler,
                     const TAVO::Parameters& configuration)
    : log_(log), shelf_(*this, worker_, log), menuSetup_(std::make_unique<Setup>()),
      currentSetup_(std::make_unique<Setup>()), table_(std::make_unique<Table>()), loader_(log) {
    gallery_ = std::make_unique<PictureGallery>(loader_);
    // The configuration is read before any thread starts, so that a bad value
    // leaves nothing running.
    lighting_ = configuration.get("lighting") == "attribute";
    const unsigned int pattern = patternOf(configuration.get("tray_pattern"));
    const float blue = configuration.getFloat("tray_blue");
    const float green = configuration.getFloat("tray_green");
    const float red = configuration.getFloat("tray_red");
    const unsigned int preview = previewOf(configuration.get("tray_preview"));
    defaultBackground_ = Tray::Background(preview, TAVO::Color(red, green, blue), pattern);
    loader_.setExceptionHandler(&exceptionHandler);
    loader_.start();
    worker_.setExceptionHandler(&exceptionHandler);
    worker_.start();
}

Workspace::~Workspace() {
    try {
        stop();
    } catch (...) {
        // A destructor lets nothing out; stop logged what it could.
    }
    // The table refers to the puzzle: it goes first.
    table_.reset();
    puzzle_.reset();
}

void Workspace::setEventHandler(PuzzleEventHandler* handler) {
    handler_ = handler;
    table_->setEventHandler(handler);
}

void Workspace::setGalleryDirectory(const std::string& path) { gallery_->setDirectory(path); }

std::uint64_t Workspace::poll() {
    const std::uint64_t loads = loader_.poll();
    return loads + worker_.poll();
}

void Workspace::stop() {
    if (stopped_)
        return;
    stopped_ = true;
    // From here on completions only log: the view and the menu may be gone.
    // Whatever fails here, the queued saves still run.
    try {
        shelf_.close();
    } catch (const TAVO::Exception& e) {
        TAVO::Log::line(log_.entry()) << "Shut-down: " << e.message();
    } catch (const std::exception& e) {
        TAVO::Log::line(log_.entry()) << "Shut-down: " << e.what();
    }
    loader_.stop();
    worker_.stopDraining();
    // Failed saves are logged by their completions. One that throws is
    // logged and the rest still delivered.
    while (worker_.unfinished() > 0) {
        try {
            worker_.poll();
            break;
        } catch (const TAVO::Exception& e) {
            TAVO::Log::line(log_.entry()) << "Shut-down: " << e.message();
        } catch (const std::exception& e) {
            TAVO::Log::line(log_.entry()) << "Shut-down: " << e.what();
        }
    }
}

void Workspace::newGame() {
    shelf_.releaseTable();
    table_->reset();
    puzzle_.reset();
    worker_.add(std::make_unique<NewGameJob>(*this, std::make_unique<Setup>(*menuSetup_)));
}

void Workspace::installGame(std::unique_ptr<Setup> setup, std::unique_ptr<Puzzle> puzzle,
                            std::unique_ptr<Table> table, PartMeshSet& meshes) {
    replaceGame(std::move(setup), std::move(puzzle), std::move(table));
    if (handler_ != nullptr)
        handler_->puzzleLoaded(meshes);
}

void Workspace::notifyFailed() {
    if (handler_ != nullptr)
        handler_->puzzleFailed();
}

void Workspace::replaceGame(std::unique_ptr<Setup> setup, std::unique_ptr<Puzzle> puzzle,
                            std::unique_ptr<Table> table) {
    currentSetup_ = std::move(setup);
    // The old table refers to the old puzzle: it goes first.
    table_ = std::move(table);
    puzzle_ = std::move(puzzle);
    table_->setEventHandler(handler_);
}
