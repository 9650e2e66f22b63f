#pragma once

#include <memory>
#include <string>

#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/DataImporterSeparate.h"

namespace TAVO {
class RandomReadStream;
}

namespace TAVO::Migration {

class DataExporter;

// Chooses a codec for a file: by its extension first, then by its first
// bytes (PNG, then JPEG, then the native raw format). Stateless; every
// importer or exporter it returns is a new object owned by the caller, and
// null means that no codec fits.
class Factory {
public:
    // Gives a one-shot importer a separate header step: importMeta runs the
    // whole import into an own buffer, importData hands those bytes over.
    class DataImporterBuffered : public DataImporterSeparate {
    public:
        // Takes ownership of the inner importer.
        explicit DataImporterBuffered(DataImporter* inner);
        ~DataImporterBuffered() override;

        void setStream(Stream& stream) override;
        void clearStream() override;
        void import(DynamicBuffer& buffer, Metadata& metadata) override;
        void importMeta(Metadata& metadata) override;
        // Copies the buffered bytes to the start of the buffer; a buffer
        // smaller than them throws SpaceException<unsigned int>(needed, size).
        void importData(Buffer& buffer) override;

        DataImporter& inner() const { return *inner_; }

    private:
        IncrementalBuffer buffer_;
        std::unique_ptr<DataImporter> inner_;
    };

    // The text after the last "." of the path, lower-cased; false without a dot.
    static bool extension(const std::string& path, std::string& out);
    // True for "pbm", "pgm", "ppm", "pam" and "pnm".
    static bool isNetPBM(const std::string& extension);

    // By extension only.
    DataImporter* importer(const std::string& path) const;
    // By extension, else by content (sniff).
    DataImporter* importer(const std::string& path, RandomReadStream& stream) const;
    // By content: the PNG signature, the JPEG start of image, then the native
    // format's recogniser. A stream too short for a test does not match it.
    // The stream is left where the last test left it.
    DataImporter* sniff(RandomReadStream& stream) const;
    // By extension: NetPBM and PNG.
    DataExporter* exporter(const std::string& path) const;
    // Null gives null; a separate importer is returned as it is; any other is
    // wrapped in a new DataImporterBuffered that owns it.
    DataImporterSeparate* separate(DataImporter* importer) const;

    // Open the file, run a codec over it and close it again. Without a fitting
    // codec SupportException "import of <path>" / "export of <path>".
    void importFile(DynamicBuffer& buffer, Metadata& metadata, const std::string& path) const;
    void importFile(DynamicBuffer& buffer, Metadata& metadata, const std::string& path, DataImporter& importer) const;
    void exportFile(const Buffer& buffer, const Metadata& metadata, const std::string& path) const;
    void exportFile(const Buffer& buffer, const Metadata& metadata, const std::string& path, DataExporter& exporter) const;
};

} // namespace TAVO::Migration
