// kestrune-gallery FOLDER: draws the sample pictures that a new player finds
// in the game's gallery and writes them into FOLDER as PNG files.

#include <iostream>
#include <string>

#include "foundation/exceptions/Exception.h"
#include "foundation/files/FileSystem.h"
#include "tools/kestrune-gallery/EveningHills.h"
#include "tools/kestrune-gallery/Patchwork.h"
#include "tools/kestrune-gallery/SpiralFractal.h"
#include "tools/kestrune-gallery/StainedGlass.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kestrune-gallery FOLDER\n"
                     "Draws the sample pictures of the game's gallery into FOLDER.\n";
        return 1;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const std::uint32_t width = 1024, height = 768;
    try {
        TAVO::FileSystem::createDirectories(folder);
        EveningHills::draw(width, height).writePNG(folder + "evening-hills.png");
        StainedGlass::draw(width, height).writePNG(folder + "stained-glass.png");
        SpiralFractal::draw(width, height).writePNG(folder + "spiral.png");
        Patchwork::draw(width, height).writePNG(folder + "patchwork.png");
    } catch (const TAVO::Exception& e) {
        std::cerr << e;
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "kestrune-gallery: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
