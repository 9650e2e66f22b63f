#pragma once

#include "imaging/DataImporter.h"

namespace TAVO {
class Buffer;
}

namespace TAVO::Migration {

// An importer that reads the header and the samples in two steps, so the
// caller can size (or refuse) the pixel buffer in between.
class DataImporterSeparate : public DataImporter {
public:
    // Reads only the header and fills the metadata.
    virtual void importMeta(Metadata& metadata) = 0;
    // Reads the samples described by the metadata that importMeta read into
    // a buffer the caller has sized from that metadata's layout.
    virtual void importData(Buffer& buffer) = 0;
};

} // namespace TAVO::Migration
