#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/DataExporter.h"
#include "imaging/Factory.h"
#include "imaging/FormatException.h"
#include "imaging/ImageMetadata.h"
#include "imaging/StreamException.h"
#include "imaging/codecs/NativeExporter.h"
#include "imaging/codecs/NativeImporter.h"
#include "support/TempFolder.h"

#include "imaging/codecs/JPEGImporter.h"
#include "imaging/codecs/NetPBMExporter.h"
#include "imaging/codecs/NetPBMImporter.h"
#include "imaging/codecs/PNGExporter.h"
#include "imaging/codecs/PNGImporter.h"

using namespace TAVO;
using namespace TAVO::Migration;

namespace {

IncrementalBuffer bufferOf(const std::string& text) {
    IncrementalBuffer buffer;
    buffer.assign(text.data(), std::uint32_t(text.size()));
    return buffer;
}

const std::string pngSignature("\x89PNG\r\n\x1A\n", 8);
const std::string nativeHeader = std::string("\"Width\"=\"1\"\r\n") + std::string(1, '\0');

// A one-shot importer that delivers fixed bytes.
class FixedImporter : public DataImporter {
public:
    explicit FixedImporter(std::string bytes, bool* destroyed = nullptr) : bytes_(std::move(bytes)), destroyed_(destroyed) {}
    ~FixedImporter() override {
        if (destroyed_)
            *destroyed_ = true;
    }
    void import(DynamicBuffer& buffer, Metadata& metadata) override {
        stream();
        buffer.assign(bytes_.data(), std::uint32_t(bytes_.size()));
        metadata.set("Width", std::to_string(bytes_.size()));
    }

private:
    std::string bytes_;
    bool* destroyed_;
};

} // namespace

TEST(FactoryTest, Extensions) {
    std::string out;
    EXPECT_TRUE(Factory::extension("picture.JPG", out));
    EXPECT_EQ(out, "jpg");
    EXPECT_TRUE(Factory::extension("archive.tar.Png", out));
    EXPECT_EQ(out, "png");
    EXPECT_FALSE(Factory::extension("README", out));
    EXPECT_FALSE(Factory::extension("", out));
    EXPECT_TRUE(Factory::extension("folder.d/file", out));
    EXPECT_EQ(out, "d/file");
    EXPECT_TRUE(Factory::extension("trailing.", out));
    EXPECT_EQ(out, "");
    for (const char* e : {"pbm", "pgm", "ppm", "pam", "pnm"})
        EXPECT_TRUE(Factory::isNetPBM(e));
    EXPECT_FALSE(Factory::isNetPBM("PBM"));
    EXPECT_FALSE(Factory::isNetPBM("png"));
}

TEST(FactoryTest, UnknownNamesGiveNoCodec) {
    const Factory factory;
    EXPECT_EQ(factory.importer("README"), nullptr);
    EXPECT_EQ(factory.importer("folder.png/file"), nullptr);
    EXPECT_EQ(factory.importer("picture.gif"), nullptr);
    EXPECT_EQ(factory.exporter("picture.jpg"), nullptr);
    EXPECT_EQ(factory.exporter("picture.raw"), nullptr);
    EXPECT_EQ(factory.separate(nullptr), nullptr);
}

TEST(FactoryTest, CodecsByExtension) {
    const Factory factory;
    std::unique_ptr<DataImporter> jpeg(factory.importer("photo.JPG"));
    EXPECT_NE(dynamic_cast<JPEGImporter*>(jpeg.get()), nullptr);
    std::unique_ptr<DataImporter> jpeg2(factory.importer("photo.jpeg"));
    EXPECT_NE(dynamic_cast<JPEGImporter*>(jpeg2.get()), nullptr);
    std::unique_ptr<DataImporter> png(factory.importer("x.tar.png"));
    EXPECT_NE(dynamic_cast<PNGImporter*>(png.get()), nullptr);
    for (const char* name : {"a.pbm", "a.PGM", "a.ppm", "a.pam", "a.pnm"}) {
        std::unique_ptr<DataImporter> pbm(factory.importer(name));
        EXPECT_NE(dynamic_cast<NetPBMImporter*>(pbm.get()), nullptr) << name;
        std::unique_ptr<DataExporter> out(factory.exporter(name));
        EXPECT_NE(dynamic_cast<NetPBMExporter*>(out.get()), nullptr) << name;
        EXPECT_EQ(out->name(), "");
    }
    std::unique_ptr<DataExporter> pngOut(factory.exporter("x.PNG"));
    EXPECT_NE(dynamic_cast<PNGExporter*>(pngOut.get()), nullptr);
    EXPECT_EQ(pngOut->name(), "");
}

TEST(FactoryTest, SniffingOrder) {
    const Factory factory;
    IncrementalBuffer png = bufferOf(pngSignature + "rest");
    ConstBufferStream pngStream(png);
    std::unique_ptr<DataImporter> byContent(factory.importer("picture.dat", pngStream));
    EXPECT_NE(dynamic_cast<PNGImporter*>(byContent.get()), nullptr);
    // FF D8 that also satisfies the native recogniser: JPEG comes first.
    IncrementalBuffer both = bufferOf("\xFF\xD8" + nativeHeader);
    ConstBufferStream bothStream(both);
    std::unique_ptr<DataImporter> jpeg(factory.sniff(bothStream));
    EXPECT_NE(dynamic_cast<JPEGImporter*>(jpeg.get()), nullptr);
}

TEST(FactoryTest, SniffsTheNativeFormatAndNothingElse) {
    const Factory factory;
    IncrementalBuffer native = bufferOf(nativeHeader);
    ConstBufferStream nativeStream(native);
    std::unique_ptr<DataImporter> found(factory.importer("no-extension", nativeStream));
    EXPECT_NE(dynamic_cast<NativeImporter*>(found.get()), nullptr);

    for (const std::string& content : {std::string(), std::string("\xFF"), std::string("\xFF\xD9"),
                                       pngSignature.substr(0, 7), std::string("plain text")}) {
        IncrementalBuffer bytes = bufferOf(content);
        ConstBufferStream stream(bytes);
        EXPECT_EQ(factory.sniff(stream), nullptr) << content.size(); // short files simply do not match
    }
}

TEST(FactoryTest, SeparateWrapsOneShotImporters) {
    const Factory factory;
    NativeImporter* native = new NativeImporter();
    std::unique_ptr<DataImporterSeparate> same(factory.separate(native));
    EXPECT_EQ(same.get(), native);

    bool destroyed = false;
    std::unique_ptr<DataImporterSeparate> wrapped(factory.separate(new FixedImporter("abcdef", &destroyed)));
    ASSERT_NE(dynamic_cast<Factory::DataImporterBuffered*>(wrapped.get()), nullptr);
    IncrementalBuffer input;
    ConstBufferStream stream(input);
    wrapped->setStream(stream);
    ImageMetadata metadata;
    wrapped->importMeta(metadata);
    EXPECT_EQ(metadata.width(), 6u);
    IncrementalBuffer target(0, 8);
    wrapped->importData(target);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(target.data()), 6), "abcdef");
    IncrementalBuffer tooSmall(0, 5);
    EXPECT_THROW(wrapped->importData(tooSmall), SpaceException<unsigned int>);
    wrapped->clearStream();
    EXPECT_THROW(wrapped->importMeta(metadata), Migration::StreamException);
    wrapped.reset();
    EXPECT_TRUE(destroyed);
}

TEST(FactoryTest, FileOperations) {
    KestruneTest::TempFolder folder;
    const Factory factory;
    ImageMetadata metadata(2, 1, 1, 8);
    const IncrementalBuffer pixels = bufferOf("ok");
    const std::string rawPath = folder.path() + "/picture.raw";
    NativeExporter exporter;
    factory.exportFile(pixels, metadata, rawPath, exporter);

    // No extension matches: the content decides.
    IncrementalBuffer read;
    ImageMetadata readMetadata;
    factory.importFile(read, readMetadata, rawPath);
    EXPECT_TRUE(read == pixels);
    EXPECT_EQ(readMetadata.width(), 2u);

    try {
        factory.exportFile(pixels, metadata, folder.path() + "/picture.jpg");
        FAIL();
    } catch (const SupportException& e) {
        EXPECT_EQ(e.message(), "No support for export of " + folder.path() + "/picture.jpg. ");
    }
    const std::string textPath = folder.path() + "/notes.txt";
    std::ofstream(textPath) << "no picture here";
    EXPECT_THROW(factory.importFile(read, readMetadata, textPath), SupportException);

    // A given importer keeps no stream after a failure.
    NativeImporter importer;
    EXPECT_ANY_THROW(factory.importFile(read, readMetadata, textPath, importer));
    EXPECT_THROW(importer.import(read, readMetadata), Migration::StreamException);
}

TEST(FactoryTest, FormatExceptionPrintsWordAndMessage) {
    const FormatException e(SourceLocation(), "png", "Bad chunk. ");
    EXPECT_EQ(e.message(), "png : Bad chunk. ");
    std::unique_ptr<Exception> copy(e.clone());
    EXPECT_EQ(copy->message(), "png : Bad chunk. ");
    EXPECT_EQ(dynamic_cast<FormatException&>(*copy).format(), "png");
}
