#include "foundation/platform/SystemClock.h"

#include <ctime>

namespace TAVO {

bool SystemClock::read(bool utc, Reading& reading) {
    timespec now{};
    if (clock_gettime(CLOCK_REALTIME, &now) != 0)
        return false;
    std::tm fields{};
    const std::time_t seconds = now.tv_sec;
    if ((utc ? gmtime_r(&seconds, &fields) : localtime_r(&seconds, &fields)) == nullptr)
        return false;
    reading.year = fields.tm_year + 1900;
    reading.month = unsigned(fields.tm_mon + 1);
    reading.day = unsigned(fields.tm_mday);
    reading.hour = unsigned(fields.tm_hour);
    reading.minute = unsigned(fields.tm_min);
    reading.second = fields.tm_sec > 59 ? 59u : unsigned(fields.tm_sec);
    reading.millisecond = unsigned(now.tv_nsec / 1000000);
    return true;
}

} // namespace TAVO
