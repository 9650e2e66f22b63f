#pragma once

#include "foundation/exceptions/ExceptionHandler.h"

namespace TAVO {

// The handler of every runnable that was given none: it does nothing.
class ExceptionDiscarder : public ExceptionHandler {
public:
    void handle(const Exception&, const std::string&) override {}

    // The one discarder that lives for the whole program.
    static ExceptionDiscarder& instance();
};

} // namespace TAVO
