// Opening the saved-games file: reading the lists, repairing a damaged file
// after keeping a copy of it, and rebuilding an index that cannot be read.
#include "model/Shelf.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "foundation/platform/NativeDirectoryListing.h"
#include "foundation/platform/NativeFile.h"
#include "foundation/platform/NativeFileMove.h"
#include "foundation/platform/NativePath.h"
#include "foundation/platform/NativeFileStatus.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"
#include "model/SavedGames.h"

namespace {

std::size_t countGames(const std::vector<std::string>& games, const std::vector<std::string>& trash) {
    std::set<std::string> ids;
    for (const auto* list : {&games, &trash})
        for (const std::string& id : *list)
            if (!id.empty())
                ids.insert(id);
    return ids.size();
}

// The number a copy's name carries after the base name ("" gives 0, ".7"
// gives 7), as the names of copies are made: no sign, no leading zero, below
// the limit. -1 for any other name.
long long copyNumber(const std::string& name, const std::string& base, std::uint32_t limit) {
    if (name.compare(0, base.size(), base) != 0)
        return -1;
    const std::string rest = name.substr(base.size());
    if (rest.empty())
        return 0;
    if (rest.size() < 2 || rest.size() > 11 || rest[0] != '.' || rest[1] == '0' ||
        rest.find_first_not_of("0123456789", 1) != std::string::npos)
        return -1;
    const long long number = std::stoll(rest.substr(1));
    return number < limit ? number : -1;
}

// Whether the two files hold the same bytes; false when either cannot be read.
bool sameBytes(TAVO::NativeFile& file, std::uint64_t size, const std::string& other) {
    try {
        TAVO::NativeFile copy;
        std::string ignored;
        if (!copy.open(other, TAVO::NativeFile::Mode::Read, ignored) || copy.size() != size)
            return false;
        std::vector<char> ours(1 << 16), theirs(1 << 16);
        for (std::uint64_t at = 0; at < size;) {
            const std::uint64_t step = std::min<std::uint64_t>(size - at, ours.size());
            if (!file.readAt(at, ours.data(), step) || !copy.readAt(at, theirs.data(), step) ||
                !std::equal(ours.begin(), ours.begin() + std::ptrdiff_t(step), theirs.begin()))
                return false;
            at += step;
        }
        return true;
    } catch (const TAVO::Exception&) {
        return false;
    }
}

// The copy already kept beside the file that holds exactly its bytes, the
// lowest numbered when several do; empty when none does. Every copy is
// compared, not only the newest: the player may have removed some, and a
// later copy then took a free name below older ones.
std::string keptCopyOf(const std::string& path, const std::string& base, std::uint32_t limit) {
    std::vector<TAVO::NativeDirectoryListing::Entry> entries;
    if (!TAVO::NativeDirectoryListing::list(TAVO::NativePath::folderOf(base), entries))
        return "";
    const std::string baseName = base.substr(base.rfind('/') + 1);
    std::vector<long long> numbers;
    for (const auto& entry : entries) {
        const long long number = copyNumber(entry.name, baseName, limit);
        if (number >= 0 && !entry.directory)
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    try {
        TAVO::NativeFile file;
        std::string ignored;
        if (numbers.empty() || !file.open(path, TAVO::NativeFile::Mode::Read, ignored))
            return "";
        const std::uint64_t size = file.size();
        for (const long long number : numbers) {
            const std::string name = number == 0 ? base : base + "." + std::to_string(number);
            // A FIFO or a device under a copy's name is never opened.
            if (TAVO::NativeFileStatus::isRegularFile(name) && sameBytes(file, size, name))
                return name;
        }
    } catch (const TAVO::Exception&) {
    }
    return "";
}

// "1 game was", "3 games were".
std::string gamesWere(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " game was" : " games were");
}

} // namespace

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
    // A damage that could not be repaired is found again at every start:
    // the copy kept the first time stands for it.
    copy = keptCopyOf(path_, base, maximumDamagedCopies);
    if (!copy.empty())
        return true;
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
        TAVO::NativeFile::syncFolder(TAVO::NativePath::folderOf(copy));
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
        log("Saved games were damaged (" + outcome.status +
            ") and could not be repaired: " + TAVO::Text::clause(reason) + "." + copied);
        archive_.reset();
        return outcome;
    }
    // Readable but not writable: the games can be played, nothing is saved.
    writable_ = false;
    log("Saved games were damaged (" + outcome.status + ") and could not be repaired, games will not be saved: " +
        TAVO::Text::clause(reason) + "." + copied);
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
    log("The list of saved games could not be read (" + TAVO::Text::clause(reason) + "); " + gamesWere(games_.size()) +
        " found in the file" +
        (kept ? ", which was copied to " + copy : "; no copy of it could be kept (" + TAVO::Text::clause(copyReason) +
                                                      "), so games will not be saved") +
        ".");
}
