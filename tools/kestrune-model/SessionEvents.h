#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/PuzzleEventHandler.h"
#include "model/Shelf.h"

class SessionLog;

// Prints what the model tells the view and the saved-games panel as
// "event NAME ARGS" lines.
class SessionEvents : public PuzzleEventHandler, public Shelf::EventHandler {
public:
    explicit SessionEvents(SessionLog& out) : out_(out) {}

    void puzzleLoaded(PartMeshSet& meshes) override;
    void puzzleFailed() override;
    void trayAdded(std::uint32_t tray) override;
    void trayRemoved(std::uint32_t tray) override;
    void trayChanged(std::uint32_t tray) override;
    void partsJoined(const std::vector<unsigned int>& joined, std::uint32_t part) override;
    void puzzleCompleted() override;

    void gameInserted(std::uint32_t index) override;
    void gameMoved(std::uint32_t from, std::uint32_t to) override;
    void gameRemoved(std::uint32_t index) override;
    void gameChanged(std::uint32_t index) override;
    void trashInserted(std::uint32_t index) override;
    void trashRemoved(std::uint32_t index) override;
    void trashChanged(std::uint32_t index) override;

private:
    void event(const std::string& text);

    SessionLog& out_;
};
