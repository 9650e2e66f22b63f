#include "imaging/DataExporter.h"

#include "foundation/streams/WriteStream.h"
#include "imaging/StreamException.h"

namespace TAVO::Migration {

Stream& DataExporter::stream() const {
    if (stream_ == nullptr)
        throw StreamException(SourceLocation());
    return *stream_;
}

WriteStream& DataExporter::outputStream() const {
    auto* output = dynamic_cast<WriteStream*>(&stream());
    if (output == nullptr)
        throw StreamException(SourceLocation());
    return *output;
}

} // namespace TAVO::Migration
