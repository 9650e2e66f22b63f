#pragma once

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "game/GameProgram.h"

// The game program as the benchmarks of the whole game run it, in their
// process, on the X display of DISPLAY: its start-up step by step with the
// configuration file of the working folder, passes of its main loop that
// each show a frame, and what those benchmarks share besides (their folder,
// configuration and picture files, timing, pointer events).
class BenchProgram : public GameProgram {
public:
    using Clock = std::chrono::steady_clock;

    BenchProgram();

    // Up to the first frame; false when the program did not start.
    bool open();
    // One pass of the main loop with a frame drawn: the loop's own when it
    // drew one, else one drawn here (the loop draws only what changed, at
    // most once per refresh; these figures are of the drawing), finished.
    void frame();
    // Passes until the table holds the game's parts and a frame shows them;
    // false after ten minutes.
    bool waitForTable(std::uint32_t minimumParts);
    // Passes until every listed game's thumbnail is ready (or the game is
    // marked broken), as a player sees the list before choosing; false
    // after a minute.
    bool waitForThumbnails();
    // What the picture page leaves in the set-up: the picture and the
    // requested piece count. The pieces the cut will make; 0 when the
    // picture cannot be read (told on standard error).
    std::uint32_t setUpGame(const std::string& picturePath, std::uint32_t requestedPieces);
    // The set-up's game started as the start button starts it (the menu
    // gives its picture to the game), up to the first frame of its table;
    // false when it did not arrive (told on standard error).
    bool startNewGame(std::uint32_t pieces);
    // The saved game asked for, as the saved-games list asks.
    void resume(const std::string& game);
    void finish();

    static double millisecondsSince(Clock::time_point start);
    // The middle value, or the mean of the middle two; 0 of none.
    static double median(std::vector<double> values);
    // LIBGL_ALWAYS_SOFTWARE as the environment gives it ("" when unset).
    static const char* softwareRendering();
    // The process's peak resident memory in kB (VmHWM of /proc/self/status),
    // as GNU time reports it; -1 when it cannot be read.
    static long peakResidentKilobytes();

    // A fresh folder of the name in the temporary folder, made the working
    // folder; leaveFolder goes back to the temporary folder and removes it.
    static std::filesystem::path enterFolder(const std::string& name);
    static void leaveFolder(const std::filesystem::path& folder);
    // The game's configuration file in the working folder: a window of the
    // size, not maximized, with the antialiasing and lighting given.
    static void writeConfiguration(std::uint32_t width, std::uint32_t height, bool antialiasing,
                                   const std::string& lighting);
    // A picture of coloured rings written as a PNG file with the project's
    // encoder, its folder made when missing; detailed, a fine pattern runs
    // across the blue of every part of it.
    static void writeRingsPicture(const std::string& path, std::uint32_t width, std::uint32_t height,
                                  bool detailed);

    // The left button pressed (SDL_MOUSEBUTTONDOWN) or let go
    // (SDL_MOUSEBUTTONUP) at the window pixel.
    static SDL_MouseButtonEvent leftButton(std::uint32_t type, int x, int y);
    // The pointer moved by (dx, dy) to the window pixel, the left button held.
    static SDL_MouseMotionEvent leftDrag(int x, int y, int dx, int dy);
};
