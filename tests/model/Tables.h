#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Cuts.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "model/PuzzleEventHandler.h"
#include "model/Table.h"

namespace ModelTest {

using Pose = Table::Pose;

inline Pose pose(float x, float y, double angle = 0.0) {
    return Pose(TAVO::Point<2, float>(x, y), TAVO::Angle(angle));
}

// Every notification as a line of text, in the order sent.
class RecordingHandler : public PuzzleEventHandler {
public:
    void puzzleLoaded(PartMeshSet&) override { events.push_back("loaded"); }
    void puzzleFailed() override { events.push_back("failed"); }
    void trayAdded(std::uint32_t tray) override { events.push_back("added " + std::to_string(tray)); }
    void trayRemoved(std::uint32_t tray) override { events.push_back("removed " + std::to_string(tray)); }
    void trayChanged(std::uint32_t tray) override { events.push_back("changed " + std::to_string(tray)); }
    void partsJoined(const std::vector<unsigned int>& joined, std::uint32_t part) override {
        std::string line = "joined";
        for (unsigned int id : joined)
            line += " " + std::to_string(id);
        events.push_back(line + " -> " + std::to_string(part));
    }
    void puzzleCompleted() override { events.push_back("completed"); }

    // The events since the last call.
    std::vector<std::string> take() {
        std::vector<std::string> taken;
        taken.swap(events);
        return taken;
    }

    std::vector<std::string> events;
};

inline TAVO::IncrementalBuffer bytesOf(const TAVO::Serializable& object) {
    TAVO::IncrementalBuffer buffer;
    TAVO::BufferStream stream(buffer);
    TAVO::Serialization::serialize(object, stream);
    return buffer;
}

inline std::vector<std::uint8_t> vectorOf(const TAVO::Buffer& buffer) {
    const TAVO::Buffer& constant = buffer;
    return std::vector<std::uint8_t>(constant.data(), constant.data() + buffer.size());
}

inline TAVO::IncrementalBuffer bufferOf(const std::vector<std::uint8_t>& bytes) {
    TAVO::IncrementalBuffer buffer;
    buffer.setSize(std::uint32_t(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), buffer.data());
    return buffer;
}

inline void readInto(const std::vector<std::uint8_t>& bytes, TAVO::Serializable& object) {
    const TAVO::IncrementalBuffer buffer = bufferOf(bytes);
    TAVO::ConstBufferStream stream(buffer);
    TAVO::Serialization::deserialize(stream, object);
}

// A new game of a grid cut laid out on a table.
struct Game {
    std::unique_ptr<Puzzle> puzzle;
    Table table;

    Game(std::uint32_t seed, std::uint32_t columns, std::uint32_t rows, float cell = 64.0f)
        : puzzle(gridCut(seed, columns, rows, cell * float(columns), cell * float(rows))) {
        table.scatter(puzzle.get(), TAVO::Tuple<2, float>(cell * float(columns), cell * float(rows)));
    }

    // The part that holds the piece.
    std::uint32_t partOf(std::uint32_t piece) const {
        for (const auto& [id, part] : table.parts())
            for (std::uint32_t p : part.pieces())
                if (p == piece)
                    return id;
        return 0xFFFFFFFFu;
    }
};

} // namespace ModelTest
