#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "foundation/threads/Log.h"

// The driver's output: every line goes to standard output whole and at once,
// from any thread. Log entries become "log TEXT" lines (line breaks inside an
// entry become blanks).
class SessionLog : public TAVO::Log {
public:
    std::shared_ptr<EntrySession> entry() override;
    // Writes the line and a line feed, then flushes.
    void print(const std::string& line);

private:
    std::mutex mutex_;
};
