#include "model/Shelf.h"

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"
#include "model/SavedGames.h"
#include "model/ShelfSupport.h"
#include "model/Workspace.h"

using ShelfSupport::appendRecord;
using ShelfSupport::contains;
using ShelfSupport::indexOf;

const char* const Shelf::damagedSuffix = ".damaged";
const char* const Shelf::unavailableMessage = "Saves will not be available.";

// ---- the shelf on the main thread ----

Shelf::Shelf(Workspace& workspace, TAVO::Worker& worker, TAVO::Log& log)
    : workspace_(&workspace), worker_(&worker), log_(&log),
      thumbnailAtlas_(8, TAVO::Tuple<2, unsigned int>(PictureLoader::thumbnailSide, PictureLoader::thumbnailSide)) {}

Shelf::~Shelf() = default;

TAVO::Archive* Shelf::archive() const {
    return archive_ && archive_->hasArchive() ? archive_->archive() : nullptr;
}

// Lines quote bytes from the file (game ids, picture names, reasons): each
// stays one printable line.
void Shelf::log(const std::string& text) const { TAVO::Log::line(log_->entry()) << TAVO::Text::printable(text); }

void Shelf::update(float dt) {
    if (pendingAction_.size() == 0)
        return;
    pendingDelay_ -= dt;
    if (pendingDelay_ < 0.0f && enabled_ && !currentGame_.empty())
        flushPending();
}

const Shelf::Description& Shelf::description(const std::string& id) const {
    const auto found = descriptions_.find(id);
    if (found == descriptions_.end())
        throw TAVO::NotFoundException<std::string>(TAVO::SourceLocation(), id, descriptions_);
    return found->second;
}

const Picture& Shelf::thumbnailPage(std::uint32_t page) const {
    if (page >= thumbnailPages_.size())
        throw TAVO::BoundException<unsigned int>(TAVO::SourceLocation(), page, std::uint32_t(thumbnailPages_.size()));
    return thumbnailPages_[page];
}

bool Shelf::canSave() const {
    return enabled_ && writable_ && !closing() && !currentGame_.empty() && installedGame_ == currentGame_;
}

void Shelf::queue(std::unique_ptr<TAVO::Worker::Job> job) { worker_->add(std::move(job)); }

void Shelf::newGame() {
    if (!enabled_)
        return;
    // The workspace released the previous table before replacing it.
    clearPending();
    const std::string id = SavedGames::newId(idCounter_, games_, trash_);
    games_.insert(games_.begin(), id);
    descriptions_[id] = Description();
    currentGame_ = id;
    installedGame_ = id;
    appendsSinceSnapshot_ = 0;
    SaveState& state = saveStates_[id];
    state = SaveState();
    state.setupDurable = false;
    saveSetup();
    saveTable();
    saveIndex();
    state.listedAt = sequence_;
    if (handler_ != nullptr && !closing())
        handler_->gameInserted(0);
}

void Shelf::setCurrentGame(const std::string& id) {
    if (!enabled_)
        return;
    if (id != currentGame_)
        flushPending();
    currentGame_ = id;
}

void Shelf::loadGame() {
    if (!enabled_ || currentGame_.empty() || closing())
        return;
    // The table is about to be replaced by what the file holds.
    flushPending();
    installedGame_.clear();
    queue(std::make_unique<LoadGameJob>(*this, currentGame_, workspace_->loader()));
}

void Shelf::loadThumbnail(const std::string& id) {
    if (!enabled_ || closing())
        return;
    queue(std::make_unique<LoadThumbnailJob>(*this, id, workspace_->loader()));
    const auto found = descriptions_.find(id);
    if (found != descriptions_.end())
        found->second.thumbnailPending = true;
}

void Shelf::loadThumbnails() {
    for (const auto* ids : {&games_, &trash_})
        for (const std::string& id : *ids) {
            const auto found = descriptions_.find(id);
            if (found == descriptions_.end() || found->second.broken || found->second.thumbnailReady ||
                found->second.thumbnailPending)
                continue;
            loadThumbnail(id);
        }
}

void Shelf::thumbnailArrived(const std::string& game, const Picture* thumbnail, bool broken) {
    // A game disposed of meanwhile gets no description again.
    if (!contains(games_, game) && !contains(trash_, game))
        return;
    Description& description = descriptions_[game];
    description.thumbnailPending = false;
    // A thumbnail may mark the game, never clear a mark: a load that failed
    // before a late thumbnail arrived (they come from the loader's threads)
    // keeps the game failed.
    description.broken = description.broken || broken;
    description.thumbnailReady = thumbnail != nullptr && thumbnail->hasPixels();
    if (description.thumbnailReady) {
        try {
            const std::uint32_t tile = thumbnailAtlas_.allocate();
            description.tile = tile;
            while (thumbnailPages_.size() <= thumbnailAtlas_.page(tile))
                thumbnailPages_.push_back(Picture(thumbnailAtlas_.pageSize()));
            // The page has three channels: grey and alpha pictures are converted first.
            thumbnailPages_[thumbnailAtlas_.page(tile)].paste(thumbnailAtlas_.tileRegion(tile).origin(),
                                                               thumbnail->rgb());
        } catch (const TAVO::Exception&) {
            log("Load thumnail for game " + game + " failed.");
            description.broken = true;
            description.thumbnailReady = false;
        }
    }
    notifyChanged(game);
}

void Shelf::trashGame(const std::string& id) {
    if (!enabled_ || !contains(games_, id))
        return;
    if (id == currentGame_) {
        flushPending();
        currentGame_.clear();
    }
    const std::uint32_t i = indexOf(games_, id);
    games_.erase(games_.begin() + i);
    trash_.insert(trash_.begin(), id);
    saveIndex();
    if (handler_ != nullptr && !closing()) {
        handler_->gameRemoved(i);
        handler_->trashInserted(0);
    }
}

void Shelf::restoreGame(const std::string& id) {
    if (!enabled_ || !contains(trash_, id))
        return;
    const std::uint32_t i = indexOf(trash_, id);
    trash_.erase(trash_.begin() + i);
    games_.insert(games_.begin(), id);
    saveIndex();
    if (handler_ != nullptr && !closing()) {
        handler_->trashRemoved(i);
        handler_->gameInserted(0);
    }
}

void Shelf::disposeGames() {
    if (!enabled_)
        return;
    auto job = std::make_unique<DisposeGamesJob>(*this, std::vector<std::string>(trash_.begin(), trash_.end()));
    while (!trash_.empty()) {
        if (handler_ != nullptr && !closing())
            handler_->trashRemoved(std::uint32_t(trash_.size() - 1));
        descriptions_.erase(trash_.back());
        saveStates_.erase(trash_.back());
        trash_.pop_back();
    }
    saveIndex();
    if (writable_ && !closing())
        queue(std::move(job));
}

void Shelf::saveAction(const Table::TypedAction& action) {
    if (!canSave()) {
        // The table now differs from what its game's file holds.
        installedGame_.clear();
        return;
    }
    append(&action);
}

void Shelf::setPendingAction(const Table::TypedAction& action) {
    if (!canSave()) {
        installedGame_.clear();
        return;
    }
    // A move of a tray whose last part left since the last tick: the tray
    // goes at the next tick, and in the journal, where the record would land
    // behind the move that emptied it, the tray is gone already.
    std::optional<std::uint32_t> tray;
    if (action.tag() == Table::TypedAction::moveTray) {
        tray = action.moveTrayAction().tray();
        if (!workspace_->table().keepsTray(*tray))
            return;
    }
    pendingAction_.setSize(0);
    appendRecord(pendingAction_, action);
    pendingDelay_ = pendingDelay;
    pendingGame_ = currentGame_;
    pendingTray_ = tray;
}

void Shelf::append(const Table::TypedAction* action) {
    // A held-back move of a tray the table has erased since names nothing.
    if (pendingTray_ && !workspace_->table().hasTray(*pendingTray_))
        clearPending();
    SaveState& state = saveStates_[currentGame_];
    if (appendsSinceSnapshot_ >= SavedGames::appendsPerSnapshot || state.snapshotDue) {
        saveTable();
        return;
    }
    // A failed index write is made good first, so that the table's write
    // is the last one queued.
    if (indexDue_)
        saveIndex();
    ++appendsSinceSnapshot_;
    queue(std::make_unique<SaveGameActionJob>(*this, currentGame_, pendingAction_, action));
    clearPending();
}

void Shelf::flushPending() {
    if (pendingAction_.size() == 0)
        return;
    if (!canSave() || pendingGame_ != currentGame_ || (pendingTray_ && !workspace_->table().hasTray(*pendingTray_))) {
        clearPending();
        return;
    }
    append(nullptr);
}

void Shelf::clearPending() {
    pendingAction_.setSize(0);
    pendingGame_.clear();
    pendingTray_.reset();
}

void Shelf::saveTable() {
    if (!canSave())
        return;
    const std::uint32_t i = indexOf(games_, currentGame_);
    if (i < games_.size() && i != 0) {
        games_.erase(games_.begin() + i);
        games_.insert(games_.begin(), currentGame_);
        saveIndex();
        if (handler_ != nullptr && !closing())
            handler_->gameMoved(i, 0);
    }
    SaveState& state = saveStates_[currentGame_];
    if (state.setupDue)
        saveSetup();
    if (indexDue_)
        saveIndex();
    state.snapshotDue = false;
    queue(std::make_unique<SaveGameTableJob>(*this, currentGame_, workspace_->table()));
    appendsSinceSnapshot_ = 0;
    clearPending();
}

void Shelf::saveSetup() {
    if (!enabled_ || !writable_ || closing() || currentGame_.empty())
        return;
    saveStates_[currentGame_].setupDue = false;
    queue(std::make_unique<SaveGameSetupJob>(*this, currentGame_, workspace_->currentSetup()));
}

void Shelf::saveIndex() {
    if (!enabled_ || !writable_ || closing())
        return;
    indexDue_ = false;
    queue(std::make_unique<SaveIndexJob>(*this));
}

void Shelf::saveFinished(const SaveBufferJob& job, bool success) {
    if (job.kind() == SaveBufferJob::Kind::index) {
        if (success)
            indexConfirmed_ = job.sequence();
        else
            indexDue_ = true;
        return;
    }
    const auto found = saveStates_.find(job.game());
    if (found == saveStates_.end())
        return;
    SaveState& state = found->second;
    switch (job.kind()) {
    case SaveBufferJob::Kind::setup:
        state.setupDurable = success;
        state.setupDue = !success;
        break;
    case SaveBufferJob::Kind::snapshot:
    case SaveBufferJob::Kind::action:
        if (!success) {
            state.gap = true;
            state.snapshotDue = true;
        } else if (job.kind() == SaveBufferJob::Kind::snapshot) {
            state.gap = false;
            state.confirmed = job.sequence();
        } else if (!state.gap) {
            state.confirmed = job.sequence();
        }
        break;
    default:
        break;
    }
}

std::uint64_t Shelf::savedThrough() const {
    const auto found = saveStates_.find(currentGame_);
    if (currentGame_.empty() || found == saveStates_.end())
        return 0;
    const SaveState& state = found->second;
    if (!state.setupDurable || indexConfirmed_ < state.listedAt)
        return 0;
    return state.confirmed;
}

void Shelf::queueCompaction() {
    std::set<std::string> ids(games_.begin(), games_.end());
    ids.insert(trash_.begin(), trash_.end());
    queue(std::make_unique<CompactJob>(*this, std::move(ids)));
}

void Shelf::releaseTable() {
    flushPending();
    installedGame_.clear();
}

void Shelf::close() {
    if (closing())
        return;
    // Closed afterwards even when the last write cannot be queued.
    struct Closing {
        std::atomic<bool>& flag;
        ~Closing() { flag.store(true); }
    } guard{closing_};
    flushPending();
}

void Shelf::notifyChanged(const std::string& id) {
    if (handler_ == nullptr || closing())
        return;
    if (contains(games_, id))
        handler_->gameChanged(indexOf(games_, id));
    if (contains(trash_, id))
        handler_->trashChanged(indexOf(trash_, id));
}
