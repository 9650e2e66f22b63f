#pragma once

#include <map>
#include <string>

#include "tools/kestrune-assets/ShapeDrawing.h"

// The menu's icons, each a one-colour drawing within (0, 0) to (1, 1) that
// reads at 50 by 50 pixels: one layer, no colours, outlines counter-clockwise
// and holes clockwise, no two contours touching.
class MenuIcons {
public:
    // A right-pointing triangle with cut corners: six points, one contour.
    static ShapeDrawing play();
    // An exclamation mark: a bar and a dot of four points each.
    static ShapeDrawing error();
    // Three dots in a row, the busy indicator.
    static ShapeDrawing dots();
    // The rounded square that items and swatches are drawn on; it fills the
    // whole bounds.
    static ShapeDrawing roundSquare();
    static ShapeDrawing add();
    // A bin with a lid.
    static ShapeDrawing trash();
    // The bin filled over the brim, its lid lifted.
    static ShapeDrawing trashFull();
    // A circular arrow turning back.
    static ShapeDrawing restore();
    // A cross.
    static ShapeDrawing abort();
    // An open door in its frame.
    static ShapeDrawing door();
    static ShapeDrawing house();
    // A paint roller: the table's look.
    static ShapeDrawing roll();
    // Three bars.
    static ShapeDrawing menu();
    static ShapeDrawing left();
    static ShapeDrawing right();
    // Four corners pointing outwards: full screen.
    static ShapeDrawing expand();
    // Four corners pointing inwards: back to a window.
    static ShapeDrawing collapse();
    // A square of dashes: no preview.
    static ShapeDrawing dashed();
    // A plain square: a blank preview.
    static ShapeDrawing square();
    // A framed picture of hills under a sun: the picture as preview.
    static ShapeDrawing landscape();

    // Every icon by its file name below "assets/".
    static std::map<std::string, ShapeDrawing> all();
};
