#include "foundation/packages/Package.h"

#include "foundation/streams/ReadStream.h"
#include "foundation/streams/StreamException.h"
#include "foundation/streams/StreamPump.h"
#include "foundation/streams/WriteStream.h"

namespace TAVO {

void Package::copyFrom(const Package& source, bool overwrite) {
    // Replacing an entry with itself would truncate it before it is read.
    if (&source == this)
        return;
    StreamPump pump(8192);
    for (std::shared_ptr<PackageIterator> names = source.iterateShared(); names->valid(); names->advance()) {
        const std::string name = names->current();
        if (!overwrite && exists(name))
            continue;
        std::unique_ptr<Reader> reader = source.openReader(name);
        if (!reader)
            throw StreamException(SourceLocation(), "Could not open entry \"" + name + "\" for reading. ");
        std::unique_ptr<Writer> writer = openWriter(name);
        if (!writer)
            throw StreamException(SourceLocation(), "Could not open entry \"" + name + "\" for writing. ");
        pump.setSource(&reader->stream());
        pump.setSink(&writer->stream());
        pump.pump(source.size(name));
        writer.reset();
        reader.reset();
    }
}

bool Package::exists(const std::string& name) const {
    return openReader(name) != nullptr;
}

} // namespace TAVO
