// Times the PNG importer and the inflater alone over PNG files given on the
// command line. Prints one line per file: name, seconds per decode, seconds
// per inflate of the image data (best of several runs). bench/run-png.sh runs
// the same measurement with the reference libraries beside it.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/Inflater.h"
#include "imaging/codecs/PNGImporter.h"
#include "imaging/codecs/ZlibStream.h"

using namespace TAVO;
using namespace TAVO::Migration;

namespace {

std::vector<std::uint8_t> imageData(const std::vector<std::uint8_t>& file) {
    std::vector<std::uint8_t> data;
    std::size_t p = 8;
    while (p + 12 <= file.size()) {
        std::uint32_t length = (std::uint32_t(file[p]) << 24) | (file[p + 1] << 16) | (file[p + 2] << 8) | file[p + 3];
        if (std::memcmp(&file[p + 4], "IDAT", 4) == 0)
            data.insert(data.end(), file.begin() + long(p + 8), file.begin() + long(p + 8 + length));
        p += 12 + length;
    }
    return data;
}

template <class Work>
double best(Work work) {
    double result = 1e9;
    for (int run = 0; run < 5; ++run) {
        auto start = std::chrono::steady_clock::now();
        work();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        result = std::min(result, took.count());
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        IncrementalBuffer bytes;
        bytes.assign(file.data(), std::uint32_t(file.size()));
        PNGImporter importer;
        IncrementalBuffer pixels;
        ImageMetadata metadata;
        double decode = best([&] {
            ConstBufferStream stream(bytes);
            importer.setStream(stream);
            importer.import(pixels, metadata);
            importer.clearStream();
        });
        std::vector<std::uint8_t> data = imageData(file);
        PNG::Inflater inflater;
        IncrementalBuffer out;
        double inflate = best([&] {
            out.clear();
            PNG::ZlibStream::read(inflater, data.data(), data.size(), out, 0xFFFFFFFFu);
        });
        std::printf("%s %.6f %.6f\n", argv[i], decode, inflate);
    }
    return 0;
}
