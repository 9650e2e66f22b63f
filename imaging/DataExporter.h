#pragma once

#include <string>

namespace TAVO {
class Stream;
class WriteStream;
class Buffer;
} // namespace TAVO

namespace TAVO::Migration {

class Metadata;

// A codec that writes one image (pixel bytes and their metadata) to a stream
// (not owned). The caller sets the stream before a write and clears it after.
class DataExporter {
public:
    DataExporter() = default;
    DataExporter(const DataExporter&) = delete;
    DataExporter& operator=(const DataExporter&) = delete;
    virtual ~DataExporter() = default;

    // The empty text.
    virtual std::string name() const { return std::string(); }
    virtual void write(const Buffer& buffer, const Metadata& metadata) = 0;

    void setStream(Stream& stream) { stream_ = &stream; }
    void clearStream() { stream_ = nullptr; }

protected:
    // The stored stream; throws Migration::StreamException when none is set.
    Stream& stream() const;
    // The stored stream as a write stream; throws Migration::StreamException
    // when none is set or it cannot be written.
    WriteStream& outputStream() const;

private:
    Stream* stream_ = nullptr;
};

} // namespace TAVO::Migration
