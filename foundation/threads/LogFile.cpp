#include "foundation/threads/LogFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "foundation/streams/StreamException.h"
#include "foundation/threads/Time.h"

namespace TAVO {

LogFile::SynchronizedSession::SynchronizedSession(Mutex& mutex, CppOutStream& stream)
    : mutex_(mutex), stream_(stream) {
    Mutex::Guard guard(mutex_);
    const std::string prefix = Time::now(false).toString() + " : ";
    stream_.write(prefix.data(), prefix.size());
    // The session keeps the mutex until it ends.
    mutex_.acquire();
}

LogFile::SynchronizedSession::~SynchronizedSession() {
    try {
        TextWriter writer(stream_);
        writer << TextWriter::LineEnd << TextWriter::Flush;
    } catch (...) {
        // The end of an entry lets no failure out.
    }
    try {
        mutex_.release();
    } catch (...) {
        // Released on a thread that does not hold the mutex: nothing to undo here.
    }
}

LogFile::LogFile() = default;

LogFile::~LogFile() {
    stream_.reset();
    file_.reset();
}

void LogFile::open(const std::string& path) {
    Mutex::Guard guard(mutex_);
    stream_.reset();
    file_.reset();
    errno = 0;
    auto file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::app | std::ios::binary);
    if (!*file) {
        // The system's reason, as the caller can tell it to the player.
        const int error = errno;
        throw StreamException(SourceLocation(), std::string("Unable to open the log for writing: ") +
                                                    (error != 0 ? std::strerror(error) : "unknown reason") + ". ");
    }
    stream_ = std::make_unique<CppOutStream>(*file);
    file_ = std::move(file);
}

void LogFile::open(std::ostream& stream) {
    Mutex::Guard guard(mutex_);
    stream_.reset();
    file_.reset();
    stream_ = std::make_unique<CppOutStream>(stream);
}

std::shared_ptr<Log::EntrySession> LogFile::entry() {
    Mutex::Guard guard(mutex_);
    if (stream_)
        return std::make_shared<SynchronizedSession>(mutex_, *stream_);
    return std::make_shared<IgnoreSession>();
}

} // namespace TAVO
