#include "imaging/codecs/JPEGImporter.h"

#include "foundation/exceptions/SupportException.h"
#include "foundation/serialization/Deserializer.h"
#include "foundation/serialization/SwapEndianess.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/text/Text.h"
#include "imaging/FormatException.h"
#include "imaging/codecs/jpeg/BlockReader.h"
#include "imaging/codecs/jpeg/FrameHeader.h"
#include "imaging/codecs/jpeg/HuffmanTable.h"
#include "imaging/codecs/jpeg/InputBuffer.h"
#include "imaging/codecs/jpeg/QuantizationTable.h"
#include "imaging/codecs/jpeg/ScanHeader.h"

namespace TAVO::Migration {

namespace {

using JPEG::fail;

[[noreturn]] void failEnd() { fail("Unexpected end of stream, no end of image segment detected. "); }

std::uint8_t nextByte(JPEG::InputBuffer& input) {
    if (!input.ensure(1))
        failEnd();
    const std::uint8_t byte = input.current()[0];
    input.advance(1);
    return byte;
}

// Skips bytes up to a marker: an 0xFF, any fill bytes (0xFF), then a code
// other than 0x00 (an 0xFF 0x00 pair is a stuffed byte of entropy-coded data).
std::uint8_t searchMarker(JPEG::InputBuffer& input) {
    for (;;) {
        while (nextByte(input) != 0xFF) {
        }
        std::uint8_t code;
        while ((code = nextByte(input)) == 0xFF) {
        }
        if (code != 0x00)
            return code;
    }
}

// The next marker where one must start at once.
std::uint8_t strictMarker(JPEG::InputBuffer& input) {
    if (nextByte(input) != 0xFF)
        fail("Expected start of marker segment. ");
    std::uint8_t code;
    while ((code = nextByte(input)) == 0xFF) {
    }
    return code;
}

[[noreturn]] void unsupportedMarker(std::uint8_t code) {
    throw SupportException(SourceLocation(), "JPEG marker " + Text::hexText(code));
}

} // namespace

void JPEGImporter::import(DynamicBuffer& buffer, Metadata& metadata) {
    ReadStream& stream = inputStream();
    JPEG::InputBuffer input(stream);
    Deserializer deserializer(input);
    SwapEndianess bigEndian(deserializer);
    IncrementalBuffer segment;
    JPEG::BlockReader reader(input);

    bool search = true;
    bool skippedScan = false;
    for (;;) {
        if (input.atEnd())
            failEnd();
        const std::uint8_t code = search ? searchMarker(input) : strictMarker(input);
        // The restart markers inside a scan skipped unread are passed over.
        if (skippedScan && code >= 0xD0 && code <= 0xD7)
            continue;
        search = false;
        skippedScan = false;
        if (code < 0xC0)
            unsupportedMarker(code);
        if (code == 0xD8) {  // start of image
            reader.setRestartInterval(0);
            continue;
        }
        if (code == 0xD9) {  // end of image
            reader.finish(buffer, metadata);
            input.release();
            return;
        }

        unsigned short length = 0;
        bigEndian.serialize(length);
        if (length < 2)
            fail("Marker segment length below 2. ");
        segment.setSize(length - 2u);
        input.read(segment.data(), segment.size());
        ConstBufferStream body(segment);
        Deserializer bodyDeserializer(body);
        SwapEndianess fields(bodyDeserializer);

        switch (code) {
        case 0xC0:    // baseline and extended sequential, Huffman coding
        case 0xC2: {  // progressive, Huffman coding
            JPEG::FrameHeader frame;
            frame.serialize(fields);
            if (!body.atEnd())
                fail("Frame header larger than expected. ");
            reader.startFrame(frame, code == 0xC2, eighthScale_ != 0);
            break;
        }
        case 0xC4:
            while (!body.atEnd()) {
                JPEG::HuffmanTable table;
                table.serialize(fields);
                reader.storeHuffmanTable(table);
            }
            break;
        case 0xDB:
            while (!body.atEnd()) {
                JPEG::QuantizationTable table;
                table.serialize(fields);
                reader.storeQuantizationTable(table);
            }
            break;
        case 0xDD: {
            unsigned short interval = 0;
            fields.serialize(interval);
            if (!body.atEnd())
                fail("Define restart interval segment larger than expected. ");
            reader.setRestartInterval(interval);
            break;
        }
        case 0xDA: {
            JPEG::ScanHeader scan;
            scan.serialize(fields);
            if (!body.atEnd())
                fail("Scan header larger than expected. ");
            // A scan skipped unread is passed over by searching for the next marker.
            search = skippedScan = !reader.readScan(scan);
            break;
        }
        default:
            if ((code >= 0xE0 && code <= 0xEF) || code == 0xFE)
                break;  // application data and comments
            unsupportedMarker(code);
        }
    }
}

} // namespace TAVO::Migration
