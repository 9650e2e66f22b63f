#pragma once

#include <string>

#include "foundation/serialization/Serializable.h"
#include "foundation/threads/Date.h"
#include "foundation/threads/Duration.h"

namespace TAVO {

// A moment: a date and the time of day as a Duration since midnight, kept
// below 24 hours.
class Time : public Serializable {
public:
    // 0001-01-01 00:00:00.000.
    Time() = default;
    // The time of day must be below 86,400,000 ms (BoundException<unsigned int>).
    Time(const Date& date, const Duration& timeOfDay);
    // "date duration" split at the first blank, or the file-name form
    // year_month_day_hours_minutes_seconds_milliseconds split at the third "_".
    explicit Time(const std::string& text);

    // The current time from the system clock, in UTC or local time.
    static Time now(bool utc);
    // The distance between two Times in either order (see the source for
    // spans beyond 32 bits of milliseconds).
    static Duration difference(const Time& a, const Time& b);

    const Date& date() const { return date_; }
    const Duration& timeOfDay() const { return timeOfDay_; }

    Time operator+(const Duration& duration) const;
    Time operator-(const Duration& duration) const;
    Time& operator+=(const Duration& duration);
    Time& operator-=(const Duration& duration);

    bool operator==(const Time& other) const { return date_ == other.date_ && timeOfDay_ == other.timeOfDay_; }
    bool operator<(const Time& other) const;

    // 2025-01-20 09:05:03.120, the form of the log prefix.
    std::string toString() const;
    // 2025_01_20_09_05_03_120, for file names.
    std::string toFileNameString() const;

    void serialize(Serialization& serialization) override;

private:
    Date date_;
    Duration timeOfDay_;
};

} // namespace TAVO
