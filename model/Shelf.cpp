#include "model/Shelf.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/platform/NativeFile.h"
#include "foundation/platform/NativeFileMove.h"
#include "foundation/serialization/Serializer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/StreamException.h"
#include "foundation/streams/WriteStream.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"
#include "foundation/threads/TaskThread.h"
#include "model/Puzzle.h"
#include "model/SavedGames.h"
#include "model/Setup.h"
#include "model/Workspace.h"

const char* const Shelf::damagedSuffix = ".damaged";
const char* const Shelf::unavailableMessage = "Saves will not be available.";

namespace {

std::uint32_t indexOf(const std::vector<std::string>& list, const std::string& id) {
    return std::uint32_t(std::find(list.begin(), list.end(), id) - list.begin());
}

bool contains(const std::vector<std::string>& list, const std::string& id) {
    return std::find(list.begin(), list.end(), id) != list.end();
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::size_t countGames(const std::vector<std::string>& games, const std::vector<std::string>& trash) {
    std::set<std::string> ids;
    for (const auto* list : {&games, &trash})
        for (const std::string& id : *list)
            if (!id.empty())
                ids.insert(id);
    return ids.size();
}

// "1 game was", "3 games were".
std::string gamesWere(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " game was" : " games were");
}

// Keeps the lines written to it until they are passed on, so that what one
// thread writes while another one works beside it reaches the log in the
// order the work would have written it one step after the other.
class HeldLines : public TAVO::Log {
public:
    std::shared_ptr<EntrySession> entry() override { return std::make_shared<Session>(lines_); }
    void passOn(TAVO::Log& log) {
        for (const std::string& line : lines_)
            TAVO::Log::line(log.entry()) << line;
        lines_.clear();
    }

private:
    class Session : public EntrySession, public TAVO::WriteStream {
    public:
        explicit Session(std::vector<std::string>& lines) : lines_(lines) {}
        ~Session() override { lines_.push_back(std::move(text_)); }
        TAVO::WriteStream& stream() override { return *this; }
        void write(const void* source, std::uint64_t count) override {
            text_.append(static_cast<const char*>(source), std::size_t(count));
        }

    private:
        std::vector<std::string>& lines_;
        std::string text_;
    };

    std::vector<std::string> lines_;
};

void appendRecord(TAVO::IncrementalBuffer& bytes, const Table::TypedAction& action) {
    TAVO::BufferStream stream(bytes);
    stream.seek(bytes.size());
    TAVO::Serialization::serialize(action, stream);
}

} // namespace

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
    if (!loader_.loadPictureScaled(setup.pictureName(), PictureLoader::thumbnailSide, thumbnail_)) {
        shelf_.log("Unable to load picture " + setup.pictureName() + " for game " + game_ + " thumbnail.");
        thumbnail_ = Picture();
        failed_ = true;
    }
}

void Shelf::LoadThumbnailJob::done() {
    if (skipped_ || shelf_.closing())
        return;
    // A game disposed of meanwhile gets no description again.
    if (!contains(shelf_.games_, game_) && !contains(shelf_.trash_, game_))
        return;
    Description& description = shelf_.descriptions_[game_];
    description.broken = failed_;
    description.thumbnailReady = thumbnail_.hasPixels();
    if (description.thumbnailReady) {
        TileAtlas& atlas = shelf_.thumbnailAtlas_;
        try {
            const std::uint32_t tile = atlas.allocate();
            description.tile = tile;
            while (shelf_.thumbnailPages_.size() <= atlas.page(tile))
                shelf_.thumbnailPages_.push_back(Picture(atlas.pageSize()));
            // The page has three channels: grey and alpha pictures are converted first.
            shelf_.thumbnailPages_[atlas.page(tile)].paste(atlas.tileRegion(tile).origin(), thumbnail_.rgb());
        } catch (const TAVO::Exception&) {
            shelf_.log("Load thumnail for game " + game_ + " failed.");
            description.broken = true;
            description.thumbnailReady = false;
        }
    }
    shelf_.notifyChanged(game_);
}

void Shelf::LoadThumbnailJob::failed() {
    if (skipped_ || shelf_.closing())
        return;
    shelf_.log("Load thumnail for game " + game_ + " failed.");
    if (!contains(shelf_.games_, game_) && !contains(shelf_.trash_, game_))
        return;
    Description& description = shelf_.descriptions_[game_];
    description.broken = true;
    description.thumbnailReady = false;
    shelf_.notifyChanged(game_);
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

// ---- the shelf ----

Shelf::Shelf(Workspace& workspace, TAVO::Worker& worker, TAVO::Log& log)
    : workspace_(&workspace), worker_(&worker), log_(&log),
      thumbnailAtlas_(8, TAVO::Tuple<2, unsigned int>(PictureLoader::thumbnailSide, PictureLoader::thumbnailSide)) {}

Shelf::~Shelf() = default;

TAVO::Archive* Shelf::archive() const {
    return archive_ && archive_->hasArchive() ? archive_->archive() : nullptr;
}

void Shelf::log(const std::string& text) const { TAVO::Log::line(log_->entry()) << text; }

void Shelf::open(const std::string& path) {
    path_ = path;
    archive_ = std::make_unique<TAVO::ArchiveFile>(path, false, false);
    enabled_ = false;
    writable_ = true;
    unavailable_.clear();
    Repair repaired;
    if (!archive_->hasArchive()) {
        log("Unable to open puzzles archive: " + archive_->error());
        unavailable_ = openFailure(*archive_);
        archive_.reset();
    } else if (archive_->archive()->statistics().status == TAVO::Archive::FUTURE_LEADER) {
        // Written by a newer program: read what can be read, change nothing.
        log(SavedGames::newerVersionMessage);
        writable_ = false;
        unavailable_ = "The file " + path_ + " was written by a newer version of Kestrune.";
    } else if (!archive_->archive()->statistics().isIntact()) {
        repaired = repair();
    }
    games_.clear();
    trash_.clear();
    idCounter_ = 0;
    bool recovered = false;
    bool indexFound = false;
    if (TAVO::Archive* archive = this->archive()) {
        try {
            TAVO::IncrementalBuffer bytes;
            if (SavedGames::readEntry(*archive, SavedGames::indexEntry, SavedGames::maximumIndexBytes, bytes)) {
                indexFound = true;
                SavedGames::Index index;
                index.read(bytes, *log_);
                idCounter_ = index.idCounter;
                games_ = std::move(index.games);
                trash_ = std::move(index.trash);
            }
        } catch (const TAVO::Exception& e) {
            recoverIndex(e.message(), repaired.copy);
            recovered = true;
        }
    }
    maintenanceAllowed_ = true;
    if (archive() == nullptr) {
        log(std::string(unavailableMessage) + " " + unavailable_);
        return;
    }
    enabled_ = true;
    const std::size_t listed = countGames(games_, trash_);
    std::set<std::string> seen;
    dropUnusable(games_, seen);
    dropUnusable(trash_, seen);
    if (repaired.repaired) {
        const std::size_t kept = games_.size() + trash_.size();
        std::string what;
        if (recovered)
            what = "its list of games could not be read, " + gamesWere(kept) + " found";
        else if (!indexFound)
            what = "no list of games was left in it, so no game was kept";
        else
            what = "the index listed " + std::to_string(listed) + (listed == 1 ? " game, " : " games, ") +
                   std::to_string(kept) + (kept == 1 ? " was kept" : " were kept");
        log("Saved games were damaged (" + repaired.status + "): " + what + "; the damaged file was copied to " +
            repaired.copy + ".");
    }
    descriptions_.clear();
    saveStates_.clear();
    for (const auto* list : {&games_, &trash_})
        for (const std::string& id : *list)
            descriptions_[id] = Description();
    // The rebuilt lists replace the unreadable index at once.
    if (recovered)
        saveIndex();
    if (handler_ == nullptr)
        return;
    for (std::uint32_t i = 0; i < games_.size(); ++i)
        handler_->gameInserted(i);
    for (std::uint32_t i = 0; i < trash_.size(); ++i)
        handler_->trashInserted(i);
}

std::string Shelf::openFailure(const TAVO::ArchiveFile& file) const {
    if (file.inUse())
        return "The file " + path_ + " is in use by another running Kestrune.";
    const std::string& reason = file.openFailure().empty() ? file.error() : file.openFailure();
    return "The file " + path_ + " cannot be written (" + TAVO::Text::clause(reason) + ").";
}

void Shelf::dropUnusable(TAVO::STLVectorSerializable<std::string>& list, std::set<std::string>& seen) {
    TAVO::Archive& archive = *this->archive();
    std::vector<std::string> kept;
    for (std::string& id : list) {
        if (id.empty() || !seen.insert(id).second)
            continue;
        if (!archive.exists(SavedGames::setupEntry(id)) || !archive.exists(SavedGames::tableEntry(id)))
            continue;
        kept.push_back(std::move(id));
    }
    list.assign(kept.begin(), kept.end());
}

bool Shelf::keepCopy(std::string& copy, std::string& reason) const {
    const std::string base = path_ + damagedSuffix;
    const std::string temporary = base + ".tmp";
    try {
        TAVO::NativeFile from, to;
        if (!from.open(path_, TAVO::NativeFile::Mode::Read, reason) ||
            !to.open(temporary, TAVO::NativeFile::Mode::ReadWriteEmpty, reason))
            return false;
        std::vector<char> chunk(1 << 16);
        for (std::uint64_t at = 0;;) {
            const std::uint64_t got = from.readSomeAt(at, chunk.data(), chunk.size());
            if (got == 0)
                break;
            to.writeAt(at, chunk.data(), got);
            at += got;
        }
        to.sync();
        to.close();
    } catch (const TAVO::Exception& e) {
        reason = e.message();
        std::remove(temporary.c_str());
        return false;
    }
    // An older copy may be the only one of games lost since: the first free
    // name is taken, and the move refuses to replace a file that appeared.
    int error = EEXIST;
    std::string name;
    for (std::uint32_t n = 0; n < maximumDamagedCopies && error == EEXIST; ++n) {
        name = n == 0 ? base : base + "." + std::to_string(n);
        error = TAVO::NativeFileMove::move(temporary, name, false);
    }
    if (error != 0) {
        reason = error == EEXIST ? "every name for a copy is taken, up to " + name : std::string(std::strerror(error));
        std::remove(temporary.c_str());
        return false;
    }
    copy = name;
    try {
        TAVO::NativeFile::syncFolder(folderOf(copy));
    } catch (const TAVO::Exception&) {
    }
    return true;
}

Shelf::Repair Shelf::repair() {
    Repair outcome;
    outcome.status = TAVO::Archive::statusName(archive_->archive()->statistics().status);
    std::string reason;
    if (keepCopy(outcome.copy, reason)) {
        try {
            outcome.repaired = archive_->compact();
            if (!outcome.repaired)
                reason = archive_->error();
        } catch (const TAVO::Exception& e) {
            reason = e.message();
        }
    } else {
        outcome.copy.clear();
    }
    // Logged once the lists are read, with what was kept.
    if (outcome.repaired)
        return outcome;
    const std::string copied = outcome.copy.empty() ? "" : " The damaged file was copied to " + outcome.copy + ".";
    unavailable_ = "The file " + path_ + " is damaged and could not be repaired (" + TAVO::Text::clause(reason) + ")." + copied;
    if (!archive_->hasArchive()) {
        log("Saved games were damaged (" + outcome.status + ") and could not be repaired: " + reason + copied);
        archive_.reset();
        return outcome;
    }
    // Readable but not writable: the games can be played, nothing is saved.
    writable_ = false;
    log("Saved games were damaged (" + outcome.status + ") and could not be repaired, games will not be saved: " +
        reason + copied);
    return outcome;
}

void Shelf::recoverIndex(const std::string& reason, const std::string& copied) {
    // A copy just kept by the repair already holds the unreadable list.
    std::string copy = copied, copyReason;
    const bool kept = !copy.empty() || keepCopy(copy, copyReason);
    TAVO::Archive& archive = *this->archive();
    // Every game with both entries, newest (highest number) first.
    std::vector<std::pair<std::uint64_t, std::string>> found;
    std::uint64_t highest = 0;
    for (auto names = archive.iterateShared(); names->valid(); names->advance()) {
        const std::string name = names->current();
        const std::string id = SavedGames::gameOf(name);
        if (id.empty() || name != SavedGames::setupEntry(id) || !archive.exists(SavedGames::tableEntry(id)))
            continue;
        std::uint64_t number = 0;
        const bool numeric = id.size() <= 10 && std::all_of(id.begin(), id.end(), [](char c) {
            return c >= '0' && c <= '9';
        });
        if (numeric) {
            number = std::stoull(id);
            highest = std::max(highest, number + 1);
        }
        found.emplace_back(number, id);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    games_.clear();
    trash_.clear();
    for (auto& entry : found)
        games_.push_back(entry.second);
    idCounter_ = std::uint32_t(std::min<std::uint64_t>(highest, 0xFFFFFFFFu));
    if (!kept) {
        // The unreadable list is not replaced without a copy of it.
        writable_ = false;
        unavailable_ = "The list of saved games in " + path_ +
                       " could not be read and no copy of the file could be kept (" + TAVO::Text::clause(copyReason) + ").";
    }
    log("The list of saved games could not be read (" + reason + "); " + gamesWere(games_.size()) +
        " found in the file" +
        (kept ? ", which was copied to " + copy : "; no copy of it could be kept (" + TAVO::Text::clause(copyReason) +
                                                      "), so games will not be saved") +
        ".");
}

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
