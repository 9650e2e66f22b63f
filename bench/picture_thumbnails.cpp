// Thumbnails of a folder the way the gallery makes them: every picture loaded
// on the picture loader's worker, cut to its centred square and scaled to 128.
//   bench_picture_thumbnails FOLDER          prints "seconds thumbnails"
//   bench_picture_thumbnails --make W H FILE writes a photograph-like P6 picture
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/threads/LogFile.h"
#include "imaging/PictureGallery.h"
#include "imaging/PictureLoader.h"

namespace {

// Smooth gradients with some texture, so that JPEG and PNG compress as they
// would a photograph rather than a flat or a noisy picture.
void makePicture(int width, int height, const std::string& path, unsigned seed) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    std::vector<unsigned char> row(std::size_t(width) * 3);
    unsigned state = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            const int noise = int((state >> 16) & 15) - 8;
            const double fx = double(x) / width, fy = double(y) / height;
            const int r = int(128 + 100 * std::sin(6.0 * fx + seed) * std::cos(4.0 * fy)) + noise;
            const int g = int(128 + 90 * std::sin(3.0 * fy + 2.0 * fx + seed)) + noise;
            const int b = int(128 + 80 * std::cos(5.0 * fx * fy + seed)) + noise;
            row[3 * x] = (unsigned char)std::min(255, std::max(0, r));
            row[3 * x + 1] = (unsigned char)std::min(255, std::max(0, g));
            row[3 * x + 2] = (unsigned char)std::min(255, std::max(0, b));
        }
        out.write(reinterpret_cast<const char*>(row.data()), std::streamsize(row.size()));
    }
}

class Count : public PictureGallery::EventHandler {
public:
    explicit Count(PictureGallery& gallery) : gallery_(gallery) {}
    void added() override { gallery_.loadThumbnail(std::uint32_t(gallery_.entries().size() - 1)); }
    void removed(std::uint32_t) override { ++settled; }
    void thumbnailReady(std::uint32_t) override { ++settled; }
    std::size_t settled = 0;

private:
    PictureGallery& gallery_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--make") {
        makePicture(std::atoi(argv[2]), std::atoi(argv[3]), argv[4], unsigned(std::hash<std::string>()(argv[4])));
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER | --make W H FILE\n", argv[0]);
        return 1;
    }
    std::ostringstream logText;
    TAVO::LogFile log;
    log.open(logText);
    PictureLoader loader(log);
    loader.start();
    const auto start = std::chrono::steady_clock::now();
    PictureGallery gallery(loader);
    Count count(gallery);
    gallery.setEventHandler(&count);
    gallery.setDirectory(argv[1]);
    const std::size_t listed = gallery.entries().size();
    while (count.settled < listed) {
        loader.poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    loader.stop();
    std::printf("%.4f %zu\n", seconds, gallery.entries().size());
    return logText.str().empty() ? 0 : 2;
}
