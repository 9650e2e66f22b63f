#pragma once

#include <memory>
#include <string>

#include "foundation/threads/Worker.h"
#include "imaging/PictureGallery.h"
#include "imaging/PictureLoader.h"
#include "model/PartMeshSet.h"
#include "model/Shelf.h"
#include "model/Tray.h"

namespace TAVO {
class ExceptionHandler;
class Log;
class Parameters;
} // namespace TAVO

class Puzzle;
class PuzzleEventHandler;
class Setup;
class Table;

// The root of the game's model: the saved games, the worker that makes new
// games and reads and writes the saved-games file, the set-up the menu edits,
// the set-up, cut and table of the game in play, and the picture gallery with
// its loader. Everything but the jobs' run steps happens on the main thread.
class Workspace {
public:
    // Makes a new game from a copy of the menu's set-up: the cut, a table
    // laid out with the default background, and the meshes.
    class NewGameJob : public TAVO::Worker::Job {
    public:
        NewGameJob(Workspace& workspace, std::unique_ptr<Setup> setup);
        ~NewGameJob() override;
        void run() override;
        void done() override;
        void failed() override;

    private:
        Workspace& workspace_;
        std::unique_ptr<Setup> setup_;
        std::unique_ptr<Puzzle> puzzle_;
        std::unique_ptr<Table> table_;
        PartMeshSet meshes_;
        bool failed_ = false;
        bool skipped_ = false;
    };

    // Reads "lighting", "tray_pattern", "tray_blue", "tray_green", "tray_red"
    // and "tray_preview" (a missing key throws TAVO::NotFoundException, a
    // colour that is not a number TAVO::Text::ConversionException), then
    // starts both worker threads.
    Workspace(TAVO::Log& log, TAVO::ExceptionHandler& exceptionHandler, const TAVO::Parameters& configuration);
    // Stops first (see stop).
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Not owned; passed on to the current table.
    void setEventHandler(PuzzleEventHandler* handler);
    PuzzleEventHandler* eventHandler() const { return handler_; }
    void setGalleryDirectory(const std::string& path);
    // Runs the completion of every finished job of both workers; the number run.
    std::uint64_t poll();
    // Jobs of both workers queued and not yet completed by poll.
    std::uint64_t unfinishedJobs() const { return loader_.unfinished() + worker_.unfinished(); }
    // Writes the held-back tray move, stops the picture loader, lets every
    // queued save run (loads, thumbnails and new games still queued are
    // skipped), stops the worker and logs what failed. Later calls do nothing.
    void stop();

    // Empties the table and queues a new game from the menu's set-up. New
    // games and saved-game loads are installed in the order asked for, each
    // answered with puzzleLoaded or puzzleFailed (see Shelf).
    void newGame();
    // Makes a loaded game current and tells the handler, which may empty
    // the meshes.
    void installGame(std::unique_ptr<Setup> setup, std::unique_ptr<Puzzle> puzzle, std::unique_ptr<Table> table,
                     PartMeshSet& meshes);
    void notifyFailed();

    Shelf& shelf() { return shelf_; }
    TAVO::Worker& worker() { return worker_; }
    Setup& menuSetup() { return *menuSetup_; }
    Setup& currentSetup() { return *currentSetup_; }
    const Puzzle* puzzle() const { return puzzle_.get(); }
    Table& table() { return *table_; }
    PictureGallery& gallery() { return *gallery_; }
    PictureLoader& loader() { return loader_; }
    bool lighting() const { return lighting_; }
    const Tray::Background& defaultBackground() const { return defaultBackground_; }
    TAVO::Log& log() const { return log_; }

private:
    // The table becomes the current one and gets the handler.
    void replaceGame(std::unique_ptr<Setup> setup, std::unique_ptr<Puzzle> puzzle, std::unique_ptr<Table> table);

    TAVO::Log& log_;
    PuzzleEventHandler* handler_ = nullptr;
    Shelf shelf_;
    TAVO::Worker worker_;
    std::unique_ptr<Setup> menuSetup_;
    std::unique_ptr<Setup> currentSetup_;
    std::unique_ptr<Puzzle> puzzle_;
    std::unique_ptr<Table> table_;
    std::unique_ptr<PictureGallery> gallery_;
    PictureLoader loader_;
    bool lighting_ = false;
    Tray::Background defaultBackground_;
    bool stopped_ = false;
};
