#pragma once

#include <memory>

#include "foundation/text/TextWriter.h"

namespace TAVO {

class WriteStream;

// A sink of time-stamped lines. One entry is one line; it lasts as long as its
// session object.
class Log {
public:
    // One entry in progress. The entry ends when the last owner releases the
    // session, which must happen on the thread that made it.
    class EntrySession {
    public:
        virtual ~EntrySession() = default;
        // Where the entry's text goes.
        virtual WriteStream& stream() = 0;
    };

    virtual ~Log() = default;
    virtual std::shared_ptr<EntrySession> entry() = 0;

    // A text writer over the session's stream with line end "\n".
    static TextWriter line(EntrySession& session);
    static TextWriter line(const std::shared_ptr<EntrySession>& session) { return line(*session); }
};

} // namespace TAVO
