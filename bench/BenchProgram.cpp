#include "bench/BenchProgram.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "foundation/streams/IncrementalBuffer.h"
#include "game/View.h"
#include "imaging/Factory.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "imaging/PictureLoader.h"
#include "imaging/codecs/PNGExporter.h"
#include "model/Setup.h"
#include "model/Shelf.h"
#include "model/Table.h"
#include "model/Tray.h"
#include "model/Workspace.h"
#include "resources/BuiltInResources.h"

BenchProgram::BenchProgram() : GameProgram(BuiltInResources::data(), BuiltInResources::size()) {}

bool BenchProgram::open() {
    const char* argv[] = {"kestrune", "--configuration", "configuration.txt"};
    std::ostringstream out, err;
    int code = 0;
    if (!processCommandLine(3, argv, out, err, code))
        return false;
    openLog();
    start();
    frame();
    return true;
}

void BenchProgram::frame() {
    const std::uint64_t drawn = framesDrawn();
    pass();
    if (framesDrawn() == drawn)
        drawFrame();
    glFinish();
}

bool BenchProgram::waitForThumbnails() {
    const auto start = Clock::now();
    while (millisecondsSince(start) < 60000.0) {
        frame();
        const Shelf& shelf = workspace().shelf();
        bool ready = true;
        for (const std::string& id : shelf.games())
            ready = ready && (shelf.description(id).thumbnailReady || shelf.description(id).broken);
        if (ready)
            return true;
    }
    return false;
}

bool BenchProgram::waitForTable(std::uint32_t minimumParts) {
    const auto start = Clock::now();
    while (millisecondsSince(start) < 600000.0) {
        frame();
        if (workspace().puzzle() != nullptr && workspace().table().tray(0).partCount() >= minimumParts) {
            frame();
            return true;
        }
    }
    return false;
}

std::uint32_t BenchProgram::setUpGame(const std::string& picturePath, std::uint32_t requestedPieces) {
    Picture picture;
    if (!workspace().loader().loadPicture(picturePath, picture)) {
        std::fprintf(stderr, "%s cannot be read\n", picturePath.c_str());
        return 0;
    }
    Setup& setup = workspace().menuSetup();
    setup.setPicture(picturePath, picture);
    setup.setRequestedPieceCount(requestedPieces);
    return setup.pieceCount();
}

bool BenchProgram::startNewGame(std::uint32_t pieces) {
    view().menu().startNewGame();
    if (waitForTable(pieces))
        return true;
    std::fprintf(stderr, "the new game did not arrive\n");
    return false;
}

void BenchProgram::resume(const std::string& game) {
    workspace().shelf().setCurrentGame(game);
    workspace().shelf().loadGame();
}

void BenchProgram::finish() {
    stop();
    release();
}

double BenchProgram::millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double BenchProgram::median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

const char* BenchProgram::softwareRendering() {
    const char* value = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    return value != nullptr ? value : "";
}

long BenchProgram::peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

std::filesystem::path BenchProgram::enterFolder(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    return folder;
}

void BenchProgram::leaveFolder(const std::filesystem::path& folder) {
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
}

void BenchProgram::writeConfiguration(std::uint32_t width, std::uint32_t height, bool antialiasing,
                                      const std::string& lighting) {
    std::ofstream("configuration.txt", std::ios::trunc)
        << "window_width=" << width << "\nwindow_height=" << height
        << "\nmaximized=false\nantialiasing=" << (antialiasing ? "true" : "false") << "\nlighting=" << lighting
        << "\n";
}

void BenchProgram::writeRingsPicture(const std::string& path, std::uint32_t width, std::uint32_t height,
                                     bool detailed) {
    TAVO::IncrementalBuffer pixels(0, width * height * 3);
    std::uint8_t* p = pixels.data();
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x, p += 3) {
            const double r = std::hypot(double(x) - width / 2.0, double(y) - height / 2.0);
            p[0] = std::uint8_t(127 + 127 * std::sin(r / 23.0));
            p[1] = std::uint8_t(x * 255 / width);
            p[2] = std::uint8_t(detailed ? (y * 255 / height) ^ ((x / 7) & 31) : y * 255 / height);
        }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder);
    TAVO::Migration::PNGExporter exporter;
    TAVO::Migration::Factory().exportFile(pixels, TAVO::Migration::ImageMetadata(width, height, 3, 24), path,
                                          exporter);
}

SDL_MouseButtonEvent BenchProgram::leftButton(std::uint32_t type, int x, int y) {
    SDL_MouseButtonEvent event{};
    event.type = type;
    event.button = SDL_BUTTON_LEFT;
    event.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.x = x;
    event.y = y;
    return event;
}

SDL_MouseMotionEvent BenchProgram::leftDrag(int x, int y, int dx, int dy) {
    SDL_MouseMotionEvent event{};
    event.type = SDL_MOUSEMOTION;
    event.state = SDL_BUTTON_LMASK;
    event.x = x;
    event.y = y;
    event.xrel = dx;
    event.yrel = dy;
    return event;
}
