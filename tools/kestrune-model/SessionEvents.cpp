#include "SessionEvents.h"

#include "SessionLog.h"
#include "model/PartMeshSet.h"

namespace {

std::string number(std::uint32_t value) { return std::to_string(value); }

} // namespace

void SessionEvents::event(const std::string& text) { out_.print("event " + text); }

void SessionEvents::puzzleLoaded(PartMeshSet& meshes) {
    event("puzzleLoaded " + number(std::uint32_t(meshes.ranges().size())) + " " + number(meshes.vertexCount()));
}

void SessionEvents::puzzleFailed() { event("puzzleFailed"); }
void SessionEvents::trayAdded(std::uint32_t tray) { event("trayAdded " + number(tray)); }
void SessionEvents::trayRemoved(std::uint32_t tray) { event("trayRemoved " + number(tray)); }
void SessionEvents::trayChanged(std::uint32_t tray) { event("trayChanged " + number(tray)); }

void SessionEvents::partsJoined(const std::vector<unsigned int>& joined, std::uint32_t part) {
    std::string text = "partsJoined";
    for (unsigned int id : joined)
        text += " " + number(id);
    event(text + " -> " + number(part));
}

void SessionEvents::puzzleCompleted() { event("puzzleCompleted"); }
void SessionEvents::gameInserted(std::uint32_t index) { event("gameInserted " + number(index)); }
void SessionEvents::gameMoved(std::uint32_t from, std::uint32_t to) {
    event("gameMoved " + number(from) + " " + number(to));
}
void SessionEvents::gameRemoved(std::uint32_t index) { event("gameRemoved " + number(index)); }
void SessionEvents::gameChanged(std::uint32_t index) { event("gameChanged " + number(index)); }
void SessionEvents::trashInserted(std::uint32_t index) { event("trashInserted " + number(index)); }
void SessionEvents::trashRemoved(std::uint32_t index) { event("trashRemoved " + number(index)); }
void SessionEvents::trashChanged(std::uint32_t index) { event("trashChanged " + number(index)); }
