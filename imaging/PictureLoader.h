#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/threads/Mutex.h"
#include "foundation/threads/Worker.h"
#include "foundation/threads/WorkerPool.h"
#include "imaging/Picture.h"
#include "imaging/Signal.h"
#include "imaging/SignalReduceWork.h"

namespace TAVO {
class ExceptionHandler;
class Log;
} // namespace TAVO

// Loads picture files through the codec factory, at full size or scaled and
// cut to a centred square, at once or as a job on its own worker threads:
// JPEG thumbnails, read at an eighth, up to maximumThreads side by side,
// thumbnails read whole one after another, and the results of all thumbnails
// heard in the order they were asked for. Pictures at full size (previews)
// are read on a thread of their own, one after another, and heard in the
// order they were asked for, whatever thumbnails are still on their way.
class PictureLoader {
public:
    // Hears the result of one asynchronous load, on the thread that polls.
    // Exactly one of the two is called per job.
    class Notifier {
    public:
        virtual ~Notifier() = default;
        virtual void loaded(const std::string& path, const Picture& picture) = 0;
        virtual void failed() = 0;
    };

    // One load on a worker thread. It owns its notifier until it hands it
    // the result; a job destroyed before that destroys the notifier unheard.
    class Job : public TAVO::Worker::Job {
    public:
        Job(PictureLoader& loader, std::string path, std::uint32_t side, std::unique_ptr<Notifier> notifier);
        void run() override;
        void done() override;
        void failed() override;

    private:
        PictureLoader& loader_;
        std::string path_;
        std::uint32_t side_;
        std::unique_ptr<Notifier> notifier_;
        bool result_ = false;
        Picture picture_;
    };

    // The side of the thumbnails of the gallery and of saved games.
    static constexpr std::uint32_t thumbnailSide = 128;
    // The most pictures loaded at once (fewer on a machine of fewer cores).
    static constexpr std::uint32_t maximumThreads = 4;

    explicit PictureLoader(TAVO::Log& log);
    ~PictureLoader();

    // Loads the file into the picture, whose content is replaced. The codec is
    // chosen by the file's extension. False when there is none, the file
    // cannot be opened or the import fails (the exception is written to the
    // log with the file's path as its context, "context: <path>> ..."); also
    // when the path names no regular file (a named pipe or a device is never
    // opened). A side other than 0 lets a JPEG be decoded at an eighth of its
    // size. Pictures with 16-bit samples are reduced to their high bytes.
    bool loadPicture(const std::string& path, Picture& picture, std::uint32_t side = 0);
    // loadPicture and, when it succeeds, scalePicture.
    bool loadPictureScaled(const std::string& path, std::uint32_t side, Picture& picture);
    // Makes the picture a side x side square of 8-bit samples: the centred
    // square of side min(width, height), reduced by halving and resampling.
    void scalePicture(Picture& picture, std::uint32_t side);

    // Queues a load for the worker threads; the notifier hears the result at
    // a later poll: a thumbnail (side other than 0) after the thumbnails
    // queued before it, a picture at full size (side 0) after the pictures
    // at full size queued before it and never behind a thumbnail. May be
    // called from any thread.
    void loadAsync(const std::string& path, std::unique_ptr<Notifier> notifier);
    void loadAsync(const std::string& path, std::uint32_t side, std::unique_ptr<Notifier> notifier);
    // Delivers the results of finished jobs on the calling thread; the
    // number delivered.
    std::uint64_t poll();
    // Loads queued and not yet delivered by poll.
    std::uint64_t unfinished() const { return worker_.unfinished() + previews_.unfinished(); }

    void setExceptionHandler(TAVO::ExceptionHandler* handler);
    void start();
    // Lets the loads being read end; those queued wait for a later start.
    void stop();

    // The log load failures are written to.
    TAVO::Log& log() const { return log_; }

private:
    TAVO::Log& log_;
    // Thumbnails.
    TAVO::WorkerPool worker_;
    // Pictures at full size: one thread, so that one is read at a time and
    // reuses what the one before freed (not what the thumbnails freed).
    TAVO::WorkerPool previews_{1};
    // Whether loadPicture reads the file at an eighth of its size (a JPEG
    // for a thumbnail).
    static bool readAtAnEighth(const std::string& path, std::uint32_t side);

    // Shared work pictures of the scaling step, one scaling at a time.
    TAVO::Mutex scalerMutex_;
    TAVO::SignalReduceWork work_;
    TAVO::Signal<3, unsigned char> target_;
};
