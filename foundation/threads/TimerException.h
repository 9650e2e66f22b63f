#pragma once

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// A timer could not be started or stopped.
class TimerException : public Exception {
public:
    using Exception::Exception;
    void print(std::ostream& out) const override { out << "Timer error occured. "; }
    Exception* clone() const override { return new TimerException(*this); }
};

} // namespace TAVO
