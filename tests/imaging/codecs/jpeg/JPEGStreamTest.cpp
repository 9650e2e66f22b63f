// The marker loop, the segments and the entropy-coded data, on hand-made
// streams (fixed-length codes; see StreamWriter).

#include <algorithm>
#include <cstring>
#include <random>
#include <streambuf>

#include <gtest/gtest.h>

#include "JPEGTestSupport.h"
#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/CppInStream.h"
#include "foundation/streams/StreamException.h"
#include "imaging/FormatException.h"

using namespace KestruneTest;
using namespace KestruneTest::JPEG;
using TAVO::Migration::FormatException;

namespace {

// The message of the exception the decoding throws ("" when it succeeds).
template <class E = TAVO::Exception>
std::string failure(const Bytes& bytes, bool eighth = false) {
    try {
        decode(bytes, eighth);
    } catch (const E& e) {
        return e.message();
    }
    return "";
}

// A grey 8 x 8 image of one block with the DC difference and AC values.
Bytes oneBlock(int dc, const std::vector<std::pair<unsigned, int>>& ac = {}, bool eob = true) {
    StreamWriter w;
    w.greyHeader(8, 8);
    w.dc(dc);
    for (const auto& [run, value] : ac)
        w.ac(run, value);
    if (eob)
        w.eob();
    w.align();
    w.end();
    return w.bytes;
}

} // namespace

TEST(JPEGStream, ConstantBlockAndLeadingBytes) {
    const Picture picture = decode(oneBlock(8));
    ASSERT_EQ(picture.width, 8u);
    ASSERT_EQ(picture.channels, 1u);
    for (std::uint8_t p : picture.pixels)
        EXPECT_EQ(p, 129);
    // Bytes before the first 0xFF and fill bytes before SOI are skipped.
    Bytes prefixed{0x12, 0x34, 0xFF, 0xFF};
    const Bytes block = oneBlock(8);
    prefixed.insert(prefixed.end(), block.begin(), block.end());
    EXPECT_EQ(decode(prefixed).pixels, picture.pixels);
}

TEST(JPEGStream, StuffedByteIsDataAndStreamEndsAfterEOI) {
    // DC category 11 with eleven 1 bits: the second byte is 0xFF, stuffed.
    Bytes bytes = oneBlock(2047);
    bytes.insert(bytes.end(), {'t', 'a', 'i', 'l'});
    std::uint64_t position = 0;
    const Picture picture = decode(bytes, false, &position);
    for (std::uint8_t p : picture.pixels)
        EXPECT_EQ(p, 255);
    EXPECT_EQ(position, bytes.size() - 4);
}

TEST(JPEGStream, HandMadeBlocksAgainstDjpeg) {
    if (!haveTools())
        GTEST_SKIP() << "djpeg is needed";
    // Runs, a zero run of 16, and a block ending at coefficient 63 without EOB.
    const Bytes blocks[] = {
        oneBlock(-40, {{0, 30}, {2, -12}, {0, 5}, {7, 3}}),
        oneBlock(3, {{15, 9}, {0, -1}}),
        [] {
            StreamWriter w;
            w.greyHeader(8, 8);
            w.dc(10);
            for (int i = 0; i < 3; ++i)
                w.bits(StreamWriter::acCode(0xF0), 8);  // ZRL: k = 49
            w.ac(13, 7);                                // k = 62
            w.ac(0, -6);                                // coefficient 63, no EOB
            w.align();
            w.end();
            return w.bytes;
        }(),
    };
    for (const Bytes& jpeg : blocks)
        EXPECT_LE(maxDifference(decode(jpeg), djpeg(jpeg)), 1);
}

TEST(JPEGStream, SegmentsAndMarkers) {
    // APPn and COM segments are skipped wherever they stand.
    StreamWriter w;
    w.marker(0xD8);
    w.segment(0xE0, {'J', 'F', 'I', 'F', 0});
    w.segment(0xE1, Bytes(300, 0xFF));
    w.segment(0xFE, {'h', 'i'});
    w.segment(0xEF, {});
    w.dqt();
    w.sof(0xC0, 8, 8);
    w.dht();
    w.sos();
    w.dc(8);
    w.eob();
    w.align();
    w.end();
    EXPECT_EQ(decode(w.bytes).pixels, Bytes(64, 129));

    // A byte other than 0xFF after a segment.
    StreamWriter junk;
    junk.marker(0xD8);
    junk.dqt();
    junk.raw({0x00});
    junk.end();
    EXPECT_EQ(failure<FormatException>(junk.bytes), "jpeg : Expected start of marker segment. ");

    StreamWriter sof1;
    sof1.marker(0xD8);
    sof1.sof(0xC1, 8, 8);
    EXPECT_EQ(failure<TAVO::SupportException>(sof1.bytes), "No support for JPEG marker c1. ");
    EXPECT_EQ(failure<TAVO::SupportException>({0xFF, 0xD8, 0xFF, 0x01}), "No support for JPEG marker 1. ");

    EXPECT_EQ(failure<FormatException>({0xFF, 0xD8}), "jpeg : Unexpected end of stream, no end of image segment detected. ");
    EXPECT_EQ(failure<FormatException>({0xFF, 0xD8, 0xFF, 0xD9}), "jpeg : End of image before any frame header. ");
    EXPECT_EQ(failure<FormatException>({0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x01}), "jpeg : Marker segment length below 2. ");

    StreamWriter dri;
    dri.marker(0xD8);
    dri.segment(0xDD, {0, 1, 0, 0});
    EXPECT_EQ(failure<FormatException>(dri.bytes), "jpeg : Define restart interval segment larger than expected. ");

    StreamWriter scan;
    scan.marker(0xD8);
    scan.dht();
    scan.sos();
    EXPECT_EQ(failure<FormatException>(scan.bytes), "jpeg : Start of scan before any frame header. ");
}

TEST(JPEGStream, TableSegments) {
    // A DHT holding four tables, a DQT holding two.
    StreamWriter w;
    w.marker(0xD8);
    Bytes dqt{0x00};
    dqt.insert(dqt.end(), 64, 1);
    dqt.push_back(0x03);
    dqt.insert(dqt.end(), 64, 2);
    w.segment(0xDB, dqt);
    Bytes dht = StreamWriter::dcTable(0);
    for (const Bytes& table : {StreamWriter::dcTable(3), StreamWriter::acTable(StreamWriter::acSymbols(), 0),
                               StreamWriter::acTable(StreamWriter::acSymbols(), 2)})
        dht.insert(dht.end(), table.begin(), table.end());
    w.segment(0xC4, dht);
    w.sof(0xC0, 8, 8);
    w.segment(0xDA, {1, 1, 0x32, 0, 63, 0});  // DC table 3, AC table 2
    w.dc(8);
    w.eob();
    w.align();
    w.end();
    EXPECT_EQ(decode(w.bytes).pixels, Bytes(64, 129));

    auto withTable = [](std::uint8_t code, const Bytes& body) {
        StreamWriter t;
        t.marker(0xD8);
        t.segment(code, body);
        t.end();
        return t.bytes;
    };
    EXPECT_EQ(failure<FormatException>(withTable(0xC4, Bytes(17, 0))), "jpeg : Empty huffman table. ");
    Bytes wrongClass = StreamWriter::dcTable();
    wrongClass[0] = 0x20;
    EXPECT_THROW(decode(withTable(0xC4, wrongClass)), TAVO::BoundException<unsigned int>);
    Bytes wrongSlot = StreamWriter::dcTable();
    wrongSlot[0] = 0x04;
    EXPECT_THROW(decode(withTable(0xC4, wrongSlot)), TAVO::BoundException<unsigned int>);
    // Two codes of one bit fill the code space; the extra code cannot fit.
    Bytes complete{0x00, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 5};
    EXPECT_THROW(decode(withTable(0xC4, complete)), FormatException);
    Bytes overfull{0x10, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3};
    EXPECT_THROW(decode(withTable(0xC4, overfull)), FormatException);

    Bytes sixteenBit{0x10};
    sixteenBit.insert(sixteenBit.end(), 128, 1);
    EXPECT_EQ(failure<TAVO::SupportException>(withTable(0xDB, sixteenBit)),
              "No support for JPEG with other than 8-bit quantization table precision. ");
    Bytes slotFour{0x04};
    slotFour.insert(slotFour.end(), 64, 1);
    EXPECT_THROW(decode(withTable(0xDB, slotFour)), TAVO::BoundException<unsigned int>);
    EXPECT_THROW(decode(withTable(0xDB, Bytes{0x00, 1, 2})), TAVO::Exception);  // shorter than its table
}

TEST(JPEGStream, FrameChecksComeBeforeAnyAllocation) {
    auto frame = [](unsigned width, unsigned height, std::uint8_t sampling, std::uint8_t selector = 0,
                    std::uint8_t precision = 8, std::uint8_t count = 3) {
        StreamWriter w;
        w.marker(0xD8);
        Bytes body{precision, std::uint8_t(height >> 8), std::uint8_t(height), std::uint8_t(width >> 8),
                   std::uint8_t(width), count};
        for (std::uint8_t c = 0; c < count; ++c)
            body.insert(body.end(), {std::uint8_t(c + 1), c == 0 ? sampling : std::uint8_t(0x11), selector});
        w.segment(0xC0, body);
        w.end();
        return w.bytes;
    };
    EXPECT_EQ(failure(frame(0, 8, 0x11)), "jpeg : Frame without width or height. ");
    EXPECT_EQ(failure(frame(8, 0, 0x11)), "jpeg : Frame without width or height. ");
    EXPECT_EQ(failure(frame(8, 8, 0x01)), "jpeg : Sampling factor outside 1 to 4. ");
    EXPECT_EQ(failure(frame(8, 8, 0x15)), "jpeg : Sampling factor outside 1 to 4. ");
    EXPECT_EQ(failure(frame(8, 8, 0x11, 4)), "jpeg : Quantization table selector above 3. ");
    EXPECT_THROW(decode(frame(65535, 65535, 0x22)), TAVO::BoundException<unsigned int>);
    EXPECT_THROW(decode(frame(16384, 16385, 0x22)), TAVO::BoundException<unsigned int>);
    EXPECT_EQ(failure(frame(8, 8, 0x11, 0, 12)), "No support for JPEG with other than 8-bit sample precision. ");
    EXPECT_EQ(failure(frame(8, 8, 0x11, 0, 8, 2)), "No support for JPEG with channels other than 1 or 3. ");
    StreamWriter longer;
    longer.marker(0xD8);
    longer.segment(0xC0, {8, 0, 8, 0, 8, 1, 1, 0x11, 0, 0});
    EXPECT_EQ(failure(longer.bytes), "jpeg : Frame header larger than expected. ");
    // A frame whose quantization table never arrives decodes with zeros.
    StreamWriter noTable;
    noTable.marker(0xD8);
    noTable.sof(0xC0, 8, 8);
    noTable.dht();
    noTable.sos();
    noTable.dc(100);
    noTable.eob();
    noTable.align();
    noTable.end();
    EXPECT_EQ(decode(noTable.bytes).pixels, Bytes(64, 128));
    // A grey frame ignores its sampling factors: one block per MCU.
    StreamWriter grey;
    grey.marker(0xD8);
    grey.dqt();
    grey.sof(0xC0, 16, 8, 1, 0x22);
    grey.dht();
    grey.sos();
    grey.dc(8);
    grey.eob();
    grey.dc(-16);
    grey.eob();
    grey.align();
    grey.end();
    const Picture picture = decode(grey.bytes);
    EXPECT_EQ(picture.at(0, 0, 0), 129);
    EXPECT_EQ(picture.at(15, 7, 0), 127);
}

TEST(JPEGStream, SequentialScanFaults) {
    EXPECT_EQ(failure(oneBlock(0, {{1, 1}, {0, 0}}, false)), "");  // sanity: a valid block
    // EOB1 is refused even when its extra bit is 0.
    StreamWriter eob1;
    eob1.greyHeader(8, 8);
    eob1.dc(0);
    eob1.bits(StreamWriter::acCode(0x10), 8);
    eob1.bits(0, 1);
    eob1.align();
    eob1.end();
    EXPECT_EQ(failure(eob1.bytes), "jpeg : Encountered larger than EOB0 in sequential mode. ");
    // A run that passes coefficient 63.
    StreamWriter past;
    past.greyHeader(8, 8);
    past.dc(0);
    for (int i = 0; i < 3; ++i)
        past.bits(StreamWriter::acCode(0xF0), 8);
    past.ac(15, 1);
    past.align();
    past.end();
    EXPECT_EQ(failure(past.bytes), "jpeg : Run of AC coefficients past the end of a block. ");
    StreamWriter zeroRun;
    zeroRun.greyHeader(8, 8);
    zeroRun.dc(0);
    for (int i = 0; i < 4; ++i)
        zeroRun.bits(StreamWriter::acCode(0xF0), 8);
    zeroRun.align();
    zeroRun.end();
    EXPECT_EQ(failure(zeroRun.bytes), "jpeg : Run of AC coefficients past the end of a block. ");
    // DC category 12 and AC category 11, from tables that hold them.
    StreamWriter big;
    big.marker(0xD8);
    big.dqt();
    big.sof(0xC0, 8, 8);
    big.segment(0xC4, {0x00, 0, 0, 0, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12,
                       0x10, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x0B});
    big.sos();
    Bytes dc12 = big.bytes;
    big.bits(0, 4);
    big.bits(1, 4);  // AC symbol 0x0B
    big.align();
    big.end();
    EXPECT_EQ(failure(big.bytes), "jpeg : More than 10 AC extend bits encountered. ");
    StreamWriter d;
    d.bytes = dc12;
    d.bits(12, 4);
    d.align();
    d.end();
    EXPECT_EQ(failure(d.bytes), "jpeg : More than 11 DC extend bits encountered. ");
    // Scans that do not fit the frame.
    StreamWriter ids;
    ids.marker(0xD8);
    ids.dqt();
    ids.sof(0xC0, 8, 8);
    ids.dht();
    ids.segment(0xDA, {1, 9, 0x00, 0, 63, 0});
    EXPECT_EQ(failure(ids.bytes), "jpeg : Sequential DCT scan component does not match frame component. ");
    ids.bytes.resize(ids.bytes.size() - 10);
    ids.segment(0xDA, {2, 1, 0x00, 2, 0x00, 0, 63, 0});
    EXPECT_EQ(failure(ids.bytes), "jpeg : Sequential DCT scan does not have same number of components as frame. ");
    StreamWriter spectral;
    spectral.marker(0xD8);
    spectral.dqt();
    spectral.sof(0xC0, 8, 8);
    spectral.dht();
    spectral.sos(1, 0, 62);
    EXPECT_EQ(failure(spectral.bytes), "No support for Sequential DCT JPEG with other than 63 end spectral selection. ");
    StreamWriter undefined;
    undefined.marker(0xD8);
    undefined.dqt();
    undefined.sof(0xC0, 8, 8);
    undefined.segment(0xC4, StreamWriter::dcTable());
    undefined.sos();
    EXPECT_EQ(failure(undefined.bytes), "jpeg : AC huffman table 0 used but not defined. ");
    StreamWriter selector;
    selector.marker(0xD8);
    selector.dqt();
    selector.sof(0xC0, 8, 8);
    selector.dht();
    selector.segment(0xDA, {1, 1, 0x05, 0, 63, 0});
    EXPECT_EQ(failure(selector.bytes), "jpeg : Huffman table selector 5 above 3. ");
}

TEST(JPEGStream, EntropyDataEndsAtMarkers) {
    // The data stops inside the block: the next marker is reported.
    StreamWriter w;
    w.greyHeader(8, 8);
    w.dc(5);
    w.align();
    w.end();
    EXPECT_EQ(failure(w.bytes), "jpeg : Expected stuff byte (0x00), got 0xd9");
    // The stream ends inside the data.
    Bytes cut = oneBlock(5, {{0, 7}});
    cut.resize(cut.size() - 4);
    EXPECT_THROW(decode(cut), TAVO::Exception);
    // Data left after the last block is not a marker.
    Bytes extra = oneBlock(5);
    extra.insert(extra.end() - 2, {0x12, 0x34});
    EXPECT_EQ(failure(extra), "jpeg : Expected start of marker segment. ");
}

TEST(JPEGStream, RestartMarkers) {
    // Four blocks with a restart interval of 1: markers D0, D1, D2 between.
    auto stream = [](const std::vector<Bytes>& markers) {
        StreamWriter w;
        w.marker(0xD8);
        w.dqt();
        w.segment(0xDD, {0, 1});
        w.sof(0xC0, 32, 8);
        w.dht();
        w.sos();
        for (int block = 0; block < 4; ++block) {
            if (block > 0)
                w.raw(markers[block - 1]);
            w.dc(block == 0 ? 8 : 8);  // the predictor restarts: each block 129 + ...
            w.eob();
            w.align();
        }
        w.end();
        return w.bytes;
    };
    const Bytes good = stream({{0xFF, 0xD0}, {0xFF, 0xD1}, {0xFF, 0xD2}});
    EXPECT_EQ(decode(good).pixels, Bytes(32 * 8, 129));
    EXPECT_EQ(failure(stream({{0xFF, 0xD0}, {0xFF, 0xD2}, {0xFF, 0xD2}})), "jpeg : Expected reset count 1, got 2");
    EXPECT_EQ(failure(stream({{0xFF, 0xD0}, {0xFF, 0xC4}, {0xFF, 0xD2}})), "jpeg : Expected reset marker, got 0xc4");
    EXPECT_EQ(failure(stream({{0xFF, 0xD0}, {0x12, 0xD1}, {0xFF, 0xD2}})), "jpeg : Expected marker. ");
    // Progressive frames restart the same way: the DC scan of the same four
    // blocks, each in an interval of its own.
    auto progressive = [](const std::vector<Bytes>& markers) {
        StreamWriter w;
        w.marker(0xD8);
        w.dqt();
        w.segment(0xDD, {0, 1});
        w.sof(0xC2, 32, 8);
        w.dht();
        w.sos(1, 0, 0, 0);
        for (int block = 0; block < 4; ++block) {
            if (block > 0)
                w.raw(markers[block - 1]);
            w.dc(8);
            w.align();
        }
        w.end();
        return w.bytes;
    };
    EXPECT_EQ(decode(progressive({{0xFF, 0xD0}, {0xFF, 0xD1}, {0xFF, 0xD2}})).pixels, Bytes(32 * 8, 129));
    EXPECT_EQ(failure(progressive({{0xFF, 0xD0}, {0xFF, 0xD2}, {0xFF, 0xD2}})),
              "jpeg : Expected reset count 1, got 2");
    EXPECT_EQ(failure(progressive({{0xFF, 0xD0}, {0xFF, 0xC4}, {0xFF, 0xD2}})),
              "jpeg : Expected reset marker, got 0xc4");
    EXPECT_EQ(failure(progressive({{0xFF, 0xD0}, {0x12, 0xD1}, {0xFF, 0xD2}})), "jpeg : Expected marker. ");
    // A missing marker: the next interval's bits are read where it is due.
    EXPECT_EQ(failure(progressive({{0xFF, 0xD0}, {}, {0xFF, 0xD2}})), "jpeg : Expected marker. ");
}

TEST(JPEGStream, ProgressiveRestartsEndTheBandRunAndResetThePredictor) {
    // Four grey blocks, restart interval 2. Coefficients: DC 8, 8, -4, 0
    // (stored values, the predictor starting over after the marker); AC 1 is
    // 5 in block 2 only, AC 2 is 3 in block 0 only (refined to 7 below).
    StreamWriter baseline;
    baseline.marker(0xD8);
    baseline.dqt(2);
    baseline.sof(0xC0, 32, 8);
    baseline.dht();
    baseline.sos();
    const int dcs[4] = {8, 8, -4, 0};
    for (int block = 0; block < 4; ++block) {
        baseline.dc(block == 0 ? dcs[0] : dcs[block] - dcs[block - 1]);
        if (block == 0)
            baseline.ac(1, 7);
        if (block == 2)
            baseline.ac(0, 5);
        baseline.eob();
    }
    baseline.align();
    baseline.end();

    StreamWriter w;
    w.marker(0xD8);
    w.dqt(2);
    w.segment(0xDD, {0, 2});
    w.sof(0xC2, 32, 8);
    w.dht();
    // DC: the differences start over after the marker.
    w.sos(1, 0, 0, 0);
    w.dc(8);
    w.dc(0);
    w.align();
    w.raw({0xFF, 0xD0});
    w.dc(-4);
    w.dc(4);
    w.align();
    w.end();
    Bytes bytes = w.bytes;
    bytes.resize(bytes.size() - 2);  // the EOI comes after the AC scans
    // First AC scan of band 1..2 with Al = 1: block 0 has AC 2 = 3 (stored
    // as 6), then an end-of-band run of 3 that the marker after block 1 cuts.
    StreamWriter ac;
    ac.sos(1, 1, 2, 0x01);
    ac.ac(1, 3);
    ac.bits(StreamWriter::acCode(0x10), 8);  // EOB1 with extra bit 1: a run of 3
    ac.bits(1, 1);
    ac.align();
    ac.raw({0xFF, 0xD0});
    ac.ac(0, 2);  // block 2: AC 1 = 2 (stored as 4), then a run of 2
    ac.bits(StreamWriter::acCode(0x10), 8);
    ac.bits(0, 1);
    ac.align();
    // Refinement of bit 0: block 0's AC 2 gets 1 (6 -> 7), block 2's AC 1
    // gets 1 (4 -> 5); both intervals end in an end-of-band run of 2.
    ac.sos(1, 1, 2, 0x10);
    ac.bits(StreamWriter::acCode(0x10), 8);
    ac.bits(0, 1);
    ac.bits(1, 1);  // correction of block 0's AC 2
    ac.align();
    ac.raw({0xFF, 0xD0});
    ac.bits(StreamWriter::acCode(0x10), 8);
    ac.bits(0, 1);
    ac.bits(1, 1);  // correction of block 2's AC 1
    ac.align();
    ac.end();
    bytes.insert(bytes.end(), ac.bytes.begin(), ac.bytes.end());
    EXPECT_EQ(decode(bytes).pixels, decode(baseline.bytes).pixels);
}

TEST(JPEGStream, ProgressiveScanChecks) {
    auto scan = [](const Bytes& body, bool eighth = false, unsigned components = 1) {
        StreamWriter w;
        w.marker(0xD8);
        w.dqt();
        w.sof(0xC2, 8, 8, components);
        w.dht();
        w.segment(0xDA, body);
        w.end();
        return failure(w.bytes, eighth);
    };
    const std::string range = "jpeg : Progressive scan with a spectral selection or approximation out of range. ";
    EXPECT_EQ(scan({1, 1, 0, 1, 200, 0}), range);
    EXPECT_EQ(scan({1, 1, 0, 5, 4, 0}), range);
    EXPECT_EQ(scan({1, 1, 0, 1, 63, 0xE0}), range);
    EXPECT_EQ(scan({1, 1, 0, 1, 63, 0x0E}), range);
    EXPECT_EQ(scan({1, 1, 0, 0, 5, 0}), "jpeg : DC component of progressive JPEG not alone. ");
    EXPECT_EQ(scan({2, 1, 0, 2, 0, 1, 63, 0}, false, 3),
              "jpeg : Only one component may be specified per AC scan of progressive JPEG. ");
    EXPECT_EQ(scan({1, 7, 0, 1, 63, 0}), "Could not find 7 in defined channels. ");
    EXPECT_EQ(scan({2, 1, 0, 1, 0, 0, 0, 0}, false, 3), "jpeg : Scan names a component twice. ");
    // An AC scan in eighth-scale mode is passed over by searching for the next marker.
    StreamWriter skipped;
    skipped.marker(0xD8);
    skipped.dqt();
    skipped.sof(0xC2, 8, 8);
    skipped.dht();
    skipped.sos(1, 0, 0, 0);
    skipped.dc(16);
    skipped.align();
    skipped.sos(1, 1, 63, 0);
    skipped.raw({0x00, 0xFF, 0x00, 0x13, 0xFF, 0xFF});
    skipped.end();
    const Picture eighth = decode(skipped.bytes, true);
    ASSERT_EQ(eighth.pixels.size(), 1u);
    EXPECT_EQ(eighth.pixels[0], 130);
    // Read in full, the same data ends its block early and leaves bytes where
    // a marker must follow: the stuffed 0xFF is met, then its 0x00 as a code.
    EXPECT_EQ(failure(skipped.bytes), "No support for JPEG marker 0. ");
}

TEST(JPEGStream, ProgressiveEndOfBandRunsAndRefinement) {
    // Two blocks. DC scan; a first AC scan with an end-of-band run far longer
    // than the blocks left; a refinement scan. Tables: AC symbols EOB, EOB14,
    // 0x01 (one coefficient of size 1) and EOBn.
    StreamWriter w;
    w.marker(0xD8);
    w.dqt();
    w.sof(0xC2, 16, 8);
    w.segment(0xC4, StreamWriter::dcTable());
    w.segment(0xC4, StreamWriter::acTable({0x00, 0xE0, 0x01, 0x10}));
    w.sos(1, 0, 0, 0x01);  // DC, Al = 1
    w.dc(4);               // stored 8
    w.dc(0);
    w.align();
    w.sos(1, 1, 63, 0x01);  // first AC, Al = 1
    w.bits(2, 8);           // 0x01: coefficient 1
    w.bits(1, 1);           // value +1, stored 2
    w.bits(1, 8);           // EOB14 with 14 extra bits: run 16384 + ...
    w.bits(0x3FFF, 14);
    w.align();
    w.sos(1, 1, 63, 0x10);  // AC refinement, Al = 0
    w.bits(2, 8);           // 0x01 at the first zero after coefficient 1
    w.bits(0, 1);           // value -1
    w.bits(1, 1);           // correction of coefficient 1: 2 -> 3
    w.bits(1, 8);           // EOB14 run covering the rest
    w.bits(0, 14);
    w.align();
    w.sos(1, 0, 0, 0x10);  // DC refinement: bit 0 of each DC
    w.bits(1, 1);
    w.bits(0, 1);
    w.align();
    w.end();
    const Picture picture = decode(w.bytes);
    // Block 0: DC 9, coefficient 1 = 3, coefficient 2 = -1; block 1: DC 8
    // (the same difference) and nothing else.
    if (haveTools()) {
        EXPECT_LE(maxDifference(picture, djpeg(w.bytes)), 1);
    }
    for (unsigned x = 8; x < 16; ++x)
        EXPECT_EQ(picture.at(x, 4, 0), 129);
}

namespace {

// A stream that cannot seek: the importer may not read past the end of the image.
class PlainStream : public TAVO::ReadStream {
public:
    explicit PlainStream(const Bytes& bytes) : bytes_(bytes) {}
    void read(void* destination, std::uint64_t count) override {
        if (count > bytes_.size() - at_)
            throw TAVO::StreamException(TAVO::SourceLocation(), "end of data");
        std::memcpy(destination, bytes_.data() + at_, count);
        at_ += count;
    }
    bool atEnd() override { return at_ == bytes_.size(); }
    std::size_t at_ = 0;

private:
    const Bytes& bytes_;
};

} // namespace

TEST(JPEGStream, StreamsThatCannotSeekAreNotReadPastTheImage) {
    Bytes bytes = oneBlock(-40, {{0, 30}, {2, -12}});
    const Picture expected = decode(bytes);
    bytes.insert(bytes.end(), {1, 2, 3});
    PlainStream stream(bytes);
    TAVO::Migration::JPEGImporter importer;
    importer.setStream(stream);
    TAVO::IncrementalBuffer pixels;
    TAVO::Migration::ImageMetadata metadata;
    importer.import(pixels, metadata);
    EXPECT_EQ(stream.at_, bytes.size() - 3);
    ASSERT_EQ(pixels.size(), 64u);
    for (unsigned y = 0; y < 8; ++y)  // bottom row first
        for (unsigned x = 0; x < 8; ++x)
            EXPECT_EQ(pixels.data()[(7 - y) * 8 + x], expected.at(x, y, 0));
}

namespace {

// A grey picture of blocks written with an AC table of the given code
// lengths (canonical codes, symbols in table order): each block a DC
// difference and (run, value) pairs, ended by EOB unless it fills the block.
struct Block {
    int dc;
    std::vector<std::pair<unsigned, int>> ac;
};

Bytes blocksWithTable(const std::vector<Block>& blocks, const Bytes& symbols, const std::vector<unsigned>& lengths) {
    // Canonical codes: within a length in order, each length continuing from
    // the previous one shifted left.
    std::vector<std::uint32_t> codes(symbols.size());
    std::uint32_t code = 0;
    unsigned length = lengths.empty() ? 0 : lengths[0];
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        code <<= lengths[i] - length;
        length = lengths[i];
        codes[i] = code++;
    }
    Bytes table{0x10};
    for (unsigned l = 1; l <= 16; ++l)
        table.push_back(std::uint8_t(std::count(lengths.begin(), lengths.end(), l)));
    table.insert(table.end(), symbols.begin(), symbols.end());
    StreamWriter w;
    w.marker(0xD8);
    w.dqt(3);
    w.sof(0xC0, unsigned(8 * blocks.size()), 8);
    w.segment(0xC4, StreamWriter::dcTable());
    w.segment(0xC4, table);
    w.sos();
    auto symbol = [&](std::uint8_t value) {
        const std::size_t i = std::size_t(std::find(symbols.begin(), symbols.end(), value) - symbols.begin());
        EXPECT_LT(i, symbols.size()) << int(value);
        w.bits(codes[i], lengths[i]);
    };
    for (const Block& block : blocks) {
        w.dc(block.dc);
        unsigned k = 1;
        for (const auto& [run, value] : block.ac) {
            for (unsigned r = run; r >= 16; r -= 16)
                symbol(0xF0);
            symbol(std::uint8_t((run % 16) << 4 | StreamWriter::category(value)));
            w.valueBits(value);
            k += run + 1;
        }
        if (k <= 63)
            symbol(0x00);
    }
    w.align();
    w.end();
    return w.bytes;
}

} // namespace

TEST(JPEGStream, ShortAndLongCodesOfTheSameCoefficientsDecodeAlike) {
    // Coefficients taken whole from the decoder's lookup (a short code and
    // its extra bits) and those read the slow way (long codes, large
    // values) must give the same picture.
    Bytes symbols{0x00, 0xF0};
    for (unsigned run : {0u, 1u, 2u, 5u, 15u})
        for (unsigned size : {1u, 2u, 3u, 5u, 8u, 10u})
            symbols.push_back(std::uint8_t(run << 4 | size));
    std::vector<unsigned> shortCodes, longCodes;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        shortCodes.push_back(i < 2 ? 3 : i < 6 ? 4 : i < 14 ? 5 : 7);
        longCodes.push_back(12);
    }
    std::mt19937 random(17);
    std::vector<Block> blocks;
    for (int b = 0; b < 60; ++b) {
        Block block{int(random() % 41) - 20, {}};
        unsigned k = 1;
        while (k <= 63) {
            const unsigned runs[] = {0, 1, 2, 5, 15, 16, 31};
            const unsigned run = runs[random() % (k > 40 ? 4 : 7)];
            if (k + run > 63)
                break;
            const unsigned sizes[] = {1, 2, 3, 5, 8, 10};
            const unsigned size = sizes[random() % 6];
            const int magnitude = int((1u << (size - 1)) + random() % (1u << (size - 1)));
            block.ac.emplace_back(run, random() % 2 ? magnitude : -magnitude);
            k += run + 1;
            if (random() % 9 == 0)
                break;
        }
        blocks.push_back(block);
    }
    const Picture fast = decode(blocksWithTable(blocks, symbols, shortCodes));
    const Picture slow = decode(blocksWithTable(blocks, symbols, longCodes));
    EXPECT_EQ(fast.pixels, slow.pixels);
    if (haveTools()) {
        const Bytes bytes = blocksWithTable(blocks, symbols, shortCodes);
        EXPECT_LE(maxDifference(fast, djpeg(bytes)), 2);
    }
    // A run past the block fails alike either way.
    const std::vector<Block> past{{0, {{31, 3}, {31, 1}}}};
    EXPECT_EQ(failure(blocksWithTable(past, symbols, shortCodes)), "jpeg : Run of AC coefficients past the end of a block. ");
    EXPECT_EQ(failure(blocksWithTable(past, symbols, longCodes)), "jpeg : Run of AC coefficients past the end of a block. ");
}

namespace {

// A standard stream buffer over bytes that cannot seek, as one over a pipe.
class UnseekableBuffer : public std::streambuf {
public:
    explicit UnseekableBuffer(Bytes& bytes) {
        char* begin = reinterpret_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }
};

} // namespace

TEST(JPEGStream, AStandardStreamThatCannotSeekDecodesUpToTheEndOfImage) {
    Bytes bytes = oneBlock(-40, {{0, 30}, {2, -12}});
    const Picture expected = decode(bytes);
    bytes.insert(bytes.end(), {1, 2, 3});
    UnseekableBuffer buffer(bytes);
    std::istream in(&buffer);
    TAVO::CppInStream stream(in);
    EXPECT_FALSE(stream.seekable());
    TAVO::Migration::JPEGImporter importer;
    importer.setStream(stream);
    TAVO::IncrementalBuffer pixels;
    TAVO::Migration::ImageMetadata metadata;
    importer.import(pixels, metadata);
    ASSERT_EQ(pixels.size(), 64u);
    for (unsigned y = 0; y < 8; ++y)
        for (unsigned x = 0; x < 8; ++x)
            EXPECT_EQ(pixels.data()[(7 - y) * 8 + x], expected.at(x, y, 0));
    char rest[3];
    in.read(rest, 3);
    EXPECT_EQ(in.gcount(), 3) << "the bytes after the image stay unread";
    EXPECT_EQ(rest[0], 1);
}
