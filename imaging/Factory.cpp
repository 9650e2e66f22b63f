#include "imaging/Factory.h"

#include <cctype>
#include <cstring>
#include <fstream>

#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/serialization/Deserializer.h"
#include "foundation/serialization/SwapEndianess.h"
#include "foundation/streams/CppInStream.h"
#include "foundation/streams/CppOutStream.h"
#include "foundation/streams/RandomReadStream.h"
#include "imaging/DataExporter.h"
#include "imaging/codecs/NativeImporter.h"

#include "imaging/codecs/JPEGImporter.h"
#include "imaging/codecs/NetPBMExporter.h"
#include "imaging/codecs/NetPBMImporter.h"
#include "imaging/codecs/PNGExporter.h"
#include "imaging/codecs/PNGImporter.h"

namespace TAVO::Migration {

namespace {

const std::uint8_t pngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// True when at least `count` bytes follow the stream's start.
bool holds(RandomReadStream& stream, std::uint64_t count) { return stream.size() >= count; }

} // namespace

Factory::DataImporterBuffered::DataImporterBuffered(DataImporter* inner) : buffer_(0, 0), inner_(inner) {}

Factory::DataImporterBuffered::~DataImporterBuffered() = default;

void Factory::DataImporterBuffered::setStream(Stream& stream) { inner_->setStream(stream); }

void Factory::DataImporterBuffered::clearStream() { inner_->clearStream(); }

void Factory::DataImporterBuffered::import(DynamicBuffer& buffer, Metadata& metadata) {
    inner_->import(buffer, metadata);
}

void Factory::DataImporterBuffered::importMeta(Metadata& metadata) { inner_->import(buffer_, metadata); }

void Factory::DataImporterBuffered::importData(Buffer& buffer) {
    if (buffer.size() < buffer_.size())
        throw SpaceException<unsigned int>(SourceLocation(), buffer_.size(), buffer.size());
    if (buffer_.size() > 0)
        std::memcpy(buffer.data(), buffer_.data(), buffer_.size());
}

bool Factory::extension(const std::string& path, std::string& out) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return false;
    out = path.substr(dot + 1);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return true;
}

bool Factory::isNetPBM(const std::string& extension) {
    return extension == "pbm" || extension == "pgm" || extension == "ppm" || extension == "pam" ||
           extension == "pnm";
}

DataImporter* Factory::importer(const std::string& path) const {
    std::string ext;
    if (!extension(path, ext))
        return nullptr;
    if (isNetPBM(ext))
        return new NetPBMImporter();
    if (ext == "png")
        return new PNGImporter();
    if (ext == "jpeg" || ext == "jpg")
        return new JPEGImporter();
    return nullptr;
}

DataImporter* Factory::importer(const std::string& path, RandomReadStream& stream) const {
    if (DataImporter* byName = importer(path))
        return byName;
    return sniff(stream);
}

DataImporter* Factory::sniff(RandomReadStream& stream) const {
    stream.seek(0);
    if (holds(stream, sizeof pngSignature)) {
        std::uint8_t head[sizeof pngSignature];
        stream.read(head, sizeof head);
        if (std::memcmp(head, pngSignature, sizeof head) == 0)
            return new PNGImporter();
    }
    stream.seek(0);
    if (holds(stream, 2)) {
        Deserializer deserializer(stream);
        SwapEndianess bigEndian(deserializer);
        unsigned char first = 0;
        unsigned char second = 0;
        bigEndian.serialize(first).serialize(second);
        if (first == 0xFF && second == 0xD8)
            return new JPEGImporter();
    }
    stream.seek(0);
    if (NativeMetaImporter::recognize(stream) > 0.0f)
        return new NativeImporter();
    return nullptr;
}

DataExporter* Factory::exporter(const std::string& path) const {
    std::string ext;
    if (!extension(path, ext))
        return nullptr;
    if (isNetPBM(ext))
        return new NetPBMExporter();
    if (ext == "png")
        return new PNGExporter();
    return nullptr;
}

DataImporterSeparate* Factory::separate(DataImporter* importer) const {
    if (importer == nullptr)
        return nullptr;
    if (auto* separateImporter = dynamic_cast<DataImporterSeparate*>(importer))
        return separateImporter;
    return new DataImporterBuffered(importer);
}

void Factory::importFile(DynamicBuffer& buffer, Metadata& metadata, const std::string& path) const {
    std::ifstream file(path, std::ios::in | std::ios::binary);
    CppInStream stream(file);
    std::unique_ptr<DataImporter> chosen(importer(path, stream));
    if (!chosen)
        throw SupportException(SourceLocation(), "import of " + path);
    stream.seek(0);
    chosen->setStream(stream);
    try {
        chosen->import(buffer, metadata);
    } catch (...) {
        chosen->clearStream();
        throw;
    }
    chosen->clearStream();
}

void Factory::importFile(DynamicBuffer& buffer, Metadata& metadata, const std::string& path,
                         DataImporter& importer) const {
    std::ifstream file(path, std::ios::in | std::ios::binary);
    CppInStream stream(file);
    importer.setStream(stream);
    try {
        importer.import(buffer, metadata);
    } catch (...) {
        importer.clearStream();
        throw;
    }
    importer.clearStream();
}

void Factory::exportFile(const Buffer& buffer, const Metadata& metadata, const std::string& path) const {
    std::unique_ptr<DataExporter> chosen(exporter(path));
    if (!chosen)
        throw SupportException(SourceLocation(), "export of " + path);
    exportFile(buffer, metadata, path, *chosen);
}

void Factory::exportFile(const Buffer& buffer, const Metadata& metadata, const std::string& path,
                         DataExporter& exporter) const {
    std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
    CppOutStream stream(file);
    exporter.setStream(stream);
    try {
        exporter.write(buffer, metadata);
        stream.flush();
    } catch (...) {
        exporter.clearStream();
        throw;
    }
    exporter.clearStream();
}

} // namespace TAVO::Migration
