// kestrune: the game.
//
//   kestrune [--configuration FILE] [--extract-resources DIR] [--use-resources DIR]
//
// Runs in the working folder: the saved games are "puzzles.dat" and the log
// "jigsaw_log.txt" there.

#include <iostream>

#include "game/GameProgram.h"
#include "resources/BuiltInResources.h"

#if defined(__SANITIZE_ADDRESS__)
// Sanitizer builds only. D-Bus, which SDL starts for its desktop
// integration, keeps allocations that it never frees by design.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
// The OpenGL driver, loaded with the context and closed with its display,
// would otherwise have what it keeps in its globals reported as leaked from
// an unloaded module, which no suppression can name.
extern "C" int dlclose(void*) { return 0; }
#endif

int main(int argc, char** argv) {
    GameProgram program(BuiltInResources::data(), BuiltInResources::size());
    return program.run(argc, argv, std::cout, std::cerr);
}
