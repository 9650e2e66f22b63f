#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/streams/BufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/StreamException.h"
#include "imaging/FormatException.h"
#include "imaging/codecs/Inflater.h"
#include "imaging/codecs/ZlibStream.h"
#include "support/Command.h"
#include "support/TempFolder.h"

using namespace TAVO;
using namespace TAVO::Migration;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

Bytes inflate(const Bytes& data, std::uint64_t limit = 1u << 30) {
    PNG::Inflater inflater;
    IncrementalBuffer output;
    inflater.inflate(data.data(), data.size(), output, limit);
    return Bytes(output.data(), output.data() + output.size());
}

Bytes inflateZlib(const Bytes& data, std::uint64_t limit = 1u << 30) {
    PNG::Inflater inflater;
    IncrementalBuffer output;
    PNG::ZlibStream::read(inflater, data.data(), data.size(), output, limit);
    return Bytes(output.data(), output.data() + output.size());
}

// Packs deflate bits least significant first; Huffman codes most
// significant bit first.
struct BitWriter {
    Bytes bytes;
    unsigned int used = 0;
    void bits(unsigned int value, unsigned int count) {
        for (unsigned int i = 0; i < count; ++i) {
            if (used == 0)
                bytes.push_back(0);
            bytes.back() |= std::uint8_t(((value >> i) & 1u) << used);
            used = (used + 1) % 8;
        }
    }
    void code(unsigned int value, unsigned int length) {
        for (unsigned int i = length; i-- > 0;)
            bits((value >> i) & 1u, 1);
    }
    // Fixed literal/length code of a symbol.
    void fixedSymbol(unsigned int s) {
        if (s < 144)
            code(0x30 + s, 8);
        else if (s < 256)
            code(0x190 + s - 144, 9);
        else if (s < 280)
            code(s - 256, 7);
        else
            code(0xC0 + s - 280, 8);
    }
};

template <class Failure>
void expectFailure(const Bytes& data, const std::string& text = "") {
    try {
        inflate(data);
        ADD_FAILURE() << "expected a failure";
    } catch (const Failure& e) {
        if (!text.empty()) {
            EXPECT_EQ(e.message(), "deflate : " + text);
        }
    }
}

} // namespace

TEST(Inflater, StoredBlocks) {
    EXPECT_TRUE(inflate({0x01, 0x00, 0x00, 0xFF, 0xFF}).empty());
    EXPECT_EQ(inflate({0x01, 0x05, 0x00, 0xFA, 0xFF, 'h', 'e', 'l', 'l', 'o'}), (Bytes{'h', 'e', 'l', 'l', 'o'}));
    for (unsigned int bit = 0; bit < 16; ++bit) {
        Bytes data{0x01, 0x05, 0x00, 0xFA, 0xFF, 'h', 'e', 'l', 'l', 'o'};
        data[3 + bit / 8] ^= std::uint8_t(1u << (bit % 8));
        expectFailure<FormatException>(data, "Missmatching length and length complement in no compression block. ");
    }
    expectFailure<TAVO::StreamException>({0x01, 0x05, 0x00, 0xFA, 0xFF, 'h', 'e'});
}

TEST(Inflater, FixedBlockMatches) {
    BitWriter w;
    w.bits(1, 1);
    w.bits(1, 2);
    w.fixedSymbol('x');
    w.fixedSymbol(285); // length 258
    w.code(0, 5);       // distance 1
    w.fixedSymbol(256);
    EXPECT_EQ(inflate(w.bytes), Bytes(259, 'x'));

    BitWriter v;
    v.bits(1, 1);
    v.bits(1, 2);
    for (char c : {'a', 'b', 'c'})
        v.fixedSymbol(std::uint8_t(c));
    v.fixedSymbol(261); // length 7
    v.code(2, 5);       // distance 3
    v.fixedSymbol(256);
    const std::string expected = "abcabcabca";
    EXPECT_EQ(inflate(v.bytes), Bytes(expected.begin(), expected.end()));
}

TEST(Inflater, HostileFixedBlocks) {
    auto block = [](auto body) {
        BitWriter w;
        w.bits(1, 1);
        w.bits(1, 2);
        body(w);
        w.fixedSymbol(256);
        return w.bytes;
    };
    // Distance beyond the start of the output.
    expectFailure<FormatException>(block([](BitWriter& w) {
        w.fixedSymbol('a');
        w.fixedSymbol(257);
        w.code(1, 5); // distance 2
    }), "Back reference refer beyond beginning of buffer. ");
    expectFailure<FormatException>(block([](BitWriter& w) {
        w.fixedSymbol(257);
        w.code(0, 5);
    }));
    // Distance codes 30 and 31, literal/length codes 286 and 287.
    for (unsigned int d : {30u, 31u})
        expectFailure<FormatException>(block([d](BitWriter& w) {
            w.fixedSymbol('a');
            w.fixedSymbol(257);
            w.code(d, 5);
            w.bits(0, 16);
        }));
    for (unsigned int s : {286u, 287u})
        expectFailure<FormatException>(block([s](BitWriter& w) {
            w.fixedSymbol('a');
            w.fixedSymbol(s);
            w.bits(0, 16);
        }));
    // Reserved block type.
    expectFailure<FormatException>({0x07, 0, 0, 0}, "Reserved block type detected. ");
    // No final block: the input runs out.
    expectFailure<TAVO::StreamException>({0x00, 0x00, 0x00, 0xFF, 0xFF});
}

namespace {

// A dynamic block over literals 'A' and end-of-block whose last run of zero
// lengths (code 17) runs from the literal/length list into the distance list.
Bytes crossingRunBlock(unsigned int lastRun) {
    BitWriter w;
    w.bits(1, 1);
    w.bits(2, 2);
    w.bits(258 - 257, 5); // HLIT
    w.bits(2 - 1, 5);     // HDIST
    w.bits(18 - 4, 4);    // HCLEN: up to symbol 1
    // Code-length code: 18 -> 0 (1 bit), 1 -> 10, 17 -> 11.
    const unsigned int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    for (unsigned int i = 0; i < 18; ++i) {
        unsigned int s = order[i];
        w.bits(s == 18 ? 1 : (s == 1 || s == 17) ? 2 : 0, 3);
    }
    auto zeros18 = [&w](unsigned int n) {
        w.code(0, 1);
        w.bits(n - 11, 7);
    };
    zeros18(65);
    w.code(2, 2); // length 1 for 'A'
    zeros18(138);
    zeros18(52);
    w.code(2, 2); // length 1 for 256
    w.code(3, 2); // code 17
    w.bits(lastRun - 3, 3);
    // Data: 'A' = 0, 256 = 1.
    w.code(0, 1);
    w.code(0, 1);
    w.code(1, 1);
    return w.bytes;
}

} // namespace

TEST(Inflater, RepeatCodesMayCrossIntoTheDistanceLengths) {
    EXPECT_EQ(inflate(crossingRunBlock(3)), (Bytes{'A', 'A'}));
    expectFailure<FormatException>(crossingRunBlock(4), "Invalid number of code length symbols unpacked. ");
}

TEST(Inflater, HostileDynamicHeaders) {
    // Over-subscribed code-length code: four symbols of length 1.
    BitWriter w;
    w.bits(1, 1);
    w.bits(2, 2);
    w.bits(0, 5);
    w.bits(0, 5);
    w.bits(0, 4);
    for (int i = 0; i < 4; ++i)
        w.bits(1, 3);
    w.bits(0, 32);
    expectFailure<FormatException>(w.bytes);

    // An empty code-length code: every length 0.
    BitWriter e;
    e.bits(1, 1);
    e.bits(2, 2);
    e.bits(0, 14);
    e.bits(0, 12);
    e.bits(0, 32);
    expectFailure<FormatException>(e.bytes);
}

TEST(Inflater, OutputIsCappedAtTheExpectedSize) {
    BitWriter w;
    w.bits(1, 1);
    w.bits(1, 2);
    w.fixedSymbol('x');
    w.fixedSymbol(285);
    w.code(0, 5);
    w.fixedSymbol(256);
    EXPECT_EQ(inflate(w.bytes, 259).size(), 259u);
    EXPECT_THROW(inflate(w.bytes, 258), FormatException);
    EXPECT_THROW(inflate(w.bytes, 1), FormatException);
    EXPECT_THROW(inflate(w.bytes, 0), FormatException);
    EXPECT_THROW(inflate({0x01, 0x05, 0x00, 0xFA, 0xFF, 'h', 'e', 'l', 'l', 'o'}, 4), FormatException);
}

TEST(Inflater, DeflateWriterSplitsIntoStoredBlocks) {
    auto deflate = [](std::size_t n) {
        IncrementalBuffer out;
        BufferStream stream(out);
        Bytes input(n, 7);
        PNG::Inflater::deflate(input.data(), input.size(), stream);
        return Bytes(out.data(), out.data() + out.size());
    };
    Bytes one = deflate(65535);
    ASSERT_EQ(one.size(), 65540u);
    EXPECT_EQ((Bytes{one[0], one[1], one[2], one[3], one[4]}), (Bytes{1, 0xFF, 0xFF, 0, 0}));
    Bytes two = deflate(65536);
    ASSERT_EQ(two.size(), 65546u);
    EXPECT_EQ(two[0], 0);
    EXPECT_EQ((Bytes(two.begin() + 65540, two.begin() + 65545)), (Bytes{1, 1, 0, 0xFE, 0xFF}));
    EXPECT_EQ(inflate(two), Bytes(65536, 7));
    EXPECT_EQ(inflate(deflate(0)), Bytes());
}

TEST(Inflater, Adler32AgreesWithZlib) {
    const auto result = KestruneTest::Command::python(
        "import zlib\n"
        "for n in (0, 1, 5551, 5552, 5553, 100000):\n"
        "    print(zlib.adler32(bytes([255]) * n), zlib.adler32(bytes((i * 7) & 255 for i in range(n))))\n");
    ASSERT_EQ(result.exitCode, 0);
    std::istringstream lines(result.output);
    for (std::size_t n : {0u, 1u, 5551u, 5552u, 5553u, 100000u}) {
        std::uint32_t ones = 0, pattern = 0;
        lines >> ones >> pattern;
        Bytes a(n, 255), b(n);
        for (std::size_t i = 0; i < n; ++i)
            b[i] = std::uint8_t((i * 7) & 255);
        EXPECT_EQ(PNG::Inflater::adler32(a.data(), a.size()), ones) << n;
        EXPECT_EQ(PNG::Inflater::adler32(b.data(), b.size()), pattern) << n;
    }
}

TEST(Inflater, DecodesWhatZlibWritesAtEveryLevelAndStrategy) {
    KestruneTest::TempFolder folder;
    const auto result = KestruneTest::Command::python(
        "import zlib, random, os\n"
        "folder = '" + folder.path() + "'\n"
        "r = random.Random(5)\n"
        "words = [bytes(r.choice(b'abcdefghijklmnopqrstuvwxyz') for _ in range(r.randint(1, 9))) for _ in range(500)]\n"
        "sets = {\n"
        "  'empty': b'', 'one': b'q',\n"
        "  'text': b' '.join(r.choice(words) for _ in range(40000)),\n"
        "  'random': bytes(r.getrandbits(8) for _ in range(70000)),\n"
        "  'runs': b''.join(bytes([r.getrandbits(8)]) * r.randint(1, 600) for _ in range(800)),\n"
        "  'gradient': bytes((x * y // 7) & 255 for y in range(300) for x in range(300)),\n"
        "}\n"
        "strategies = {'default': zlib.Z_DEFAULT_STRATEGY, 'filtered': zlib.Z_FILTERED,\n"
        "  'huffman': zlib.Z_HUFFMAN_ONLY, 'rle': zlib.Z_RLE, 'fixed': zlib.Z_FIXED}\n"
        "for name, data in sets.items():\n"
        "    open(os.path.join(folder, name + '.raw'), 'wb').write(data)\n"
        "    for level in range(10):\n"
        "        for sname, s in strategies.items():\n"
        "            if sname != 'default' and level not in (1, 6, 9): continue\n"
        "            c = zlib.compressobj(level, zlib.DEFLATED, 15, 9, s)\n"
        "            z = c.compress(data) + c.flush()\n"
        "            case = '%s-%d-%s' % (name, level, sname)\n"
        "            open(os.path.join(folder, case + '.z'), 'wb').write(z)\n"
        "            print(name, case)\n");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::istringstream lines(result.output);
    std::string name, zcase;
    int cases = 0;
    while (lines >> name >> zcase) {
        const Bytes raw = readFile(folder.file(name + ".raw"));
        const Bytes z = readFile(folder.file(zcase + ".z"));
        EXPECT_EQ(inflateZlib(z, raw.size()), raw) << zcase;
        ++cases;
    }
    EXPECT_GT(cases, 100);
}

TEST(Inflater, DecodesASecondEncodersStreams) {
    if (!KestruneTest::Command::available("zopfli"))
        GTEST_SKIP() << "zopfli is not installed";
    KestruneTest::TempFolder folder;
    std::mt19937 random(11);
    Bytes data;
    for (int i = 0; i < 3000; ++i) {
        unsigned int word = random() % 64;
        for (unsigned int k = 0; k < 3 + word % 5; ++k)
            data.push_back(std::uint8_t('a' + (word * 7 + k) % 26));
        if (random() % 4 == 0)
            data.push_back(std::uint8_t(random()));
    }
    writeFile(folder.file("data"), data);
    ASSERT_EQ(KestruneTest::Command::run("zopfli --zlib -c '" + folder.file("data") + "' > '" + folder.file("data.z") + "'").exitCode, 0);
    EXPECT_EQ(inflateZlib(readFile(folder.file("data.z")), data.size()), data);
}

TEST(Inflater, ZlibReadsWhatTheWriterWrites) {
    KestruneTest::TempFolder folder;
    Bytes data(150000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = std::uint8_t(i * i >> 3);
    IncrementalBuffer input;
    input.assign(data.data(), std::uint32_t(data.size()));
    IncrementalBuffer out;
    BufferStream stream(out);
    PNG::ZlibStream::write(input, stream);
    const Bytes written(out.data(), out.data() + out.size());
    EXPECT_EQ(written[0], 0x78);
    EXPECT_EQ(written[1], 0x01);
    writeFile(folder.file("ours.z"), written);
    const auto result = KestruneTest::Command::python(
        "import zlib, hashlib\n"
        "print(hashlib.sha256(zlib.decompress(open('" + folder.file("ours.z") + "', 'rb').read())).hexdigest())\n"
        "print(hashlib.sha256(bytes((i * i >> 3) & 255 for i in range(150000))).hexdigest())\n");
    ASSERT_EQ(result.exitCode, 0);
    std::istringstream lines(result.output);
    std::string decoded, expected;
    lines >> decoded >> expected;
    EXPECT_EQ(decoded, expected);
    EXPECT_EQ(inflateZlib(written, data.size()), data);
}

TEST(Inflater, HostileZlibStreams) {
    const auto result = KestruneTest::Command::python(
        "import zlib, sys\n"
        "sys.stdout.write(zlib.compress(bytes(range(256)) * 20 + b'tail' * 300, 9).hex())\n");
    ASSERT_EQ(result.exitCode, 0);
    Bytes z;
    for (std::size_t i = 0; i + 1 < result.output.size(); i += 2)
        z.push_back(std::uint8_t(std::stoi(result.output.substr(i, 2), nullptr, 16)));
    ASSERT_EQ(inflateZlib(z).size(), 256u * 20 + 1200);

    auto expectZlibFailure = [](const Bytes& data, const std::string& text) {
        try {
            inflateZlib(data);
            ADD_FAILURE() << "expected " << text;
        } catch (const FormatException& e) {
            EXPECT_EQ(e.message(), "png : " + text);
        }
    };
    Bytes bad = z;
    bad[1] ^= 1;
    expectZlibFailure(bad, "invalid zlib header");
    expectZlibFailure({0x79, 0x18}, "unexpected zlib header compression method");
    expectZlibFailure({0x88, 0x1C}, "unexpected zlib header compression info");
    expectZlibFailure({0x78, 0x20}, "zlib header indicates preset dictionary");
    bad = z;
    bad.back() ^= 0x40;
    expectZlibFailure(bad, "zlib checksum missmatch");

    // Every truncation and every single flipped byte ends in an exception or
    // (for flips the checksum cannot see) in a result.
    for (std::size_t n = 0; n < z.size(); ++n) {
        Bytes cut(z.begin(), z.begin() + long(n));
        EXPECT_ANY_THROW(inflateZlib(cut)) << n;
    }
    for (std::size_t i = 0; i < z.size(); ++i) {
        Bytes flipped = z;
        flipped[i] ^= 0xA5;
        EXPECT_ANY_THROW(inflateZlib(flipped)) << i;
    }
}
