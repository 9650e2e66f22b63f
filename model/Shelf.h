#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "foundation/packages/ArchiveFile.h"
#include "foundation/serialization/STLVectorSerializable.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/threads/Worker.h"
#include "imaging/Picture.h"
#include "imaging/PictureLoader.h"
#include "imaging/TileAtlas.h"
#include "model/PartMeshSet.h"
#include "model/Table.h"

namespace TAVO {
class Log;
} // namespace TAVO

class Puzzle;
class Setup;
class Workspace;

// The saved games: the list of games and the trash, the game being played,
// and the saving of that game as it is played (its set-up once, its table as
// a snapshot, then every action appended to the snapshot's journal), all in
// one archive file. Every decision is made on the main thread; every read and
// write of the file is a job on the workspace's worker, run in queue order.
//
// Saving rules that keep a game whole:
// - only the table the workspace holds for the current game is saved: while a
//   game is loaded or made, or after the table changed unsaved, nothing is;
// - the held-back tray move belongs to the game it was made in and is
//   written there (or dropped) before the game or its table changes;
// - a write is committed inside its job, so a failure is logged and counted
//   as one; after a failed write of a game's table nothing more is appended to
//   it until a snapshot has been written again, which the next save does;
// - a tray move is held back only while its tray outlasts the next tick: a
//   move of a tray just emptied would be replayed after the tray was erased.
//
// Every game asked for is answered, in the order asked for: a load or a new
// game queued while another is still being read or made is installed after
// it (each with puzzleLoaded, or puzzleFailed when it cannot be), so the game
// chosen last is the one in play at the end and nothing chosen is lost. A
// load whose game left the list of games before it was read installs
// nothing and is answered with puzzleFailed.
//
// A damaged file is never changed before a copy of it is kept beside it, under
// the first free name of "<file>.damaged", "<file>.damaged.1", ...; a copy is
// never overwritten. A damage found again (a repair that failed, at every
// later start) is not copied again: the copy that holds the same bytes
// stands for it. When no copy can be kept the games are read and nothing is
// saved.
class Shelf {
public:
    // Run-time state of a listed game; never stored.
    struct Description {
        bool broken = false;
        bool thumbnailReady = false;
        // A thumbnail was asked for and has not arrived yet.
        bool thumbnailPending = false;
        // Valid while thumbnailReady.
        std::uint32_t tile = 0;
    };

    // Hears of changes to the two lists (the saved-games panel), on the main thread.
    class EventHandler {
    public:
        virtual ~EventHandler() = default;
        virtual void gameInserted(std::uint32_t index) { (void)index; }
        virtual void gameMoved(std::uint32_t from, std::uint32_t to) {
            (void)from;
            (void)to;
        }
        virtual void gameRemoved(std::uint32_t index) { (void)index; }
        virtual void gameChanged(std::uint32_t index) { (void)index; }
        virtual void trashInserted(std::uint32_t index) { (void)index; }
        virtual void trashRemoved(std::uint32_t index) { (void)index; }
        virtual void trashChanged(std::uint32_t index) { (void)index; }
    };

    // Writes bytes serialised on the main thread into one entry, replacing it
    // or appending to it, and commits them before the run ends.
    class SaveBufferJob : public TAVO::Worker::Job {
    public:
        enum class Kind { index, setup, snapshot, action };

        SaveBufferJob(Shelf& shelf, Kind kind, std::string game, std::string entry, bool append);
        TAVO::IncrementalBuffer& bytes() { return bytes_; }
        Kind kind() const { return kind_; }
        const std::string& game() const { return game_; }
        const std::string& entry() const { return entry_; }
        std::uint64_t sequence() const { return sequence_; }

        void run() override;
        void done() override;
        void failed() override;

    private:
        Shelf& shelf_;
        Kind kind_;
        std::string game_;
        std::string entry_;
        bool append_;
        std::uint64_t sequence_;
        TAVO::IncrementalBuffer bytes_{1024};
        bool compactionWanted_ = false;
    };

    // The index: version, id counter, games, trash.
    class SaveIndexJob : public SaveBufferJob {
    public:
        explicit SaveIndexJob(Shelf& shelf);
    };

    // The current game's set-up, replacing its entry.
    class SaveGameSetupJob : public SaveBufferJob {
    public:
        SaveGameSetupJob(Shelf& shelf, const std::string& game, const Setup& setup);
    };

    // A snapshot of the current game's table, replacing its table entry.
    class SaveGameTableJob : public SaveBufferJob {
    public:
        SaveGameTableJob(Shelf& shelf, const std::string& game, const Table& table);
    };

    // Records appended to the current game's table entry: the held-back tray
    // move, if any, then the action, if any.
    class SaveGameActionJob : public SaveBufferJob {
    public:
        SaveGameActionJob(Shelf& shelf, const std::string& game, const TAVO::Buffer& pending,
                          const Table::TypedAction* action);
    };

    // Reads a game back: its set-up, its picture, the cut, the table snapshot
    // with its journal replayed, and the meshes.
    class LoadGameJob : public TAVO::Worker::Job {
    public:
        LoadGameJob(Shelf& shelf, std::string game, PictureLoader& loader);
        ~LoadGameJob() override;
        void run() override;
        void done() override;
        void failed() override;

    private:
        Shelf& shelf_;
        std::string game_;
        // The game was in the list of games when its load was asked for.
        bool listed_;
        bool failed_ = false;
        bool skipped_ = false;
        PictureLoader& loader_;
        std::unique_ptr<Setup> setup_;
        std::unique_ptr<Puzzle> puzzle_;
        std::unique_ptr<Table> table_;
        std::uint32_t replayed_ = 0;
        PartMeshSet meshes_;
    };

    // Reads a game's set-up and has the picture loader make the 128 x 128
    // thumbnail of its picture: the decoding runs on the loader's threads,
    // beside other thumbnails, and holds up no save queued behind this job.
    class LoadThumbnailJob : public TAVO::Worker::Job {
    public:
        LoadThumbnailJob(Shelf& shelf, std::string game, PictureLoader& loader);
        void run() override;
        void done() override;
        void failed() override;

    private:
        Shelf& shelf_;
        std::string game_;
        PictureLoader& loader_;
        bool failed_ = false;
        bool skipped_ = false;
        // The loader was asked for the picture; its notifier answers.
        bool asked_ = false;
    };

    // Hears the loader's thumbnail of a game's picture, on the main thread.
    class ThumbnailNotifier : public PictureLoader::Notifier {
    public:
        ThumbnailNotifier(Shelf& shelf, std::string game, std::string picture);
        void loaded(const std::string& path, const Picture& thumbnail) override;
        void failed() override;

    private:
        Shelf& shelf_;
        std::string game_;
        std::string picture_;
    };

    // Removes the entries of the games emptied from the trash.
    class DisposeGamesJob : public TAVO::Worker::Job {
    public:
        DisposeGamesJob(Shelf& shelf, std::vector<std::string> games);
        void run() override;
        void done() override;
        void failed() override {}

    private:
        Shelf& shelf_;
        std::vector<std::string> games_;
        bool compactionWanted_ = false;
    };

    // Removes the entries of games in neither list, then compacts the file.
    class CompactJob : public TAVO::Worker::Job {
    public:
        CompactJob(Shelf& shelf, std::set<std::string> games);
        void run() override;
        void done() override {}
        void failed() override {}

    private:
        Shelf& shelf_;
        std::set<std::string> games_;
    };

    // The name of the copy kept of a damaged file: the file's path and this,
    // then ".1", ".2", ... when that name is taken.
    static const char* const damagedSuffix;
    // The most copies of damaged files kept beside the file.
    static constexpr std::uint32_t maximumDamagedCopies = 10000;
    // Logged at start when nothing will be saved, followed by the reason.
    static const char* const unavailableMessage;
    // Seconds a tray move is held back.
    static constexpr float pendingDelay = 5.0f;

    Shelf(Workspace& workspace, TAVO::Worker& worker, TAVO::Log& log);
    ~Shelf();
    Shelf(const Shelf&) = delete;
    Shelf& operator=(const Shelf&) = delete;

    // Opens the saved-games file and reads the lists. A damaged file is kept
    // as a copy beside it and compacted to its intact entries; one a newer
    // program wrote on is only read; an index that cannot be read is rebuilt
    // from the games the file holds. Without a file nothing is saved or
    // loaded for the rest of the run.
    void open(const std::string& path = "puzzles.dat");
    // The held-back tray move's clock.
    void update(float dt);
    void setEventHandler(EventHandler* handler) { handler_ = handler; }
    EventHandler* eventHandler() const { return handler_; }

    const std::vector<std::string>& games() const { return games_; }
    const std::vector<std::string>& trash() const { return trash_; }
    // TAVO::NotFoundException<std::string> for an id without one.
    const Description& description(const std::string& id) const;
    const TileAtlas& thumbnailAtlas() const { return thumbnailAtlas_; }
    // TAVO::BoundException<unsigned int> past the last page.
    const Picture& thumbnailPage(std::uint32_t page) const;
    std::uint32_t thumbnailPageCount() const { return std::uint32_t(thumbnailPages_.size()); }
    const std::string& currentGame() const { return currentGame_; }
    bool enabled() const { return enabled_; }
    // After open: why nothing will be saved in this run, one sentence naming
    // the file (another running Kestrune holds it, it cannot be written, it
    // is damaged beyond repair or from a newer version); empty when saves
    // can happen. It may quote bytes from outside (a reason the system or
    // the file gave): shown as TAVO::Text::printable makes it. The shelf only
    // logs it; the program tells the player.
    const std::string& savesUnavailable() const { return unavailable_; }

    // Registers the game the workspace has just installed and saves its
    // set-up, its first snapshot and the index, in that order.
    void newGame();
    void setCurrentGame(const std::string& id);
    void loadGame();
    void loadThumbnail(const std::string& id);
    // Asks for the thumbnail of every listed game that is not broken and has
    // none and none on its way, the games first, then the trash.
    void loadThumbnails();
    void trashGame(const std::string& id);
    void restoreGame(const std::string& id);
    void disposeGames();
    // Saves an action applied to the current game's table.
    void saveAction(const Table::TypedAction& action);
    // Holds a tray view move back, replacing the one held before.
    void setPendingAction(const Table::TypedAction& action);
    void saveTable();
    void saveSetup();
    void saveIndex();

    // The workspace is about to empty or replace its table: the held-back
    // move goes to its game, and nothing is saved until a game is installed.
    void releaseTable();
    // Shut-down: the held-back move is written, loads and thumbnails still
    // queued are skipped, and job completions from now on only log.
    void close();
    bool closing() const { return closing_.load(); }

    // Every save job gets the next number. lastSave is the number of the last
    // one queued; savedThrough the number up to which everything done to the
    // current game is durably in the file (its set-up, its listing in the
    // index and its table), 0 when nothing is known to be.
    std::uint64_t lastSave() const { return sequence_; }
    std::uint64_t savedThrough() const;

private:
    friend class SaveBufferJob;
    friend class LoadGameJob;
    friend class LoadThumbnailJob;
    friend class ThumbnailNotifier;
    friend class DisposeGamesJob;
    friend class CompactJob;

    // What is known on the main thread of a game's saving.
    struct SaveState {
        std::uint64_t confirmed = 0;  // the game's table is durable up to this save
        bool gap = false;             // a write of its table failed since its last snapshot
        bool snapshotDue = false;     // the next save must be a snapshot
        bool setupDurable = true;
        bool setupDue = false;        // the next snapshot writes the set-up again
        std::uint64_t listedAt = 0;   // the index save that first lists it
    };

    TAVO::Archive* archive() const;
    bool canSave() const;
    void queue(std::unique_ptr<TAVO::Worker::Job> job);
    // Writes the held-back move into its game when that game is still the
    // current, installed one; drops it otherwise.
    void flushPending();
    void clearPending();
    // Appends the held-back move and the action, or writes a snapshot instead.
    void append(const Table::TypedAction* action);
    void saveFinished(const SaveBufferJob& job, bool success);
    void queueCompaction();
    // What the repair of a damaged file did.
    struct Repair {
        bool repaired = false;  // compacted to its intact entries
        std::string status;     // the archive's status name
        std::string copy;       // the kept copy, when one was written
    };
    Repair repair();
    void recoverIndex(const std::string& reason, const std::string& copied);
    // Names the kept copy that holds the file's bytes already, or copies the
    // file to the first free name for a copy; false, with the reason, when
    // neither is there.
    bool keepCopy(std::string& copy, std::string& reason) const;
    // The reason of a failed open, as a sentence for the player.
    std::string openFailure(const TAVO::ArchiveFile& file) const;
    void dropUnusable(TAVO::STLVectorSerializable<std::string>& list, std::set<std::string>& seen);
    void notifyChanged(const std::string& id);
    // The answer to a game's thumbnail, the thumbnail null when none came:
    // into the atlas, and the lists hear of it. A game marked broken stays so.
    void thumbnailArrived(const std::string& game, const Picture* thumbnail, bool broken);
    void log(const std::string& text) const;

    Workspace* workspace_;
    TAVO::Worker* worker_;
    TAVO::Log* log_;
    EventHandler* handler_ = nullptr;
    bool maintenanceAllowed_ = false;
    bool enabled_ = false;
    std::unique_ptr<TAVO::ArchiveFile> archive_;
    std::uint32_t idCounter_ = 0;
    TAVO::STLVectorSerializable<std::string> games_;
    TAVO::STLVectorSerializable<std::string> trash_;
    std::string currentGame_;
    std::uint32_t appendsSinceSnapshot_ = 0;
    TAVO::IncrementalBuffer pendingAction_{0};
    float pendingDelay_ = -1.0f;
    TileAtlas thumbnailAtlas_;
    std::vector<Picture> thumbnailPages_;
    std::map<std::string, Description> descriptions_;

    std::string path_;
    // False when the file could be read but not repaired: nothing is written.
    bool writable_ = true;
    std::string unavailable_;
    std::string pendingGame_;
    // The tray the held-back move is for, when it is a tray move.
    std::optional<std::uint32_t> pendingTray_;
    // The game whose table the workspace holds, unchanged since it was saved.
    std::string installedGame_;
    std::map<std::string, SaveState> saveStates_;
    std::uint64_t sequence_ = 0;
    std::uint64_t indexConfirmed_ = 0;
    bool indexDue_ = false;
    std::atomic<bool> closing_{false};
    // Worker thread only: games whose table entry missed a write since its
    // last snapshot; nothing is appended to them.
    std::set<std::string> journalGaps_;
};
