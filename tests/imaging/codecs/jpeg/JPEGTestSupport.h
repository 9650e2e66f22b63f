#pragma once

// Helpers of the JPEG decoder's tests: decoding byte strings, pictures as
// plain arrays, the cjpeg/djpeg oracles and a small writer of hand-made
// baseline streams.

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/JPEGImporter.h"
#include "support/Command.h"
#include "support/TempFolder.h"

namespace KestruneTest::JPEG {

using Bytes = std::vector<std::uint8_t>;

// Pixels top row first, channels interleaved.
struct Picture {
    unsigned width = 0;
    unsigned height = 0;
    unsigned channels = 0;
    Bytes pixels;

    int at(unsigned x, unsigned y, unsigned c) const { return pixels[(std::size_t(y) * width + x) * channels + c]; }
};

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Decodes with the importer; the stream position after the import goes to
// `position` when given.
inline Picture decode(const Bytes& bytes, bool eighth = false, std::uint64_t* position = nullptr) {
    TAVO::BorrowConstBuffer buffer(bytes.data(), std::uint32_t(bytes.size()));
    TAVO::ConstBufferStream stream(buffer);
    TAVO::Migration::JPEGImporter importer;
    importer.setEighthScale(eighth);
    importer.setStream(stream);
    TAVO::IncrementalBuffer pixels;
    TAVO::Migration::ImageMetadata metadata;
    importer.import(pixels, metadata);
    importer.clearStream();
    if (position != nullptr)
        *position = stream.tell();
    Picture picture;
    picture.width = metadata.width();
    picture.height = metadata.height();
    picture.channels = metadata.channels();
    const std::size_t row = std::size_t(picture.width) * picture.channels;
    EXPECT_EQ(pixels.size(), row * picture.height);
    picture.pixels.resize(row * picture.height);
    for (unsigned y = 0; y < picture.height; ++y)  // stored bottom row first
        std::copy(pixels.data() + (picture.height - 1 - y) * row, pixels.data() + (picture.height - y) * row,
                  picture.pixels.begin() + y * row);
    return picture;
}

// Reads a binary PGM (P5) or PPM (P6) with maxval 255.
inline Picture readPNM(const Bytes& bytes) {
    Picture picture;
    std::size_t at = 0;
    auto token = [&]() {
        while (at < bytes.size() && std::isspace(bytes[at]))
            ++at;
        std::string text;
        while (at < bytes.size() && !std::isspace(bytes[at]))
            text += char(bytes[at++]);
        return text;
    };
    const std::string magic = token();
    picture.channels = magic == "P6" ? 3 : 1;
    picture.width = unsigned(std::stoul(token()));
    picture.height = unsigned(std::stoul(token()));
    token();
    ++at;
    picture.pixels.assign(bytes.begin() + long(at), bytes.end());
    EXPECT_EQ(picture.pixels.size(), std::size_t(picture.width) * picture.height * picture.channels);
    return picture;
}

inline Bytes writePNM(const Picture& picture) {
    std::ostringstream header;
    header << (picture.channels == 3 ? "P6" : "P5") << "\n" << picture.width << " " << picture.height << "\n255\n";
    const std::string text = header.str();
    Bytes bytes(text.begin(), text.end());
    bytes.insert(bytes.end(), picture.pixels.begin(), picture.pixels.end());
    return bytes;
}

// A photograph-like test picture: smooth shading and colour, hard-edged
// shapes that change brightness (not hue) and grain.
inline Picture makePicture(unsigned width, unsigned height, unsigned channels, std::uint32_t seed = 1) {
    Picture picture{width, height, channels, Bytes(std::size_t(width) * height * channels)};
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x) {
            const double fx = width > 1 ? double(x) / (width - 1) : 0.0, fy = height > 1 ? double(y) / (height - 1) : 0.0;
            const double edge = (x / 5 + y / 7) % 4 == 0 ? 70 : 0;
            // Grain mostly in brightness, as a camera's.
            seed = seed * 1664525u + 1013904223u;
            const double grain = double(int(seed >> 24) - 128) / 12;
            for (unsigned c = 0; c < channels; ++c) {
                seed = seed * 1664525u + 1013904223u;
                double v = 50 + 100 * (c == 0 ? fx : c == 1 ? fy : 1 - fx * fy) + 30 * std::sin((fx * 3 + fy * 2) * (c + 1));
                v += edge + grain + double(int(seed >> 24) - 128) / 64;
                picture.pixels[(std::size_t(y) * width + x) * channels + c] = std::uint8_t(std::min(255.0, std::max(0.0, v)));
            }
        }
    return picture;
}

inline bool haveTools() { return Command::available("cjpeg") && Command::available("djpeg"); }

// Compresses a picture with cjpeg and the given options.
inline Bytes cjpeg(const Picture& picture, const std::string& options) {
    TempFolder folder;
    writeFile(folder.file("in.pnm"), writePNM(picture));
    const auto result = Command::run("cjpeg " + options + " -outfile '" + folder.file("out.jpg") + "' '" +
                                     folder.file("in.pnm") + "' 2>&1");
    EXPECT_EQ(result.exitCode, 0) << options << ": " << result.output;
    return readFile(folder.file("out.jpg"));
}

// Decodes with djpeg and the given options (the float DCT by default).
inline Picture djpeg(const Bytes& jpeg, const std::string& options = "-dct float") {
    TempFolder folder;
    writeFile(folder.file("in.jpg"), jpeg);
    const auto result = Command::run("djpeg " + options + " -pnm -outfile '" + folder.file("out.pnm") + "' '" +
                                     folder.file("in.jpg") + "' 2>&1");
    EXPECT_EQ(result.exitCode, 0) << options << ": " << result.output;
    return readPNM(readFile(folder.file("out.pnm")));
}

inline int maxDifference(const Picture& a, const Picture& b) {
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.channels, b.channels);
    int result = 0;
    for (std::size_t i = 0; i < std::min(a.pixels.size(), b.pixels.size()); ++i)
        result = std::max(result, std::abs(int(a.pixels[i]) - int(b.pixels[i])));
    return result;
}

inline double psnr(const Picture& a, const Picture& b) {
    double sum = 0;
    for (std::size_t i = 0; i < std::min(a.pixels.size(), b.pixels.size()); ++i) {
        const double d = double(a.pixels[i]) - double(b.pixels[i]);
        sum += d * d;
    }
    const double mse = sum / double(a.pixels.size());
    return mse == 0 ? 1000.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// A hand-made baseline stream. Every Huffman code is as long as the table
// says; the tables below use fixed-length codes so that a symbol's code is
// its index: DC categories 0 to 11 in 4 bits, AC symbols in 8 bits.
class StreamWriter {
public:
    Bytes bytes;

    void marker(std::uint8_t code) {
        bytes.push_back(0xFF);
        bytes.push_back(code);
    }
    void segment(std::uint8_t code, const Bytes& body) {
        marker(code);
        const std::size_t length = body.size() + 2;
        bytes.push_back(std::uint8_t(length >> 8));
        bytes.push_back(std::uint8_t(length));
        bytes.insert(bytes.end(), body.begin(), body.end());
    }
    void raw(const Bytes& data) { bytes.insert(bytes.end(), data.begin(), data.end()); }

    // Quantization table 0, every value q.
    void dqt(std::uint8_t q = 1, std::uint8_t destination = 0) {
        Bytes body{destination};
        body.insert(body.end(), 64, q);
        segment(0xDB, body);
    }
    // A grey (1 component) or YCbCr (3, sampling given for the first) frame.
    void sof(std::uint8_t code, unsigned width, unsigned height, unsigned components = 1,
             std::uint8_t lumaSampling = 0x11) {
        Bytes body{8, std::uint8_t(height >> 8), std::uint8_t(height), std::uint8_t(width >> 8), std::uint8_t(width),
                   std::uint8_t(components)};
        for (unsigned c = 0; c < components; ++c) {
            body.push_back(std::uint8_t(c + 1));
            body.push_back(c == 0 ? lumaSampling : 0x11);
            body.push_back(0);
        }
        segment(code, body);
    }
    // DC table: categories 0 to 11, 4-bit codes equal to the category.
    static Bytes dcTable(std::uint8_t destination = 0) {
        Bytes body{std::uint8_t(destination), 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        for (std::uint8_t i = 0; i < 12; ++i)
            body.push_back(i);
        return body;
    }
    // AC table: the given symbols, 8-bit codes equal to their index.
    static Bytes acTable(const Bytes& symbols, std::uint8_t destination = 0) {
        Bytes body{std::uint8_t(0x10 | destination), 0, 0, 0, 0, 0, 0, 0, std::uint8_t(symbols.size()), 0, 0, 0, 0,
                   0, 0, 0, 0};
        body.insert(body.end(), symbols.begin(), symbols.end());
        return body;
    }
    static const Bytes& acSymbols() {
        // EOB, ZRL, EOB1, then runs 0 to 15 with sizes 1 to 10 as r << 4 | s.
        static const Bytes symbols = [] {
            Bytes s{0x00, 0xF0, 0x10};
            for (std::uint8_t r = 0; r < 16; ++r)
                for (std::uint8_t size = 1; size <= 10; ++size)
                    if (s.size() < 255)
                        s.push_back(std::uint8_t(r << 4 | size));
            return s;
        }();
        return symbols;
    }
    static std::uint8_t acCode(std::uint8_t symbol) {
        const Bytes& s = acSymbols();
        return std::uint8_t(std::find(s.begin(), s.end(), symbol) - s.begin());
    }
    void dht() {
        Bytes body = dcTable();
        const Bytes ac = acTable(acSymbols());
        body.insert(body.end(), ac.begin(), ac.end());
        segment(0xC4, body);
    }
    void sos(unsigned components = 1, std::uint8_t ss = 0, std::uint8_t se = 63, std::uint8_t approximation = 0) {
        Bytes body{std::uint8_t(components)};
        for (unsigned c = 0; c < components; ++c) {
            body.push_back(std::uint8_t(c + 1));
            body.push_back(0x00);
        }
        body.push_back(ss);
        body.push_back(se);
        body.push_back(approximation);
        segment(0xDA, body);
    }
    // A grey baseline header: SOI, tables, frame, scan.
    void greyHeader(unsigned width, unsigned height, std::uint8_t q = 1) {
        marker(0xD8);
        dqt(q);
        sof(0xC0, width, height);
        dht();
        sos();
    }
    void end() { marker(0xD9); }

    // Entropy-coded bits, stuffed.
    void bits(std::uint32_t value, unsigned count) {
        for (unsigned i = count; i-- > 0;) {
            current_ = std::uint8_t(current_ << 1 | ((value >> i) & 1u));
            if (++filled_ == 8)
                flushByte();
        }
    }
    // Pads the last byte with 1 bits.
    void align() {
        while (filled_ != 0)
            bits(1, 1);
    }
    // Category and extra bits of a value, as T.81 codes them.
    static unsigned category(int value) {
        unsigned s = 0;
        for (int a = std::abs(value); a != 0; a >>= 1)
            ++s;
        return s;
    }
    void valueBits(int value) {
        const unsigned s = category(value);
        if (s != 0)
            bits(value < 0 ? std::uint32_t(value - 1) & ((1u << s) - 1) : std::uint32_t(value), s);
    }
    void dc(int difference) {
        bits(category(difference), 4);
        valueBits(difference);
    }
    void ac(unsigned run, int value) {
        bits(acCode(std::uint8_t(run << 4 | category(value))), 8);
        valueBits(value);
    }
    void eob() { bits(acCode(0x00), 8); }

private:
    void flushByte() {
        bytes.push_back(current_);
        if (current_ == 0xFF)
            bytes.push_back(0x00);
        current_ = 0;
        filled_ = 0;
    }
    std::uint8_t current_ = 0;
    unsigned filled_ = 0;
};

} // namespace KestruneTest::JPEG
