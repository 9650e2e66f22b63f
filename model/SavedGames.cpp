#include "model/SavedGames.h"

#include <set>

#include "foundation/packages/Archive.h"
#include "foundation/serialization/Deserializer.h"
#include "foundation/serialization/Serializer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/StreamException.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"
#include "model/Setup.h"
#include "model/Table.h"
#include "model/TableException.h"

const char* const SavedGames::indexEntry = "index";
const char* const SavedGames::newerVersionMessage = "Saved games are of a newer version, please upgrade.";

namespace {

const std::string prefix = "puzzle/";
const std::string setupSuffix = "/setup";
const std::string tableSuffix = "/table";

void readList(TAVO::Deserializer& in, TAVO::STLVectorSerializable<std::string>& list, const char* what) {
    const std::uint32_t count = in.readLength();
    if (count > SavedGames::maximumListedGames)
        throw TAVO::StreamException(TAVO::SourceLocation(), std::string("The index lists ") +
                                                                std::to_string(count) + " " + what +
                                                                ", more than it may. ");
    list.clear();
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string id;
        in.serialize(id);
        list.push_back(std::move(id));
    }
}

} // namespace

void SavedGames::Index::read(const TAVO::Buffer& bytes, TAVO::Log& log) {
    TAVO::ConstBufferStream stream(bytes);
    TAVO::Deserializer in(stream);
    readVersion(in, log);
    unsigned int counter = 0;
    in.serialize(counter);
    TAVO::STLVectorSerializable<std::string> readGames, readTrash;
    readList(in, readGames, "games");
    readList(in, readTrash, "games in the trash");
    idCounter = counter;
    games = std::move(readGames);
    trash = std::move(readTrash);
}

void SavedGames::Index::serialize(TAVO::Serialization& serialization) {
    unsigned int counter = idCounter;
    serialization.serialize(counter);
    games.serialize(serialization);
    trash.serialize(serialization);
    idCounter = counter;
}

std::string SavedGames::setupEntry(const std::string& id) { return prefix + id + setupSuffix; }

std::string SavedGames::tableEntry(const std::string& id) { return prefix + id + tableSuffix; }

std::string SavedGames::gameOf(const std::string& entry) {
    if (entry.size() < prefix.size() + setupSuffix.size() || entry.compare(0, prefix.size(), prefix) != 0)
        return "";
    const std::string suffix = entry.substr(entry.size() - setupSuffix.size());
    if (suffix != setupSuffix && suffix != tableSuffix)
        return "";
    return entry.substr(prefix.size(), entry.size() - prefix.size() - setupSuffix.size());
}

std::string SavedGames::newId(std::uint32_t& counter, const std::vector<std::string>& games,
                              const std::vector<std::string>& trash) {
    std::set<std::string> used(games.begin(), games.end());
    used.insert(trash.begin(), trash.end());
    std::uint32_t n = counter;
    // The lists are far shorter than the number space, so this ends.
    while (used.count(std::to_string(n)) != 0)
        ++n;
    counter = n + 1;
    return std::to_string(n);
}

bool SavedGames::readEntry(const TAVO::Archive& archive, const std::string& name, std::uint32_t limit,
                           TAVO::IncrementalBuffer& bytes) {
    if (!archive.exists(name))
        return false;
    const std::uint32_t size = archive.size(name);
    if (size > limit)
        throw TAVO::StreamException(TAVO::SourceLocation(), "Entry " + name + " holds " + std::to_string(size) +
                                                                " bytes, more than the " + std::to_string(limit) +
                                                                " it may. ");
    std::unique_ptr<TAVO::Package::Reader> reader = archive.openReader(name);
    if (!reader)
        return false;
    bytes.setSize(size);
    if (size > 0)
        reader->stream().read(bytes.data(), size);
    return true;
}

void SavedGames::readVersion(TAVO::Deserializer& in, TAVO::Log& log) {
    unsigned int stored = 0;
    in.serialize(stored);
    if (stored > version)
        TAVO::Log::line(log.entry()) << newerVersionMessage;
}

void SavedGames::readSetup(const TAVO::Buffer& bytes, Setup& setup, TAVO::Log& log) {
    TAVO::ConstBufferStream stream(bytes);
    TAVO::Deserializer in(stream);
    readVersion(in, log);
    setup.serialize(in);
}

std::uint32_t SavedGames::readTable(const TAVO::Buffer& bytes, const Puzzle& puzzle, Table& table, TAVO::Log& log,
                                    const std::string& game) {
    TAVO::ConstBufferStream stream(bytes);
    TAVO::Deserializer in(stream);
    readVersion(in, log);
    // With the puzzle set first every stored count is bounded by its pieces.
    table.setPuzzle(&puzzle);
    table.serialize(in);
    table.setPuzzle(&puzzle);
    std::uint32_t records = 0;
    while (!stream.atEnd()) {
        if (records == maximumJournalRecords)
            throw TableException(TAVO::SourceLocation(), "The journal holds more than " +
                                                             std::to_string(maximumJournalRecords) + " records. ");
        Table::TypedAction record;
        record.serialize(in);
        ++records;
        if (record.tag() == Table::TypedAction::moveTray && !table.hasTray(record.moveTrayAction().tray())) {
            TAVO::Log::line(log.entry()) << "Skipped record " << records
                                         << (game.empty() ? std::string() : " of game " + TAVO::Text::printable(game))
                                         << ", a view move of tray " << record.moveTrayAction().tray()
                                         << ", which no longer exists.";
            continue;
        }
        record.action().apply(table);
        table.removeEmptyTrays();
    }
    table.validate();
    return records;
}

void SavedGames::write(const TAVO::Serializable& object, TAVO::IncrementalBuffer& bytes) {
    bytes.setSize(0);
    TAVO::BufferStream stream(bytes);
    TAVO::Serializer out(stream);
    unsigned int stored = version;
    out.serialize(stored);
    TAVO::Serialization::serialize(object, stream);
}
