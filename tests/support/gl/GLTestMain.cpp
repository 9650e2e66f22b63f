// Entry of the tests that need an X display and an OpenGL context. The
// application is made by each test's fixture, never here, so listing the
// tests needs no display.
#include <gtest/gtest.h>

#include <cstdlib>

// D-Bus, which SDL starts for its desktop integration, keeps allocations
// that it never frees by design; nothing of ours is in these reports.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

// The sanitizer's record of the blocks of thread-local storage that the
// libraries opened at run time (the OpenGL driver's) get from the C library
// takes some of these blocks for a layout of the C library's own allocator:
// one that happens to start 16 bytes into a page is read with a made-up
// size, and the leak check at exit crashes in the sanitizer's runtime
// after the test has passed, the same way on every run of that test. Those
// blocks are not watched; a pointer held only in one would be reported as
// a leak, never hidden.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }

// Libraries opened at run time stay loaded for the whole test process. The
// OpenGL driver is loaded with the first context and closed with its display;
// what it keeps in its own globals would then be reported as leaked from an
// unloaded module, which no suppression can name. Loaded, those globals keep
// their memory reachable and the driver's real leaks keep their names.
extern "C" int dlclose(void*) { return 0; }

int main(int argc, char** argv) {
    // Mesa's shader cache answers a repeated compilation without the
    // compiler's warnings, which the strict builds are tested on; the tests
    // also leave no cache files behind.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
