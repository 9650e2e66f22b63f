#include "foundation/threads/Time.h"

#include "foundation/exceptions/AccessException.h"
#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/ParseException.h"
#include "foundation/platform/SystemClock.h"
#include "foundation/serialization/Serialization.h"

namespace TAVO {

namespace {
const unsigned int millisecondsPerDay = 86400000;

void checkTimeOfDay(unsigned int milliseconds) {
    if (milliseconds >= millisecondsPerDay)
        throw BoundException<unsigned int>(SourceLocation(), milliseconds, millisecondsPerDay - 1);
}
} // namespace

Time::Time(const Date& date, const Duration& timeOfDay) : date_(date), timeOfDay_(timeOfDay) {
    checkTimeOfDay(timeOfDay.count());
}

Time::Time(const std::string& text) {
    std::string dateText;
    std::string durationText;
    const std::string::size_type blank = text.find(' ');
    if (blank != std::string::npos) {
        dateText = text.substr(0, blank);
        durationText = text.substr(blank + 1);
    } else {
        std::string::size_type at = std::string::npos;
        std::string::size_type from = 0;
        for (int i = 0; i < 3; ++i) {
            at = text.find('_', from);
            if (at == std::string::npos)
                throw ParseException(SourceLocation(), text, *this);
            from = at + 1;
        }
        dateText = text.substr(0, at);
        durationText = text.substr(at + 1);
    }
    const Date date(dateText);
    const Duration timeOfDay(durationText);
    // The clock form does not limit the hours; a time of day must stay within the day.
    if (timeOfDay.count() >= millisecondsPerDay)
        throw ParseException(SourceLocation(), text, *this);
    date_ = date;
    timeOfDay_ = timeOfDay;
}

Time Time::now(bool utc) {
    SystemClock::Reading reading;
    if (!SystemClock::read(utc, reading))
        throw AccessException(SourceLocation(), "the system clock", "it could not be read");
    const Date date(reading.year, Date::Month(reading.month), reading.day);
    return Time(date, Duration(reading.second * 1000 + (reading.hour * 60 + reading.minute) * 60000 +
                               reading.millisecond));
}

Duration Time::difference(const Time& a, const Time& b) {
    if (b < a)
        return difference(b, a);
    // Computed in 32 bits: exact while the span stays below 2^32 ms (about 49 days).
    const unsigned int days = Date::daysBetween(a.date_, b.date_);
    const unsigned int span = days * millisecondsPerDay + b.timeOfDay_.count();
    const unsigned int earlier = a.timeOfDay_.count();
    return Duration(span >= earlier ? span - earlier : earlier - span);
}

Time Time::operator+(const Duration& duration) const {
    Time result(*this);
    result += duration;
    return result;
}

Time Time::operator-(const Duration& duration) const {
    Time result(*this);
    result -= duration;
    return result;
}

Time& Time::operator+=(const Duration& duration) {
    const unsigned int d = duration.count();
    const unsigned int ms = timeOfDay_.count() + d % millisecondsPerDay;
    const unsigned int carry = ms / millisecondsPerDay + d / millisecondsPerDay;
    Date date = date_;
    date += carry;
    date_ = date;
    timeOfDay_ = Duration(ms % millisecondsPerDay);
    return *this;
}

Time& Time::operator-=(const Duration& duration) {
    const unsigned int d = duration.count();
    const unsigned int t = timeOfDay_.count() + (millisecondsPerDay - d % millisecondsPerDay);
    const unsigned int need = d / millisecondsPerDay + 1;
    const unsigned int have = t / millisecondsPerDay;
    Date date = date_;
    if (need <= have)
        date += have - need;
    else
        date -= need - have;
    date_ = date;
    timeOfDay_ = Duration(t % millisecondsPerDay);
    return *this;
}

bool Time::operator<(const Time& other) const {
    if (date_.year() != other.date_.year())
        return date_.year() < other.date_.year();
    if (date_.dayOfYear() != other.date_.dayOfYear())
        return date_.dayOfYear() < other.date_.dayOfYear();
    return timeOfDay_.count() < other.timeOfDay_.count();
}

std::string Time::toString() const {
    return date_.toString() + " " + timeOfDay_.toString();
}

std::string Time::toFileNameString() const {
    return date_.toFileNameString() + "_" + timeOfDay_.toFileNameString();
}

void Time::serialize(Serialization& serialization) {
    Date date = date_;
    unsigned int milliseconds = timeOfDay_.count();
    serialization.serialize(date).serialize(milliseconds);
    if (serialization.reading()) {
        checkTimeOfDay(milliseconds);
        date_ = date;
        timeOfDay_ = Duration(milliseconds);
    }
}

} // namespace TAVO
