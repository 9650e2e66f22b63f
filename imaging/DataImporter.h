#pragma once

namespace TAVO {
class Stream;
class ReadStream;
class DynamicBuffer;
} // namespace TAVO

namespace TAVO::Migration {

class Metadata;

// A codec that reads one image from a stream (not owned) into pixel bytes
// and metadata. The caller sets the stream before an import and clears it after.
class DataImporter {
public:
    DataImporter() = default;
    DataImporter(const DataImporter&) = delete;
    DataImporter& operator=(const DataImporter&) = delete;
    virtual ~DataImporter() = default;

    virtual void setStream(Stream& stream) { stream_ = &stream; }
    virtual void clearStream() { stream_ = nullptr; }
    // Reads one whole image: the buffer's content is replaced by the pixel
    // bytes and the metadata describes them.
    virtual void import(DynamicBuffer& buffer, Metadata& metadata) = 0;

protected:
    // The stored stream; throws Migration::StreamException when none is set.
    Stream& stream() const;
    // The stored stream as a read stream; throws Migration::StreamException
    // when none is set or it cannot be read.
    ReadStream& inputStream() const;

private:
    Stream* stream_ = nullptr;
};

} // namespace TAVO::Migration
