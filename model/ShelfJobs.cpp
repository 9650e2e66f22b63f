// The shelf's jobs: what runs on the workspace's worker (saving, loading a
// game, its thumbnail, disposal and compaction) and their completions on the
// main thread.
#include "model/Shelf.h"

#include <exception>

#include "foundation/streams/StreamException.h"
#include "foundation/threads/Log.h"
#include "foundation/threads/TaskThread.h"
#include "model/HeldLines.h"
#include "model/Puzzle.h"
#include "model/SavedGames.h"
#include "model/Setup.h"
#include "model/ShelfSupport.h"
#include "model/Workspace.h"

using ShelfSupport::appendRecord;
using ShelfSupport::contains;

// ---- save jobs ----

Shelf::SaveBufferJob::SaveBufferJob(Shelf& shelf, Kind kind, std::string game, std::string entry, bool append)
    : shelf_(shelf), kind_(kind), game_(std::move(game)), entry_(std::move(entry)), append_(append),
      sequence_(++shelf.sequence_) {}

void Shelf::SaveBufferJob::run() {
    const bool table = kind_ == Kind::snapshot || kind_ == Kind::action;
    try {
        TAVO::Archive* archive = shelf_.archive();
        if (archive == nullptr)
            throw TAVO::StreamException(TAVO::SourceLocation(), "The saved games file is not open. ");
        if (kind_ == Kind::action && shelf_.journalGaps_.count(game_) != 0)
            throw TAVO::StreamException(TAVO::SourceLocation(),
                                        "An earlier write of " + entry_ + " failed: nothing is appended to it "
                                        "until its next snapshot. ");
        std::unique_ptr<TAVO::Package::Writer> writer =
            append_ ? archive->openAppender(entry_) : archive->openWriter(entry_);
        if (!writer) {
            shelf_.log("Unable to write entry " + entry_ + ". Data could not be saved.");
            throw TAVO::StreamException(TAVO::SourceLocation(), "No writer for " + entry_ + ". ");
        }
        const TAVO::Buffer& bytes = bytes_;
        writer->stream().write(bytes.data(), bytes_.size());
        // Commits here, so that a failure is seen and not swallowed when the
        // writer is released.
        writer->stream().flush();
        writer.reset();
        if (table && !append_)
            shelf_.journalGaps_.erase(game_);
        compactionWanted_ = shelf_.maintenanceAllowed_ && !archive->statistics().isCompactEnough();
    } catch (...) {
        if (table)
            shelf_.journalGaps_.insert(game_);
        throw;
    }
}

void Shelf::SaveBufferJob::done() {
    shelf_.saveFinished(*this, true);
    if (compactionWanted_ && !shelf_.closing())
        shelf_.queueCompaction();
}

void Shelf::SaveBufferJob::failed() {
    shelf_.log("Failed to save data to " + entry_ + ".");
    shelf_.saveFinished(*this, false);
}

Shelf::SaveIndexJob::SaveIndexJob(Shelf& shelf) : SaveBufferJob(shelf, Kind::index, "", SavedGames::indexEntry, false) {
    SavedGames::Index index;
    index.idCounter = shelf.idCounter_;
    index.games = shelf.games_;
    index.trash = shelf.trash_;
    SavedGames::write(index, bytes());
}

Shelf::SaveGameSetupJob::SaveGameSetupJob(Shelf& shelf, const std::string& game, const Setup& setup)
    : SaveBufferJob(shelf, Kind::setup, game, SavedGames::setupEntry(game), false) {
    SavedGames::write(setup, bytes());
}

Shelf::SaveGameTableJob::SaveGameTableJob(Shelf& shelf, const std::string& game, const Table& table)
    : SaveBufferJob(shelf, Kind::snapshot, game, SavedGames::tableEntry(game), false) {
    SavedGames::write(table, bytes());
}

Shelf::SaveGameActionJob::SaveGameActionJob(Shelf& shelf, const std::string& game, const TAVO::Buffer& pending,
                                            const Table::TypedAction* action)
    : SaveBufferJob(shelf, Kind::action, game, SavedGames::tableEntry(game), true) {
    TAVO::IncrementalBuffer& out = bytes();
    out = pending;
    if (action != nullptr)
        appendRecord(out, *action);
}

// ---- loading a game ----

Shelf::LoadGameJob::LoadGameJob(Shelf& shelf, std::string game, PictureLoader& loader)
    : shelf_(shelf), game_(std::move(game)), listed_(contains(shelf.games_, game_)), loader_(loader) {}

Shelf::LoadGameJob::~LoadGameJob() {
    // The table refers to the puzzle: it goes first.
    table_.reset();
    puzzle_.reset();
}

void Shelf::LoadGameJob::run() {
    if (shelf_.closing()) {
        skipped_ = true;
        return;
    }
    TAVO::Archive* archive = shelf_.archive();
    if (archive == nullptr) {
        shelf_.log("The saved games file is not open.");
        failed_ = true;
        return;
    }
    TAVO::Log& log = *shelf_.log_;
    setup_ = std::make_unique<Setup>();
    table_ = std::make_unique<Table>();
    TAVO::IncrementalBuffer bytes;
    if (!SavedGames::readEntry(*archive, SavedGames::setupEntry(game_), SavedGames::maximumSetupBytes, bytes)) {
        shelf_.log("Game " + game_ + " setup not found.");
        failed_ = true;
        return;
    }
    SavedGames::readSetup(bytes, *setup_, log);
    const std::string name = setup_->pictureName();
    // The picture decodes on a thread of its own while the cut, the table
    // and the meshes are made here: the cut depends on the stored grid and
    // size alone, never on the pixels. The picture is looked at first, as
    // when one came after the other: a game whose picture cannot be read
    // fails for its picture, whatever its table holds.
    Picture picture;
    bool pictureLoaded = false;
    TAVO::TaskThread decode([&] { pictureLoaded = loader_.loadPicture(name, picture); });
    HeldLines tableLines;
    bool tableFound = false;
    std::exception_ptr tableFailure;
    try {
        puzzle_ = setup_->generate();
        tableFound =
            SavedGames::readEntry(*archive, SavedGames::tableEntry(game_), SavedGames::maximumTableBytes, bytes);
        if (tableFound) {
            replayed_ = SavedGames::readTable(bytes, *puzzle_, *table_, tableLines, game_);
            meshes_.build(*puzzle_, *table_, shelf_.workspace_->lighting());
        }
    } catch (...) {
        tableFailure = std::current_exception();
    }
    decode.join();
    if (!pictureLoaded) {
        shelf_.log("Unable to load picture " + name + " for game " + game_ + ".");
        failed_ = true;
        return;
    }
    setup_->setPicture(name, picture);
    tableLines.passOn(log);
    if (tableFailure)
        std::rethrow_exception(tableFailure);
    if (!tableFound) {
        failed_ = true;
        shelf_.log("Game " + game_ + " progress not found.");
        return;
    }
    // The table now is what the file holds: appending to it is sound again.
    shelf_.journalGaps_.erase(game_);
}

void Shelf::LoadGameJob::done() {
    if (skipped_ || shelf_.closing())
        return;
    if (failed_) {
        failed();
        return;
    }
    // Installed in the order asked for, also when another game was chosen
    // since: that one follows. A game trashed meanwhile is not brought back.
    if (listed_ && !contains(shelf_.games_, game_)) {
        shelf_.log("Game " + game_ + " was not loaded: it left the list of games before it was read.");
        shelf_.workspace_->notifyFailed();
        return;
    }
    shelf_.releaseTable();
    shelf_.currentGame_ = game_;
    shelf_.installedGame_ = game_;
    shelf_.appendsSinceSnapshot_ = replayed_;
    shelf_.clearPending();
    SaveState& state = shelf_.saveStates_[game_];
    state.confirmed = shelf_.sequence_;
    state.gap = false;
    state.snapshotDue = false;
    shelf_.workspace_->installGame(std::move(setup_), std::move(puzzle_), std::move(table_), meshes_);
}

void Shelf::LoadGameJob::failed() {
    if (skipped_ || shelf_.closing())
        return;
    shelf_.log("Unable to load game " + game_ + ".");
    const auto found = shelf_.descriptions_.find(game_);
    if (found != shelf_.descriptions_.end()) {
        found->second.broken = true;
        shelf_.notifyChanged(game_);
    }
    // Answered also when another game was chosen since: that one's answer follows.
    shelf_.workspace_->notifyFailed();
}

// ---- thumbnails ----

Shelf::LoadThumbnailJob::LoadThumbnailJob(Shelf& shelf, std::string game, PictureLoader& loader)
    : shelf_(shelf), game_(std::move(game)), loader_(loader) {}

void Shelf::LoadThumbnailJob::run() {
    if (shelf_.closing()) {
        skipped_ = true;
        return;
    }
    TAVO::Archive* archive = shelf_.archive();
    if (archive == nullptr)
        return;
    TAVO::IncrementalBuffer bytes;
    if (!SavedGames::readEntry(*archive, SavedGames::setupEntry(game_), SavedGames::maximumSetupBytes, bytes)) {
        shelf_.log("Game " + game_ + " setup needed for thumbnail not found.");
        failed_ = true;
        return;
    }
    Setup setup;
    SavedGames::readSetup(bytes, setup, *shelf_.log_);
    // Thumbnails asked for one after another arrive in that order.
    loader_.loadAsync(setup.pictureName(), PictureLoader::thumbnailSide,
                      std::make_unique<ThumbnailNotifier>(shelf_, game_, setup.pictureName()));
    asked_ = true;
}

void Shelf::LoadThumbnailJob::done() {
    // The notifier answers for a picture that is on its way.
    if (skipped_ || shelf_.closing() || asked_)
        return;
    shelf_.thumbnailArrived(game_, nullptr, failed_);
}

void Shelf::LoadThumbnailJob::failed() {
    if (skipped_ || shelf_.closing())
        return;
    shelf_.log("Load thumnail for game " + game_ + " failed.");
    shelf_.thumbnailArrived(game_, nullptr, true);
}

Shelf::ThumbnailNotifier::ThumbnailNotifier(Shelf& shelf, std::string game, std::string picture)
    : shelf_(shelf), game_(std::move(game)), picture_(std::move(picture)) {}

void Shelf::ThumbnailNotifier::loaded(const std::string&, const Picture& thumbnail) {
    if (!shelf_.closing())
        shelf_.thumbnailArrived(game_, &thumbnail, false);
}

void Shelf::ThumbnailNotifier::failed() {
    if (shelf_.closing())
        return;
    shelf_.log("Unable to load picture " + picture_ + " for game " + game_ + " thumbnail.");
    shelf_.thumbnailArrived(game_, nullptr, true);
}

// ---- disposal and compaction ----

Shelf::DisposeGamesJob::DisposeGamesJob(Shelf& shelf, std::vector<std::string> games)
    : shelf_(shelf), games_(std::move(games)) {}

void Shelf::DisposeGamesJob::run() {
    TAVO::Archive* archive = shelf_.archive();
    if (archive == nullptr)
        return;
    // An entry already gone (the game was half saved) is passed over.
    for (const std::string& id : games_)
        for (const std::string& entry : {SavedGames::tableEntry(id), SavedGames::setupEntry(id)})
            if (archive->exists(entry))
                archive->remove(entry);
    compactionWanted_ = shelf_.maintenanceAllowed_ && !archive->statistics().isCompactEnough();
}

void Shelf::DisposeGamesJob::done() {
    if (compactionWanted_ && !shelf_.closing())
        shelf_.queueCompaction();
}

Shelf::CompactJob::CompactJob(Shelf& shelf, std::set<std::string> games) : shelf_(shelf), games_(std::move(games)) {}

void Shelf::CompactJob::run() {
    if (!shelf_.maintenanceAllowed_ || shelf_.closing())
        return;
    TAVO::Archive* archive = shelf_.archive();
    if (archive == nullptr || archive->statistics().isCompactEnough())
        return;
    std::vector<std::string> unused;
    for (auto names = archive->iterateShared(); names->valid(); names->advance()) {
        const std::string name = names->current();
        const std::string id = SavedGames::gameOf(name);
        if (name != SavedGames::indexEntry && !id.empty() && games_.count(id) == 0)
            unused.push_back(name);
    }
    for (const std::string& name : unused)
        archive->remove(name);
    bool compacted = false;
    std::string error;
    try {
        compacted = shelf_.archive_->compact();
        error = shelf_.archive_->error();
    } catch (const TAVO::Exception& e) {
        // The copy could not be written (a full disk): the file stays as it was.
        error = e.message();
    }
    if (!compacted) {
        shelf_.maintenanceAllowed_ = false;
        shelf_.log("Compactation failed: " + error);
    }
    if (!shelf_.archive_->hasArchive()) {
        shelf_.maintenanceAllowed_ = false;
        shelf_.archive_.reset();
        shelf_.log("Unable open save file after compactation.");
    }
}
