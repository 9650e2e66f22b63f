#pragma once

#include <cstdint>
#include <vector>

class PartMeshSet;

// What the puzzle model tells the play view about the current game. The
// workspace and the table hold a pointer to one handler (not owned) and call
// it on the main thread only; without a handler nothing is sent. Every
// operation does nothing unless overridden.
class PuzzleEventHandler {
public:
    virtual ~PuzzleEventHandler() = default;

    // A new or saved game is ready: the triangle meshes of every part. They
    // are the handler's to keep or empty: nothing reads them after it.
    virtual void puzzleLoaded(PartMeshSet& meshes) { (void)meshes; }
    // A new or saved game could not be made.
    virtual void puzzleFailed() {}
    // The tray exists now.
    virtual void trayAdded(std::uint32_t tray) { (void)tray; }
    // The (empty) tray is about to be erased.
    virtual void trayRemoved(std::uint32_t tray) { (void)tray; }
    // A part on the tray was added, put, moved or removed, the tray has a new
    // pose, or the table's background changed.
    virtual void trayChanged(std::uint32_t tray) { (void)tray; }
    // The parts were merged into one new part: the joined neighbours in
    // ascending id order, then the dropped part.
    virtual void partsJoined(const std::vector<unsigned int>& joined, std::uint32_t part) {
        (void)joined;
        (void)part;
    }
    // A join left one part: the picture is whole.
    virtual void puzzleCompleted() {}
};
