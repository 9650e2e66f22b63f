// Decoding speed of the JPEG importer, run beside djpeg by run-jpeg.sh.
//
//   bench_jpeg picture OUT.ppm WIDTH HEIGHT [STYLE]
//                                             writes a picture: photo (the
//                                             default, photograph-like),
//                                             smooth (gradients, faint grain)
//                                             or noise (strong grain all over)
//   bench_jpeg decode FILE.jpg RUNS [eighth]  decodes the file RUNS times and
//                                             prints the best time in ms

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/streams/CppInStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/JPEGImporter.h"

namespace {

// Smooth shading, hard-edged shapes and fine texture, like a photograph:
// the mix that decides how many coefficients a block carries. The smooth
// style keeps the shading with faint grain and no edges; the noise style
// puts strong grain everywhere.
int writePicture(const char* path, unsigned width, unsigned height, const std::string& style) {
    const bool photo = style == "photo", smooth = style == "smooth";
    if (!photo && !smooth && style != "noise")
        return 2;
    std::vector<unsigned char> pixels(std::size_t(width) * height * 3);
    std::uint32_t seed = 12345;
    auto noise = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return int(seed >> 24) - 128;
    };
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x) {
            const double fx = double(x) / width, fy = double(y) / height;
            double r = 90 + 120 * fx + 30 * std::sin(fy * 9.0);
            double g = 70 + 100 * fy + 40 * std::sin((fx + fy) * 13.0);
            double b = 160 - 80 * fx * fy + 25 * std::cos(fx * 21.0);
            if (!smooth) {
                // Circles and stripes with hard edges.
                const double cx = fx - 0.3 - 0.2 * std::floor(fy * 3), cy = fy - 0.5;
                if (cx * cx + cy * cy < 0.02) {
                    r = 230 - r * 0.3;
                    g *= 0.5;
                }
                if (int(std::floor(fx * 40 + fy * 7)) % 9 == 0)
                    b = 40;
            }
            // Texture: fine grain, stronger in the lower half (foliage,
            // gravel) of a photograph.
            const double grain = smooth ? 0.02 : photo ? (fy > 0.5 ? 0.35 : 0.08) : 0.6;
            const int n = noise();
            r += n * grain;
            g += n * grain * 0.8;
            b += noise() * grain * 0.5;
            unsigned char* p = &pixels[(std::size_t(y) * width + x) * 3];
            p[0] = (unsigned char)std::clamp(int(r), 0, 255);
            p[1] = (unsigned char)std::clamp(int(g), 0, 255);
            p[2] = (unsigned char)std::clamp(int(b), 0, 255);
        }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return 1;
    std::fprintf(file, "P6\n%u %u\n255\n", width, height);
    std::fwrite(pixels.data(), 1, pixels.size(), file);
    return std::fclose(file) == 0 ? 0 : 1;
}

int decode(const char* path, int runs, bool eighth) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        std::ifstream in(path, std::ios::binary);
        TAVO::CppInStream stream(in);
        TAVO::Migration::JPEGImporter importer;
        importer.setEighthScale(eighth);
        importer.setStream(stream);
        TAVO::IncrementalBuffer buffer;
        TAVO::Migration::ImageMetadata metadata;
        const auto start = std::chrono::steady_clock::now();
        try {
            importer.import(buffer, metadata);
        } catch (const TAVO::Exception& exception) {
            std::cerr << exception;
            return 1;
        }
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::printf("%.1f\n", best);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "picture") == 0)
        return writePicture(argv[2], unsigned(std::atoi(argv[3])), unsigned(std::atoi(argv[4])),
                            argc >= 6 ? argv[5] : "photo");
    if (argc >= 4 && std::strcmp(argv[1], "decode") == 0)
        return decode(argv[2], std::atoi(argv[3]), argc >= 5 && std::strcmp(argv[4], "eighth") == 0);
    std::fprintf(stderr, "usage: bench_jpeg picture OUT.ppm WIDTH HEIGHT [photo|smooth|noise] | "
                         "decode FILE.jpg RUNS [eighth]\n");
    return 2;
}
