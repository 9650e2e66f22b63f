// libFuzzer harness: the JPEG importer over arbitrary bytes, in full and in
// eighth-scale mode (chosen by the first byte). Every input must end in a
// decoded image or a TAVO exception; anything else is a finding. Seed the
// corpus with small files made by cjpeg (baseline, progressive, restarts).
#include <cstddef>
#include <cstdint>

#include "foundation/exceptions/Exception.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/JPEGImporter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    TAVO::BorrowConstBuffer bytes(data + 1, std::uint32_t(size - 1));
    TAVO::ConstBufferStream stream(bytes);
    TAVO::Migration::JPEGImporter importer;
    importer.setEighthScale((data[0] & 1) != 0);
    importer.setStream(stream);
    TAVO::IncrementalBuffer pixels;
    TAVO::Migration::ImageMetadata metadata;
    try {
        importer.import(pixels, metadata);
    } catch (const TAVO::Exception&) {
    }
    return 0;
}
