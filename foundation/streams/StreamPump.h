#pragma once

#include "foundation/streams/IncrementalBuffer.h"

namespace TAVO {

class ReadStream;
class WriteStream;

// Copies from a reader to a writer (neither owned) in chunks.
class StreamPump {
public:
    explicit StreamPump(std::uint32_t chunkSize = 8192, ReadStream* source = nullptr, WriteStream* sink = nullptr);

    void setSource(ReadStream* source) { source_ = source; }
    void setSink(WriteStream* sink) { sink_ = sink; }

    // Copies exactly count bytes.
    void pump(std::uint64_t count);
    // Copies until the source is at its end.
    void pumpAll();

private:
    void check() const;

    ReadStream* source_;
    WriteStream* sink_;
    IncrementalBuffer chunk_;
};

} // namespace TAVO
