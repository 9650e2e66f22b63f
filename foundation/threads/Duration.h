#pragma once

#include <string>

#include "foundation/serialization/Serializable.h"

namespace TAVO {

// A span of time in milliseconds, up to 4,294,967,295 ms (a little over 49 days).
class Duration : public Serializable {
public:
    explicit Duration(unsigned int milliseconds = 0) : milliseconds_(milliseconds) {}
    // Clock form (H, H:M, H:M:S, H:M:S.mmm), the same with "_", or unit form
    // ("1h 30M", "90s", "250m"). ParseException when none matches; a text
    // whose total does not fit in 32 bits throws BoundException<unsigned long long>.
    explicit Duration(const std::string& text);

    // The whole span in milliseconds.
    unsigned int count() const { return milliseconds_; }

    unsigned int hours() const { return milliseconds_ / 3600000; }
    unsigned int minutes() const { return milliseconds_ / 60000 % 60; }
    unsigned int seconds() const { return milliseconds_ / 1000 % 60; }
    unsigned int milliseconds() const { return milliseconds_ % 1000; }
    void parts(unsigned int& hours, unsigned int& minutes, unsigned int& seconds, unsigned int& milliseconds) const;

    bool operator==(const Duration& other) const { return milliseconds_ == other.milliseconds_; }

    // 01:02:03.004; the hours take at least two digits.
    std::string toString() const;
    // 01_02_03_004, for file names.
    std::string toFileNameString() const;

    void serialize(Serialization& serialization) override;

private:
    std::string format(char separator, char fractionSeparator) const;

    unsigned int milliseconds_;
};

} // namespace TAVO
