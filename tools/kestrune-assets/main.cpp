// kestrune-assets FOLDER: draws the game's built-in pictures and writes them
// below FOLDER/assets: the menu icons, the title and the digit font as shape
// files and the window icon as a PNG file.

#include <iostream>
#include <string>

#include "foundation/exceptions/Exception.h"
#include "foundation/files/FileSystem.h"
#include "tools/kestrune-assets/BlockLetters.h"
#include "tools/kestrune-assets/MenuIcons.h"
#include "tools/kestrune-assets/SevenSegmentFont.h"
#include "tools/kestrune-assets/WindowIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kestrune-assets FOLDER\n"
                     "Writes the built-in shape files and the window icon below FOLDER/assets.\n";
        return 1;
    }
    const std::string folder = std::string(argv[1]) + "/assets/";
    try {
        TAVO::FileSystem::createDirectories(folder);
        for (const auto& [name, drawing] : MenuIcons::all())
            drawing.writeFile(folder + name);
        BlockLetters::title("KESTRUNE").writeFile(folder + "title.dat");
        SevenSegmentFont::drawing().writeFile(folder + "digits.dat");
        WindowIcon::writeFile(folder + "icon.png");
    } catch (const TAVO::Exception& e) {
        std::cerr << e;
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "kestrune-assets: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
