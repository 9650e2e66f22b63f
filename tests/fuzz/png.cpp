// libFuzzer harness: the PNG importer over arbitrary bytes. Every input must
// end in a decoded image or a TAVO exception; anything else is a finding.
#include <cstddef>
#include <cstdint>

#include "foundation/exceptions/Exception.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/PNGImporter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TAVO::BorrowConstBuffer bytes(data, std::uint32_t(size));
    TAVO::ConstBufferStream stream(bytes);
    TAVO::Migration::PNGImporter importer;
    importer.setStream(stream);
    TAVO::IncrementalBuffer pixels;
    TAVO::Migration::ImageMetadata metadata;
    try {
        importer.import(pixels, metadata);
    } catch (const TAVO::Exception&) {
    }
    return 0;
}
