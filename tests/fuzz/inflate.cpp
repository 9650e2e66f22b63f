// libFuzzer harness: the zlib reader and inflater over arbitrary bytes, with
// the output capped at 1 MiB. Every input must end in output or a TAVO
// exception.
#include <cstddef>
#include <cstdint>

#include "foundation/exceptions/Exception.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/codecs/Inflater.h"
#include "imaging/codecs/ZlibStream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TAVO::Migration::PNG::Inflater inflater;
    TAVO::IncrementalBuffer output;
    try {
        TAVO::Migration::PNG::ZlibStream::read(inflater, data, size, output, 1u << 20);
    } catch (const TAVO::Exception&) {
    }
    output.clear();
    try {
        inflater.inflate(data, size, output, 1u << 20);
    } catch (const TAVO::Exception&) {
    }
    return 0;
}
