#pragma once

#include <string>
#include <vector>

// kestrune-puzzle's commands over a laid-out table:
//
//   scatter SEED COLUMNS ROWS WIDTH HEIGHT
//     cuts as `grid` does and lays the new game out. Prints
//     "view T X Y LEVEL" for every tray's view pose, then for every part,
//     trays in order and parts bottom first,
//     "part ID piece P tray T place K pose X Y ANGLE" (K counts from 0 at the
//     bottom of the tray).
//
//   mesh SEED COLUMNS ROWS WIDTH HEIGHT [plain|attribute]
//     lays the game out as scatter does and builds the piece meshes (plain by
//     default). Prints "mesh KIND vertices V" and then, for every part in id
//     order, "part ID triangles T area A" (the sum of its triangles' areas).
//
// Floats are printed as the 8 hexadecimal digits of their bits, the angle
// (a double) as 16. Both return the exit code.
class TableCommands {
public:
    static int scatter(const std::vector<std::string>& words);
    static int mesh(const std::vector<std::string>& words);
};
