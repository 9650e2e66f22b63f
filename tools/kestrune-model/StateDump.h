#pragma once

#include <string>

class Setup;
class Table;

// The set-up and the whole table of a game as one line of JSON:
// {"game": id, "setup": {picture, seed, requested, size, grid},
//  "table": {"trayOrder": [...], "trays": [{"id", "pose": [x, y, level],
//  "order": [...], "entries": [{"part", "pose": [x, y, angle]}]}],
//  "parts": [{"id", "pieces": [...]}], "background": {"preview", "colour":
//  [r, g, b], "pattern"}, "nextPartId", "complete"}}.
// Floats carry 9 significant digits and angles 17, so that both read back
// exactly; trays and parts are in ascending id order, entries in id order.
class StateDump {
public:
    static std::string json(const std::string& game, Setup& setup, const Table& table);
};
