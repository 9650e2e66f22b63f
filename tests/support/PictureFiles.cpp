#include "support/PictureFiles.h"

#include <fstream>
#include <sstream>

#include "support/Command.h"

namespace KestruneTest {

std::vector<std::uint8_t> PictureFiles::pattern(std::uint32_t width, std::uint32_t height, std::uint32_t channels,
                                                std::uint32_t seed) {
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * channels);
    std::size_t i = 0;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            for (std::uint32_t c = 0; c < channels; ++c)
                pixels[i++] = std::uint8_t((x * (3 + c) + y * (5 + 2 * c) + seed * 37 + ((x / 7 + y / 5) % 3) * 40) & 0xFF);
    return pixels;
}

void PictureFiles::writeNetPBM(const std::string& path, std::uint32_t width, std::uint32_t height,
                               std::uint32_t channels, const std::vector<std::uint8_t>& pixels) {
    std::ofstream out(path, std::ios::binary);
    out << (channels == 1 ? "P5" : "P6") << "\n" << width << " " << height << "\n255\n";
    out.write(reinterpret_cast<const char*>(pixels.data()), std::streamsize(pixels.size()));
}

bool PictureFiles::writePNG(const std::string& path, std::uint32_t width, std::uint32_t height,
                            std::uint32_t channels, const std::vector<std::uint8_t>& pixels) {
    const std::string raw = path + ".raw";
    std::ofstream(raw, std::ios::binary)
        .write(reinterpret_cast<const char*>(pixels.data()), std::streamsize(pixels.size()));
    std::ostringstream program;
    program << "import struct, zlib\n"
            << "w, h, c = " << width << ", " << height << ", " << channels << "\n"
            << "data = open('" << raw << "', 'rb').read()\n"
            << "rows = b''.join(b'\\x00' + data[y * w * c:(y + 1) * w * c] for y in range(h))\n"
            << "def chunk(t, d):\n"
            << "    return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))\n"
            << "kind = {1: 0, 2: 4, 3: 2, 4: 6}[c]\n"
            << "png = b'\\x89PNG\\r\\n\\x1a\\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, kind, 0, 0, 0))\n"
            << "png += chunk(b'IDAT', zlib.compress(rows, 6)) + chunk(b'IEND', b'')\n"
            << "open('" << path << "', 'wb').write(png)\n";
    const bool ok = Command::python(program.str()).exitCode == 0;
    std::remove(raw.c_str());
    return ok;
}

bool PictureFiles::writeJPEG(const std::string& path, std::uint32_t width, std::uint32_t height,
                             std::uint32_t channels, const std::vector<std::uint8_t>& pixels,
                             const std::string& options) {
    if (!Command::available("cjpeg"))
        return false;
    const std::string source = path + (channels == 1 ? ".pgm" : ".ppm");
    writeNetPBM(source, width, height, channels, pixels);
    const bool ok = Command::run("cjpeg " + options + " -outfile '" + path + "' '" + source + "'").exitCode == 0;
    std::remove(source.c_str());
    return ok;
}

} // namespace KestruneTest
