// Makes the photographs of the thumbnail benchmark (bench/run-thumbnails.sh),
// which times kestrune-picture gallery on them.
//   bench_picture_thumbnails W H FILE   writes a photograph-like P6 picture
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s W H FILE\n", argv[0]);
        return 1;
    }
    makePicture(std::atoi(argv[1]), std::atoi(argv[2]), argv[3], unsigned(std::hash<std::string>()(argv[3])));
    return 0;
}
