#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/serialization/STLVectorSerializable.h"
#include "foundation/serialization/Serializable.h"

namespace TAVO {
class Archive;
class Buffer;
class Deserializer;
class IncrementalBuffer;
class Log;
} // namespace TAVO

class Puzzle;
class Setup;
class Table;

// The entries of the saved-games file and the bytes of each:
// - "index": u32 version 0, u32 id counter, the games list and the trash list
//   (each a u32 count and that many strings, newest first);
// - "puzzle/<id>/setup": u32 version 0 and the Setup;
// - "puzzle/<id>/table": u32 version 0, a Table snapshot, then zero or more
//   Table::TypedAction records back to back up to the end of the entry.
// A game id is the decimal text of a 32-bit number. Everything is read whole
// from memory after its size was checked, and every count is bounded by the
// bytes left, so a damaged or hostile file ends in an exception.
class SavedGames {
public:
    static constexpr std::uint32_t version = 0;
    // The most bytes each entry may hold.
    static constexpr std::uint32_t maximumIndexBytes = 16u << 20;
    static constexpr std::uint32_t maximumSetupBytes = 64u << 10;
    static constexpr std::uint32_t maximumTableBytes = 64u << 20;
    // The most ids one list of the index may hold.
    static constexpr std::uint32_t maximumListedGames = 1u << 20;
    // A journal never holds more than 200 records after its snapshot; far
    // more than that is damage.
    static constexpr std::uint32_t maximumJournalRecords = 10000;
    // Appends between two snapshots.
    static constexpr std::uint32_t appendsPerSnapshot = 100;

    static const char* const indexEntry;
    static const char* const newerVersionMessage;

    // The lists of games and the id counter.
    class Index : public TAVO::Serializable {
    public:
        std::uint32_t idCounter = 0;
        TAVO::STLVectorSerializable<std::string> games;
        TAVO::STLVectorSerializable<std::string> trash;

        // The whole entry, version first. A newer version is logged and
        // reading goes on; a list longer than maximumListedGames is refused.
        void read(const TAVO::Buffer& bytes, TAVO::Log& log);
        // The fields after the version (written with SavedGames::write).
        void serialize(TAVO::Serialization& serialization) override;
    };

    static std::string setupEntry(const std::string& id);
    static std::string tableEntry(const std::string& id);
    // The game id of an entry name: what lies between "puzzle/" and a final
    // "/setup" or "/table"; empty for any other name.
    static std::string gameOf(const std::string& entry);
    // The next id: the first number from the counter on whose text is in
    // neither list. The counter moves past it.
    static std::string newId(std::uint32_t& counter, const std::vector<std::string>& games,
                             const std::vector<std::string>& trash);

    // Reads the entry whole into the buffer. False when it does not exist;
    // StreamException when it holds more than limit bytes or ends early.
    static bool readEntry(const TAVO::Archive& archive, const std::string& name, std::uint32_t limit,
                          TAVO::IncrementalBuffer& bytes);

    // The set-up entry's bytes into the set-up.
    static void readSetup(const TAVO::Buffer& bytes, Setup& setup, TAVO::Log& log);
    // The table entry's bytes: the snapshot is read over the table given the
    // puzzle, rebuilt and checked; then each record of the journal is applied
    // and followed by the removal of empty trays, as live play does; the
    // table is checked again at the end. Returns the number of records.
    // A view move of a tray that no longer exists is passed over with a log
    // line naming the game: earlier runs could record one for a tray emptied
    // in the same pass, and the view pose of a gone tray matters to nothing.
    static std::uint32_t readTable(const TAVO::Buffer& bytes, const Puzzle& puzzle, Table& table, TAVO::Log& log,
                                   const std::string& game = std::string());

    // Version 0 and the object, into a fresh buffer.
    static void write(const TAVO::Serializable& object, TAVO::IncrementalBuffer& bytes);

private:
    // Reads the version; a newer one is logged and reading goes on.
    static void readVersion(TAVO::Deserializer& in, TAVO::Log& log);
};
