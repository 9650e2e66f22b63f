#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "foundation/streams/CppOutStream.h"
#include "foundation/streams/NullWriteStream.h"
#include "foundation/threads/Log.h"
#include "foundation/threads/Mutex.h"

namespace TAVO {

// The log file: every entry is one line
// "YYYY-MM-DD HH:MM:SS.mmm : text" in local time, written whole under the
// log's mutex and flushed at its end. While no file is open, entries are
// accepted and dropped.
class LogFile : public Log {
public:
    // An entry of an open log: holds the log's mutex from its start to its end.
    class SynchronizedSession : public EntrySession {
    public:
        // Acquires the mutex and writes the time prefix.
        SynchronizedSession(Mutex& mutex, CppOutStream& stream);
        // Writes the line end, flushes and releases the mutex; never throws.
        ~SynchronizedSession() override;
        WriteStream& stream() override { return stream_; }

    private:
        Mutex& mutex_;
        CppOutStream& stream_;
    };

    // An entry of a log that is off: its text goes nowhere.
    class IgnoreSession : public EntrySession {
    public:
        WriteStream& stream() override { return stream_; }

    private:
        NullWriteStream stream_;
    };

    LogFile();
    ~LogFile() override;

    // Appends to the file at the path, creating it when missing. A file that
    // cannot be opened throws StreamException and leaves the log off.
    void open(const std::string& path);
    // Writes to a stream the caller owns and keeps alive while the log uses it.
    void open(std::ostream& stream);

    std::shared_ptr<EntrySession> entry() override;

private:
    Mutex mutex_;
    std::unique_ptr<std::ostream> file_;
    std::unique_ptr<CppOutStream> stream_;
};

} // namespace TAVO
