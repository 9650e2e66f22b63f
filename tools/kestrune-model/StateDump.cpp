#include "StateDump.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "model/Setup.h"
#include "model/Table.h"

namespace {

std::string real(double value, int digits) {
    if (!std::isfinite(value))
        return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

std::string single(float value) { return real(value, 9); }

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

template <class List>
std::string numbers(const List& list) {
    std::string out = "[";
    for (const auto& value : list) {
        if (out.size() > 1)
            out += ",";
        out += std::to_string(value);
    }
    return out + "]";
}

} // namespace

std::string StateDump::json(const std::string& game, Setup& setup, const Table& table) {
    std::string out = "{\"game\":" + quoted(game) + ",\"setup\":{\"picture\":" + quoted(setup.pictureName()) +
                      ",\"seed\":" + std::to_string(setup.seed()) +
                      ",\"requested\":" + std::to_string(setup.requestedPieceCount());
    const TAVO::Tuple<2, float> size = setup.puzzleSize();
    const TAVO::Tuple<2, unsigned int> grid = setup.grid();
    out += ",\"size\":[" + single(size[0]) + "," + single(size[1]) + "],\"grid\":[" + std::to_string(grid[0]) + "," +
           std::to_string(grid[1]) + "]}";

    out += ",\"table\":{\"trayOrder\":" + numbers(table.trayOrder()) + ",\"trays\":[";
    bool first = true;
    std::vector<unsigned int> ids(table.trayOrder().begin(), table.trayOrder().end());
    std::sort(ids.begin(), ids.end());
    for (unsigned int id : ids) {
        const Tray& tray = table.tray(id);
        const TrayPose view = tray.pose();
        out += std::string(first ? "" : ",") + "{\"id\":" + std::to_string(id) + ",\"pose\":[" +
               single(view.position()[0]) + "," + single(view.position()[1]) + "," + single(view.level()) + "]";
        std::vector<unsigned int> order;
        for (auto parts = tray.parts(); parts.valid(); parts.next())
            order.push_back(parts.current());
        out += ",\"order\":" + numbers(order) + ",\"entries\":[";
        std::vector<unsigned int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            const Tray::Pose pose = tray.partPose(sorted[i]);
            out += std::string(i == 0 ? "" : ",") + "{\"part\":" + std::to_string(sorted[i]) + ",\"pose\":[" +
                   single(pose.position()[0]) + "," + single(pose.position()[1]) + "," +
                   real(pose.orientation().value(), 17) + "]}";
        }
        out += "]}";
        first = false;
    }
    out += "],\"parts\":[";
    first = true;
    for (const auto& [id, part] : table.parts()) {
        out += std::string(first ? "" : ",") + "{\"id\":" + std::to_string(id) + ",\"pieces\":" +
               numbers(part.pieces()) + "}";
        first = false;
    }
    const Tray::Background& background = table.background();
    const auto& colour = background.colour().rgb();
    out += "],\"background\":{\"preview\":" + std::to_string(background.preview()) + ",\"colour\":[" +
           single(colour[0]) + "," + single(colour[1]) + "," + single(colour[2]) +
           "],\"pattern\":" + std::to_string(background.pattern()) + "}";
    out += ",\"nextPartId\":" + std::to_string(table.nextPartId()) +
           ",\"complete\":" + (table.isComplete() ? "true" : "false") + "}}";
    return out;
}
