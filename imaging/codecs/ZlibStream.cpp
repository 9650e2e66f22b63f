#include "imaging/codecs/ZlibStream.h"

#include "foundation/exceptions/SourceLocation.h"
#include "foundation/serialization/Deserializer.h"
#include "foundation/serialization/Serializer.h"
#include "foundation/serialization/SwapEndianess.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/Buffer.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/DynamicBuffer.h"
#include "imaging/FormatException.h"
#include "imaging/codecs/Inflater.h"
#include "imaging/codecs/ZlibChecksum.h"
#include "imaging/codecs/ZlibHeader.h"

namespace TAVO::Migration::PNG {

namespace {

[[noreturn]] void fail(const char* message) { throw FormatException(SourceLocation(), "png", message); }

template <class Record>
void readRecord(const std::uint8_t* data, std::size_t size, Record& record) {
    BorrowConstBuffer bytes(data, std::uint32_t(size));
    ConstBufferStream stream(bytes);
    Deserializer deserializer(stream);
    SwapEndianess swapped(deserializer);
    record.serialize(swapped);
}

template <class Record>
void writeRecord(WriteStream& output, Record& record) {
    Serializer serializer(output);
    SwapEndianess swapped(serializer);
    record.serialize(swapped);
}

} // namespace

void ZlibStream::read(Inflater& inflater, const std::uint8_t* data, std::size_t size, DynamicBuffer& output,
                      std::uint64_t limit) {
    if (size > 0xFFFFFFFFu)
        fail("image data too large");
    ZlibHeader header;
    readRecord(data, size, header);
    if ((header.cmf * 256u + header.flg) % 31 != 0)
        fail("invalid zlib header");
    if ((header.cmf & 15) != 8)
        fail("unexpected zlib header compression method");
    if ((header.cmf >> 4) > 7)
        fail("unexpected zlib header compression info");
    if (header.flg & 0x20)
        fail("zlib header indicates preset dictionary");
    std::uint32_t start = output.size();
    std::size_t used = 2 + inflater.inflate(data + 2, size - 2, output, limit);
    ZlibChecksum checksum;
    readRecord(data + used, size - used, checksum);
    if (checksum.adler != Inflater::adler32(output.data() + start, output.size() - start))
        fail("zlib checksum missmatch");
}

void ZlibStream::write(const Buffer& input, WriteStream& output) {
    ZlibHeader header(0x78, 0x01);
    writeRecord(output, header);
    Inflater::deflate(input, output);
    ZlibChecksum checksum(Inflater::adler32(input));
    writeRecord(output, checksum);
}

} // namespace TAVO::Migration::PNG
