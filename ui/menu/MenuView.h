#pragma once

#include <cstdint>

#include "geometry/Hyperrectangle.h"
#include "geometry/Tuple.h"

namespace TAVO::IK::SDLGL {
class Texture;
}

// What the game menu asks of the play view that owns it: switching between
// window and full screen, choosing the current tray, and drawing a tray's
// thumbnail for the tray bar. The view implements it.
class MenuView {
public:
    virtual ~MenuView() = default;

    virtual bool isFullscreen() const = 0;
    // Inverts the full-screen state; a refusal of the window system throws
    // and leaves the state as it was.
    virtual void toggleFullscreen() = 0;
    // Makes the tray current and has the menu highlight its icon.
    virtual void selectTray(std::uint32_t tray) = 0;
    // Draws the tray into the region (pixels) of the texture, showing what a
    // window of viewSize would show of it.
    virtual void renderTrayThumbnail(std::uint32_t tray, TAVO::IK::SDLGL::Texture& texture,
                                     const TAVO::Hyperrectangle<2, unsigned int>& region,
                                     const TAVO::Tuple<2, unsigned int>& viewSize) = 0;

protected:
    MenuView() = default;
    MenuView(const MenuView&) = default;
    MenuView& operator=(const MenuView&) = default;
};
