// Durable commits into an archive file: N appends of 100-byte entries, each
// committed on its own, then a reopen and a read of every entry.
//   bench_archive_commits FILE [COUNT]
// Prints one line per phase: "phase seconds".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/packages/Archive.h"
#include "foundation/packages/ArchiveFile.h"

using namespace TAVO;
using Clock = std::chrono::steady_clock;

static double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [COUNT]\n", argv[0]);
        return 1;
    }
    const std::string path = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 10000;
    std::remove(path.c_str());
    const std::string record(100, 'r');

    auto start = Clock::now();
    {
        ArchiveFile file(path, false, false);
        for (int i = 0; i < count; ++i) {
            auto writer = file.archive()->openAppender("record/" + std::to_string(i));
            writer->stream().write(record.data(), record.size());
        }
    }
    std::printf("commit %.6f\n", since(start));

    start = Clock::now();
    ArchiveFile file(path, true, false);
    std::printf("open %.6f\n", since(start));

    start = Clock::now();
    std::string content(100, 0);
    std::size_t total = 0;
    for (auto names = file.archive()->iterateShared(); names->valid(); names->advance()) {
        auto reader = file.archive()->openReader(names->current());
        reader->stream().read(content.data(), content.size());
        total += content.size();
    }
    std::printf("read %.6f\n", since(start));
    return total == std::size_t(count) * 100 ? 0 : 2;
}
