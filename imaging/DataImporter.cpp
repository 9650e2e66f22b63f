#include "imaging/DataImporter.h"

#include "foundation/streams/ReadStream.h"
#include "imaging/StreamException.h"

namespace TAVO::Migration {

Stream& DataImporter::stream() const {
    if (stream_ == nullptr)
        throw StreamException(SourceLocation());
    return *stream_;
}

ReadStream& DataImporter::inputStream() const {
    auto* input = dynamic_cast<ReadStream*>(&stream());
    if (input == nullptr)
        throw StreamException(SourceLocation());
    return *input;
}

} // namespace TAVO::Migration
