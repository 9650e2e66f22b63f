// Broken and hostile streams end in an exception of the library, never in a
// crash, a hang or a runaway allocation (the sanitizer build watches memory).

#include <random>

#include <gtest/gtest.h>

#include "JPEGTestSupport.h"
#include "imaging/FormatException.h"

using namespace KestruneTest;
using namespace KestruneTest::JPEG;

namespace {

// Decodes, accepting success or a library exception; anything else fails.
void survive(const Bytes& bytes, bool eighth, const std::string& what) {
    try {
        decode(bytes, eighth);
    } catch (const TAVO::Exception&) {
    } catch (const std::exception& e) {
        ADD_FAILURE() << what << ": " << e.what();
    }
}

// Small files of every kind the decoder reads.
std::vector<Bytes> samples() {
    std::vector<Bytes> files;
    StreamWriter w;
    w.marker(0xD8);
    w.dqt(3);
    w.segment(0xDD, {0, 2});
    w.sof(0xC0, 24, 9);
    w.dht();
    w.sos();
    for (int block = 0; block < 6; ++block) {
        if (block == 2 || block == 4) {
            w.align();
            w.raw({0xFF, std::uint8_t(0xD0 + block / 2 - 1)});
        }
        w.dc(block * 7 - 20);
        w.ac(0, 40 - block);
        w.ac(3, -9);
        w.eob();
    }
    w.align();
    w.end();
    files.push_back(w.bytes);
    if (haveTools()) {
        const Picture colour = makePicture(23, 19, 3, 2);
        files.push_back(cjpeg(colour, "-quality 75"));
        files.push_back(cjpeg(colour, "-quality 90 -progressive"));
        files.push_back(cjpeg(colour, "-quality 60 -sample 1x1 -restart 1B"));
        files.push_back(cjpeg(makePicture(19, 11, 1, 4), "-grayscale -progressive"));
    }
    return files;
}

} // namespace

TEST(JPEGHostileInput, EveryTruncationThrows) {
    for (const Bytes& file : samples()) {
        ASSERT_NO_THROW(decode(file));
        for (std::size_t length = 0; length + 2 < file.size(); ++length) {
            const Bytes cut(file.begin(), file.begin() + long(length));
            for (bool eighth : {false, true}) {
                try {
                    decode(cut, eighth);
                    ADD_FAILURE() << "decoded " << length << " of " << file.size() << " bytes";
                } catch (const TAVO::Exception&) {
                }
            }
        }
    }
}

TEST(JPEGHostileInput, FlippedBytesEndCleanly) {
    std::mt19937 random(2024);
    for (const Bytes& file : samples())
        for (int round = 0; round < 1500; ++round) {
            Bytes broken = file;
            const int changes = 1 + int(random() % 4);
            for (int i = 0; i < changes; ++i)
                broken[random() % broken.size()] = std::uint8_t(random());
            survive(broken, round % 3 == 0, "round " + std::to_string(round));
        }
}

TEST(JPEGHostileInput, HugeAndDegenerateHeaders) {
    // Huge sizes, zero sizes and bad sampling in an otherwise valid colour frame.
    const std::uint8_t frames[][9] = {
        {0xFF, 0xFF, 0xFF, 0xFF, 0x22, 0x11, 0x11, 0, 0}, {0x00, 0x08, 0x40, 0x01, 0x22, 0x11, 0x11, 0, 0},
        {0x00, 0x00, 0x00, 0x08, 0x11, 0x11, 0x11, 0, 0}, {0x00, 0x08, 0x00, 0x08, 0x00, 0x11, 0x11, 0, 0},
        {0x00, 0x08, 0x00, 0x08, 0xF4, 0x11, 0x11, 0, 0}, {0x00, 0x08, 0x00, 0x08, 0x44, 0x44, 0x44, 0, 0},
    };
    for (const auto& f : frames) {
        StreamWriter w;
        w.marker(0xD8);
        w.dqt();
        w.segment(0xC2, {8, f[0], f[1], f[2], f[3], 3, 1, f[4], 0, 2, f[5], 0, 3, f[6], 0});
        w.dht();
        w.sos(3, 0, 0, 0);
        w.raw(Bytes(40, 0x55));
        w.end();
        survive(w.bytes, false, "frame");
        survive(w.bytes, true, "frame");
    }
    // Se = 200 in a progressive scan.
    StreamWriter se;
    se.marker(0xD8);
    se.dqt();
    se.sof(0xC2, 8, 8);
    se.dht();
    se.sos(1, 1, 200, 0);
    se.raw(Bytes(20, 0x00));
    se.end();
    EXPECT_THROW(decode(se.bytes), TAVO::Migration::FormatException);
    // A DHT of sixteen full lengths (counts adding up to 4080 values).
    StreamWriter dht;
    dht.marker(0xD8);
    Bytes body{0x00};
    body.insert(body.end(), 16, 255);
    body.insert(body.end(), 4080, 7);
    dht.segment(0xC4, body);
    dht.end();
    EXPECT_THROW(decode(dht.bytes), TAVO::Migration::FormatException);
}
