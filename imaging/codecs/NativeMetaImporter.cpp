#include "imaging/codecs/NativeMetaImporter.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "foundation/exceptions/UnexpectedEndException.h"
#include "foundation/streams/DynamicBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/text/Match.h"
#include "foundation/text/Shrink.h"
#include "foundation/text/StopMatch.h"
#include "imaging/Metadata.h"

namespace TAVO::Migration {

namespace {

const char quote = '"';
const char equals = '=';
const char lineFeed = '\n';
const char zero = '\0';

// Reads up to and including the next double quote; gives the unescaped text before it.
std::string readQuoted(ReadStream& stream, IncrementalBuffer& scratch) {
    ReadStream::readUntilIntoBuffer(stream, scratch, &quote, 1);
    const std::uint32_t length = scratch.size() - 1;
    return NativeMetaImporter::unescape(reinterpret_cast<const char*>(scratch.data()), length);
}

} // namespace

void NativeMetaImporter::import(DynamicBuffer& buffer, Metadata& metadata) {
    buffer.setSize(0);
    importMeta(metadata);
}

void NativeMetaImporter::importMeta(Metadata& metadata) {
    ReadStream& stream = inputStream();
    IncrementalBuffer scratch(1024, 0);
    for (;;) {
        char byte = 0;
        stream.read(&byte, 1);
        if (byte == zero)
            return;
        if (byte != quote)
            continue;
        const std::string key = readQuoted(stream, scratch);
        stream.skipUntil(&equals, 1);
        stream.skipUntil(&quote, 1);
        const std::string value = readQuoted(stream, scratch);
        metadata.set(key, value);
        stream.skipUntil(&lineFeed, 1);
    }
}

void NativeMetaImporter::importData(Buffer&) { inputStream().skipUntil(&zero, 1); }

float NativeMetaImporter::recognize(ReadStream& stream) {
    // A stream that knows its size is never read beyond its end: a short
    // stream without a zero byte is simply not this format.
    const std::uint32_t capacity = std::uint32_t(std::min<std::uint64_t>(stream.remaining(), recognizeLength));
    std::vector<char> bytes(recognizeLength);
    const std::uint32_t n = ReadStream::readUntil(stream, bytes.data(), capacity, &zero, 1);
    if (n < 7)
        return 0.0f;
    if (n == recognizeLength)
        return 0.1f;
    if (bytes[n - 1] != zero)
        return 0.0f;

    StopMatch<char> keepQuotesAndEquals(
        std::make_unique<Match<char>::Anti>(std::make_unique<Match<char>::SymbolSet>("\"=", 2)));
    std::uint32_t length = n;
    char* text = bytes.data();
    keepQuotesAndEquals.filter(text, length);
    if (length != 0 && length % 5 == 0) {
        Shrink<char> shrinkQuotes(quote);
        shrinkQuotes.filter(text, length);
        if (length != 0 && length % 3 == 0)
            return 1.0f;
    }
    return 0.0f;
}

std::string NativeMetaImporter::unescape(const char* bytes, std::uint32_t length) {
    std::string result;
    result.reserve(length);
    for (std::uint32_t i = 0; i < length; ++i) {
        if (bytes[i] != '\\') {
            result += bytes[i];
            continue;
        }
        if (i + 1 == length)
            throw UnexpectedEndException(SourceLocation(), "escape character");
        switch (bytes[++i]) {
        case '\'': result += '"'; break;
        case '0': result += '\0'; break;
        case '\\': result += '\\'; break;
        default: break;
        }
    }
    return result;
}

} // namespace TAVO::Migration
