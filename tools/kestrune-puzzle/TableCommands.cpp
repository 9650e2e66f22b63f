#include "TableCommands.h"

#include <cstdio>
#include <memory>

#include "NewGameCut.h"
#include "ToolText.h"
#include "model/PartMeshSet.h"
#include "model/Puzzle.h"
#include "model/Table.h"

namespace {

// The cut of the first five words, laid out on the table.
std::unique_ptr<Puzzle> scattered(const std::vector<std::string>& words, Table& table) {
    const std::uint32_t seed = PuzzleTool::parseUnsigned(words[0], "SEED");
    const std::uint32_t columns = PuzzleTool::parseUnsigned(words[1], "COLUMNS");
    const std::uint32_t rows = PuzzleTool::parseUnsigned(words[2], "ROWS");
    const TAVO::Tuple<2, float> size(PuzzleTool::parseSize(words[3], "WIDTH"),
                                     PuzzleTool::parseSize(words[4], "HEIGHT"));
    std::unique_ptr<Puzzle> puzzle = NewGameCut::grid(seed, columns, rows, size);
    table.scatter(puzzle.get(), size);
    return puzzle;
}

void write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// Twice the signed area of the triangle, in double.
double doubleArea(const float* a, const float* b, const float* c) {
    return (double(b[0]) - a[0]) * (double(c[1]) - a[1]) - (double(c[0]) - a[0]) * (double(b[1]) - a[1]);
}

} // namespace

int TableCommands::scatter(const std::vector<std::string>& words) {
    Table table;
    const std::unique_ptr<Puzzle> puzzle = scattered(words, table);
    std::string out;
    for (unsigned int trayId : table.trayOrder()) {
        const TrayPose view = table.tray(trayId).pose();
        out += "view " + std::to_string(trayId) + ' ';
        PuzzleTool::hex(out, view.position()[0]);
        out += ' ';
        PuzzleTool::hex(out, view.position()[1]);
        out += ' ';
        PuzzleTool::hex(out, view.level());
        out += '\n';
    }
    for (unsigned int trayId : table.trayOrder()) {
        const Tray& tray = table.tray(trayId);
        std::uint32_t place = 0;
        for (auto parts = tray.parts(); parts.valid(); parts.next(), ++place) {
            const std::uint32_t id = parts.current();
            const Tray::Pose pose = tray.partPose(id);
            out += "part " + std::to_string(id) + " piece " + std::to_string(table.part(id).pieces().front()) +
                   " tray " + std::to_string(trayId) + " place " + std::to_string(place) + " pose ";
            PuzzleTool::hex(out, pose.position()[0]);
            out += ' ';
            PuzzleTool::hex(out, pose.position()[1]);
            out += ' ';
            PuzzleTool::hex(out, pose.orientation().value());
            out += '\n';
        }
    }
    write(out);
    return 0;
}

int TableCommands::mesh(const std::vector<std::string>& words) {
    const std::string kind = words.size() > 5 ? words[5] : "plain";
    if (kind != "plain" && kind != "attribute")
        throw PuzzleTool::Refusal{"the mesh kind must be plain or attribute, not \"" + kind + "\""};
    Table table;
    const std::unique_ptr<Puzzle> puzzle = scattered(words, table);
    const bool attribute = kind == "attribute";
    PartMeshSet meshes;
    meshes.build(*puzzle, table, attribute);
    std::string out = "mesh " + kind + " vertices " + std::to_string(meshes.vertexCount()) + '\n';
    const float* positions = meshes.positions().data();
    for (const auto& [id, ranges] : meshes.ranges()) {
        std::uint64_t corners = 0;
        double area = 0.0;
        for (const PartMeshSet::DrawRange& range : ranges)
            for (std::uint32_t k = range.first; k < range.first + range.count; k += 3) {
                std::uint32_t v[3] = {k, k + 1, k + 2};
                if (!attribute)
                    for (std::uint32_t& vertex : v)
                        vertex = meshes.indices()[vertex];
                area += doubleArea(positions + 2 * v[0], positions + 2 * v[1], positions + 2 * v[2]) / 2.0;
                corners += 3;
            }
        out += "part " + std::to_string(id) + " triangles " + std::to_string(corners / 3) + " area ";
        PuzzleTool::hex(out, float(area));
        out += '\n';
    }
    write(out);
    return 0;
}
