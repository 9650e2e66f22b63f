#pragma once

namespace TAVO {

// The wall clock, as calendar fields in local time or in UTC.
class SystemClock {
public:
    struct Reading {
        int year = 0;
        unsigned int month = 1;        // 1..12
        unsigned int day = 1;          // 1..31
        unsigned int hour = 0;
        unsigned int minute = 0;
        unsigned int second = 0;       // 0..59 (a leap second reads as 59)
        unsigned int millisecond = 0;
    };

    // False when the clock cannot be read or converted.
    static bool read(bool utc, Reading& reading);
};

} // namespace TAVO
