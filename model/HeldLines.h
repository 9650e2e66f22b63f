#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/threads/Log.h"

// Keeps the lines written to it until they are passed on, so that what one
// thread writes while another one works beside it reaches the log in the
// order the work would have written it one step after the other.
class HeldLines : public TAVO::Log {
public:
    std::shared_ptr<EntrySession> entry() override;
    // Writes the lines held so far into the log, in the order they came.
    void passOn(TAVO::Log& log);

private:
    class Session;

    std::vector<std::string> lines_;
};
