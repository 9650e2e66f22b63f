#include "imaging/PictureLoader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <thread>

#include "foundation/exceptions/ExceptionLogger.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/platform/NativeFileStatus.h"
#include "foundation/platform/NativeMemory.h"
#include "foundation/streams/CppInStream.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"
#include "imaging/Factory.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageSignal.h"
#include "imaging/SignalOperations.h"
#include "imaging/codecs/JPEGImporter.h"

using namespace TAVO;
using TAVO::Migration::DataImporter;
using TAVO::Migration::Factory;
using TAVO::Migration::ImageLayout;
using TAVO::Migration::ImageMetadata;
using TAVO::Migration::ImageSignal;
using TAVO::Migration::JPEGImporter;
using TAVO::Migration::Value;

namespace {

// Keeps the high byte of every 16-bit sample, so that the rest of the game
// sees 8-bit pictures. Rows are packed, so the bytes simply halve.
void reduceToEightBits(Picture& picture) {
    ImageMetadata& metadata = picture.metadata();
    if (metadata.type().bits() != 16 || metadata.type().kind() != Value::Unsigned)
        return;
    if (metadata.pixelAlignment() != 0 || metadata.lineAlignment() != 0)
        return;
    const ImageLayout layout(metadata);
    IncrementalBuffer& buffer = picture.buffer();
    const std::uint64_t samples = std::min<std::uint64_t>(layout.byteCount(), buffer.size()) / 2;
    std::uint8_t* data = buffer.data();
    const std::uint32_t high = metadata.type().bigEndian() ? 0 : 1;
    for (std::uint64_t i = 0; i < samples; ++i)
        data[i] = data[2 * i + high];
    buffer.resize(std::uint32_t(samples));
    metadata.setType(Value(8, Value::Unsigned, 0));
}

} // namespace

PictureLoader::Job::Job(PictureLoader& loader, std::string path, std::uint32_t side,
                        std::unique_ptr<Notifier> notifier)
    : loader_(loader), path_(std::move(path)), side_(side), notifier_(std::move(notifier)) {}

void PictureLoader::Job::run() {
    result_ = loader_.loadPicture(path_, picture_, side_);
    if (result_ && side_ != 0)
        loader_.scalePicture(picture_, side_);
}

void PictureLoader::Job::done() {
    std::unique_ptr<Notifier> notifier = std::move(notifier_);
    if (!notifier)
        return;
    if (result_)
        notifier->loaded(path_, picture_);
    else
        notifier->failed();
}

void PictureLoader::Job::failed() {
    std::unique_ptr<Notifier> notifier = std::move(notifier_);
    if (notifier)
        notifier->failed();
}

PictureLoader::PictureLoader(Log& log)
    : log_(log), worker_(std::clamp(std::thread::hardware_concurrency(), 1u, maximumThreads)) {}

PictureLoader::~PictureLoader() { stop(); }

std::uint64_t PictureLoader::poll() {
    const std::uint64_t previews = previews_.poll();
    return previews + worker_.poll();
}

void PictureLoader::setExceptionHandler(ExceptionHandler* handler) {
    worker_.setExceptionHandler(handler);
    previews_.setExceptionHandler(handler);
}

void PictureLoader::start() {
    worker_.start();
    previews_.start();
}

void PictureLoader::stop() {
    // The thumbnails' threads first, as theirs is the long queue: a preview
    // being read meanwhile goes on and has mostly ended by the second wait.
    worker_.stop();
    previews_.stop();
}

bool PictureLoader::loadPicture(const std::string& path, Picture& picture, std::uint32_t side) {
    picture.clear();
    std::unique_ptr<DataImporter> importer(Factory().importer(path));
    if (!importer)
        return false;
    // A named pipe or a device would block the loading thread or never end.
    // A file that is not there is the caller's to tell; one that is there
    // and cannot be read is named here.
    std::string unreadable;
    const NativeFileStatus::Kind kind = NativeFileStatus::of(path, unreadable);
    if (kind != NativeFileStatus::Kind::regularFile) {
        if (kind == NativeFileStatus::Kind::directory)
            unreadable = "it is a folder";
        else if (kind == NativeFileStatus::Kind::other)
            unreadable = "it is not a regular file";
        if (!unreadable.empty())
            Log::line(log_.entry()) << "Unable to read picture " << Text::printable(path) << ": "
                                    << Text::printable(unreadable) << ".";
        return false;
    }
    if (auto* jpeg = dynamic_cast<JPEGImporter*>(importer.get()))
        jpeg->setEighthScale(side != 0);
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        const int error = errno;
        Log::line(log_.entry()) << "Unable to read picture " << Text::printable(path) << ": "
                                << std::strerror(error) << ".";
        return false;
    }
    // A failure is logged with the file's path as its context.
    ExceptionLogger logger(log_);
    try {
        CppInStream stream(file);
        importer->setStream(stream);
        importer->import(picture.buffer(), picture.metadata());
        importer->clearStream();
    } catch (const Exception& e) {
        importer->clearStream();
        logger.handle(e, path);
        return false;
    } catch (const std::exception& e) {
        importer->clearStream();
        logger.handleStdException(e, path);
        return false;
    }
    reduceToEightBits(picture);
    return true;
}

bool PictureLoader::loadPictureScaled(const std::string& path, std::uint32_t side, Picture& picture) {
    if (!loadPicture(path, picture, side))
        return false;
    scalePicture(picture, side);
    return true;
}

void PictureLoader::scalePicture(Picture& picture, std::uint32_t side) {
    ImageMetadata& metadata = picture.metadata();
    const std::uint32_t w = metadata.width(), h = metadata.height();
    ImageMetadata::checkSize(w, h);
    if (side == 0)
        throw UnexpectedValueException(SourceLocation(), "0", "a thumbnail side");
    const float scale = std::max(float(side) / float(w), float(side) / float(h));
    const auto scaledW = std::uint32_t(float(w) * scale), scaledH = std::uint32_t(float(h) * scale);
    std::uint32_t rw = w, rh = h;
    if (scaledW != side || scaledH != side)
        rw = rh = std::min(w, h);

    Mutex::Guard guard(scalerMutex_);
    const ImageSignal<unsigned char> source(metadata, picture.buffer());
    const std::uint32_t channels = source.size()[0];
    Signal<3, unsigned char>& current = work_.current();
    if (rw == w && rh == h) {
        current.resize(source.size(), false);
        std::copy(source.data(), source.data() + source.count(), current.data());
    } else {
        const Tuple<3, int> origin(0, int(w / 2 - rw / 2), int(h / 2 - rh / 2));
        copyRegion(source, origin, Tuple<3, unsigned int>(channels, rw, rh), current);
    }
    resizeKeeping(target_, Tuple<3, unsigned int>(channels, side, side));
    reduce(work_, target_);

    const ImageMetadata square(side, side, channels, channels * 8);
    metadata.setWidth(side);
    metadata.setHeight(side);
    metadata.setChannels(channels);
    metadata.setType(square.type());
    metadata.setPixelAlignment(0);
    metadata.setLineAlignment(0);
    metadata.setFormat(square.format());
    // The full-size pixels are not read again: their pages go back now,
    // not when the buffer is freed into this thread's own memory pool.
    IncrementalBuffer& pixels = picture.buffer();
    NativeMemory::discard(pixels.data(), pixels.capacity());
    pixels.assign(target_.data(), target_.count());
}

void PictureLoader::loadAsync(const std::string& path, std::unique_ptr<Notifier> notifier) {
    loadAsync(path, 0, std::move(notifier));
}

void PictureLoader::loadAsync(const std::string& path, std::uint32_t side, std::unique_ptr<Notifier> notifier) {
    auto job = std::make_unique<Job>(*this, path, side, std::move(notifier));
    // A picture at full size is the one the player waits for: it has a
    // thread of its own, so that it neither queues behind the thumbnails
    // nor waits for them to be heard.
    if (side == 0) {
        previews_.add(std::move(job));
        return;
    }
    // A picture read whole can take hundreds of megabytes on its way: those
    // keep to one thread, which reuses what the one before freed. A JPEG
    // read at an eighth for its thumbnail is small and goes beside them.
    worker_.add(std::move(job), !readAtAnEighth(path, side));
}

bool PictureLoader::readAtAnEighth(const std::string& path, std::uint32_t side) {
    if (side == 0)
        return false;
    const std::unique_ptr<DataImporter> importer(Factory().importer(path));
    return dynamic_cast<JPEGImporter*>(importer.get()) != nullptr;
}
