#pragma once

#include "geometry/Point.h"

#include <cstdint>

// What a pressed pointer does on the table between the press and the release:
// carrying a part or panning the current tray. The view owns the drags and
// hands the active one to the interface through the drag-over event, so that
// the tray bar can show a part carried over it and take the drop.
class Drag {
public:
    virtual ~Drag() = default;

    // The pointer was released at this table point (the current tray's view).
    virtual void drop(const TAVO::Point<2, float>& point) = 0;
    // The pointer moved to this table point.
    virtual void move(const TAVO::Point<2, float>& point) = 0;
    // The pointer is over the tray bar, at this point in normalised window
    // coordinates; onIcon is true over a tray icon or the new-tray icon. True
    // when the drag took the event; by default it does not.
    virtual bool hoverTrayBar(const TAVO::Point<2, float>& position, bool onIcon);
    // Released over that tray's icon; true when taken. By default not.
    virtual bool dropIntoTray(std::uint32_t tray);
    // Released over the new-tray icon; true when taken. By default not.
    virtual bool dropIntoNewTray();
    // Once per fixed step while the drag is the active one.
    virtual void update();

protected:
    Drag() = default;
    Drag(const Drag&) = default;
    Drag& operator=(const Drag&) = default;
};
