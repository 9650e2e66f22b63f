// kestrune-picture: converts pictures between the formats the game reads,
// and shows what the game's picture loader and gallery make of them.
//
//   kestrune-picture convert [--eighth] IN OUT
//   kestrune-picture thumbnail IN OUT
//   kestrune-picture gallery FOLDER
//
// IN is read with the codec factory (by extension, then by content); OUT is
// written in the format its extension names: .png, .pbm (bitmap), .pgm
// (grey), .ppm (colour) or .pnm (grey or colour as the picture is). Exit code
// 0 on success; 1 with the failure's text on standard error otherwise.
// With --eighth a JPEG picture is decoded in eighth-scale mode (one pixel
// per 8 x 8 block); any other picture is refused.
//
// thumbnail writes the 128 x 128 thumbnail the gallery makes of IN (the
// centred square, scaled). gallery lists the entries the gallery keeps of
// FOLDER once every thumbnail has been tried, one path a line, in order.

#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/CppInStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/threads/LogFile.h"
#include "imaging/PictureGallery.h"
#include "imaging/PictureLoader.h"
#include "imaging/DataExporter.h"
#include "imaging/Factory.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/JPEGImporter.h"

using namespace TAVO;
using namespace TAVO::Migration;

namespace {

// The picture's samples as plain numbers, pixel by pixel, with the channel
// order of the layout applied.
struct Samples {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t channels = 0;
    bool wide = false; // 16-bit
    bool alpha = false;
    std::vector<std::uint32_t> values; // rows bottom first

    std::uint32_t& at(std::uint32_t x, std::uint32_t y, std::uint32_t c) {
        return values[(std::size_t(y) * width + x) * channels + c];
    }
};

Samples unpack(const Buffer& buffer, const ImageMetadata& metadata) {
    const ImageLayout layout(metadata);
    Samples s;
    s.width = metadata.width();
    s.height = metadata.height();
    s.channels = metadata.channels();
    s.alpha = s.channels == 2 || s.channels == 4;
    const std::uint32_t bits = metadata.type().bits();
    if (bits != 8 && bits != 16)
        throw SupportException(SourceLocation(), std::to_string(bits) + "-bit samples");
    s.wide = bits == 16;
    if (layout.byteCount() > buffer.size())
        throw SupportException(SourceLocation(), "a pixel buffer shorter than its layout");
    const bool big = metadata.type().bigEndian() != 0;
    s.values.resize(std::size_t(s.width) * s.height * s.channels);
    for (std::uint32_t y = 0; y < s.height; ++y)
        for (std::uint32_t x = 0; x < s.width; ++x) {
            const std::uint8_t* pixel =
                buffer.data() + std::uint64_t(y) * layout.bytesPerRow() + std::uint64_t(x) * layout.bytesPerPixel();
            for (std::uint32_t c = 0; c < s.channels; ++c) {
                const std::uint8_t* p = pixel + layout.channelOrder()[c] * (s.wide ? 2 : 1);
                s.at(x, y, c) = !s.wide ? p[0] : big ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
            }
        }
    return s;
}

// Keeps or drops the alpha channel and turns grey into colour or colour into
// grey as the target asks.
Samples reshape(Samples& s, std::uint32_t colourChannels, bool keepAlpha) {
    Samples t;
    t.width = s.width;
    t.height = s.height;
    t.wide = s.wide;
    t.alpha = keepAlpha && s.alpha;
    t.channels = colourChannels + (t.alpha ? 1 : 0);
    t.values.resize(std::size_t(t.width) * t.height * t.channels);
    const std::uint32_t sourceColour = s.alpha ? s.channels - 1 : s.channels;
    for (std::uint32_t y = 0; y < s.height; ++y)
        for (std::uint32_t x = 0; x < s.width; ++x) {
            if (colourChannels == sourceColour) {
                for (std::uint32_t c = 0; c < colourChannels; ++c)
                    t.at(x, y, c) = s.at(x, y, c);
            } else if (colourChannels == 3) {
                for (std::uint32_t c = 0; c < 3; ++c)
                    t.at(x, y, c) = s.at(x, y, 0);
            } else {
                // Luma with the weights 0.299, 0.587, 0.114, rounded.
                t.at(x, y, 0) = (299 * s.at(x, y, 0) + 587 * s.at(x, y, 1) + 114 * s.at(x, y, 2) + 500) / 1000;
            }
            if (t.alpha)
                t.at(x, y, t.channels - 1) = s.at(x, y, s.channels - 1);
        }
    return t;
}

// The metadata of the samples as pack lays them out: packed pixels, channels
// in order, 16-bit samples most significant byte first.
ImageMetadata packedMetadata(std::uint32_t width, std::uint32_t height, std::uint32_t channels, bool wide,
                             bool bitmap) {
    ImageMetadata result;
    result.setWidth(width);
    result.setHeight(height);
    result.setChannels(channels);
    const std::uint32_t bytes = wide && !bitmap ? 2 : 1;
    result.setType(Value(bitmap ? 1 : bytes * 8, 0, bytes == 2 ? 1 : 0));
    result.setFormat(channels >= 3 ? ImageMetadata::Format::RGBA : ImageMetadata::Format::Intensity);
    return result;
}

void pack(const Samples& s, IncrementalBuffer& buffer, ImageMetadata& metadata, bool bitmap) {
    const ImageMetadata result = packedMetadata(s.width, s.height, s.channels, s.wide, bitmap);
    const std::uint32_t bytes = s.wide && !bitmap ? 2 : 1;
    buffer.setSize(std::uint32_t(s.values.size() * bytes));
    std::uint8_t* out = buffer.data();
    for (std::uint32_t v : s.values) {
        if (bitmap) {
            // Dark samples become black (0), light ones white.
            const std::uint32_t top = s.wide ? 65535 : 255;
            *out++ = v * 2 < top ? 0 : 255;
        } else if (bytes == 2) {
            *out++ = std::uint8_t(v >> 8);
            *out++ = std::uint8_t(v);
        } else {
            *out++ = std::uint8_t(v);
        }
    }
    metadata = result;
}

// Imports the picture with the JPEG importer in eighth-scale mode.
void importEighth(const Factory& factory, IncrementalBuffer& pixels, ImageMetadata& metadata,
                  const std::string& input) {
    std::unique_ptr<DataImporter> importer;
    {
        std::ifstream file(input, std::ios::binary);
        CppInStream stream(file);
        if (file)
            importer.reset(factory.importer(input, stream));
    }
    auto* jpeg = dynamic_cast<JPEGImporter*>(importer.get());
    if (jpeg == nullptr)
        throw SupportException(SourceLocation(), "eighth-scale decoding of " + input);
    jpeg->setEighthScale(true);
    factory.importFile(pixels, metadata, input, *jpeg);
}

// True when the target format takes the picture's channels as they are.
bool keepsChannels(const std::string& extension, std::uint32_t channels) {
    if (extension == "png")
        return channels != 2;
    if (extension == "ppm")
        return channels == 3;
    if (extension == "pgm")
        return channels == 1;
    if (extension == "pbm")
        return false;
    return channels == 1 || channels == 3;
}

void exportPicture(const Factory& factory, const Buffer& pixels, const ImageMetadata& metadata,
                   const std::string& output, DataExporter& exporter) {
    try {
        factory.exportFile(pixels, metadata, output, exporter);
    } catch (...) {
        std::remove(output.c_str());
        throw;
    }
}

// Writes the picture in the format the output's extension names.
void writePicture(IncrementalBuffer& pixels, ImageMetadata& metadata, const std::string& output) {
    Factory factory;
    std::string extension;
    std::unique_ptr<DataExporter> exporter(factory.exporter(output));
    if (!exporter || !Factory::extension(output, extension))
        throw SupportException(SourceLocation(), "export of " + output);

    // 8-bit pixels already packed as the target takes them are written as
    // they are, without a copy.
    if (metadata.type().bits() == 8 && keepsChannels(extension, metadata.channels())) {
        const ImageMetadata packed =
            packedMetadata(metadata.width(), metadata.height(), metadata.channels(), false, false);
        if (ImageLayout(packed) == ImageLayout(metadata) && ImageLayout(packed).byteCount() <= pixels.size()) {
            exportPicture(factory, pixels, packed, output, *exporter);
            return;
        }
    }

    Samples samples = unpack(pixels, metadata);
    const std::uint32_t colour = samples.alpha ? samples.channels - 1 : samples.channels;
    bool bitmap = false;
    if (extension == "png") {
        // Grey with alpha is written as RGBA.
        if (samples.channels == 2)
            samples = reshape(samples, 3, true);
    } else if (extension == "pbm") {
        samples = reshape(samples, 1, false);
        bitmap = true;
    } else if (extension == "pgm") {
        samples = reshape(samples, 1, false);
    } else if (extension == "ppm") {
        samples = reshape(samples, 3, false);
    } else {
        samples = reshape(samples, colour, false);
    }
    pack(samples, pixels, metadata, bitmap);
    exportPicture(factory, pixels, metadata, output, *exporter);
}

int convert(const std::string& input, const std::string& output, bool eighth) {
    Factory factory;
    if (std::unique_ptr<DataExporter>(factory.exporter(output)) == nullptr)
        throw SupportException(SourceLocation(), "export of " + output);
    IncrementalBuffer pixels;
    ImageMetadata metadata;
    if (eighth)
        importEighth(factory, pixels, metadata, input);
    else
        factory.importFile(pixels, metadata, input);
    writePicture(pixels, metadata, output);
    return 0;
}

int thumbnail(const std::string& input, const std::string& output) {
    LogFile log;
    log.open(std::cerr);
    PictureLoader loader(log);
    Picture picture;
    if (!loader.loadPictureScaled(input, PictureLoader::thumbnailSide, picture)) {
        std::cerr << "Unable to load " << input << "\n";
        return 1;
    }
    writePicture(picture.buffer(), picture.metadata(), output);
    return 0;
}

// Asks for every entry's thumbnail as the game menu does, and counts the
// answers.
class GalleryWatcher : public PictureGallery::EventHandler {
public:
    explicit GalleryWatcher(PictureGallery& gallery) : gallery_(gallery) {}
    void added() override { gallery_.loadThumbnail(std::uint32_t(gallery_.entries().size() - 1)); }
    void removed(std::uint32_t) override { ++settled; }
    void thumbnailReady(std::uint32_t) override { ++settled; }
    std::size_t settled = 0;

private:
    PictureGallery& gallery_;
};

int gallery(const std::string& folder) {
    LogFile log;
    log.open(std::cerr);
    PictureLoader loader(log);
    loader.start();
    PictureGallery gallery(loader);
    GalleryWatcher watcher(gallery);
    gallery.setEventHandler(&watcher);
    gallery.setDirectory(folder);
    const std::size_t listed = gallery.entries().size();
    while (watcher.settled < listed) {
        loader.poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    loader.stop();
    for (const PictureGallery::Entry& entry : gallery.entries())
        std::cout << entry.path << "\n";
    return 0;
}

int usage() {
    std::cerr << "usage: kestrune-picture convert [--eighth] IN OUT\n"
                 "       kestrune-picture thumbnail IN OUT\n"
                 "       kestrune-picture gallery FOLDER\n";
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const bool eighth = argc == 5 && std::string(argv[2]) == "--eighth";
    try {
        if (command == "convert" && argc == 4 + (eighth ? 1 : 0))
            return convert(argv[argc - 2], argv[argc - 1], eighth);
        if (command == "thumbnail" && argc == 4)
            return thumbnail(argv[2], argv[3]);
        if (command == "gallery" && argc == 3)
            return gallery(argv[2]);
        return usage();
    } catch (const TAVO::Exception& e) {
        std::cerr << e.message() << "\n";
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
    }
    return 1;
}
