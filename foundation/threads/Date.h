#pragma once

#include <string>

#include "foundation/serialization/Serializable.h"

namespace TAVO {

// A day of the Gregorian calendar, held as the year and the 0-based day of
// that year. Arithmetic that would reach a year below 1 throws
// SupportException "years<1".
class Date : public Serializable {
public:
    enum Month { January = 1, February, March, April, May, June, July, August, September, October, November, December };
    enum WeekDay { Monday = 1, Tuesday, Wednesday, Thursday, Friday, Saturday, Sunday };

    // 1 January of year 1.
    Date() = default;
    // The month must lie in 1..12 (BoundException<Month>), the day in
    // 1..length of the month (BoundException<unsigned int>).
    Date(int year, Month month, unsigned int day);
    // The weekday of the given week (0..53) of the year; weeks count as week() does.
    Date(int year, unsigned int week, WeekDay weekDay);
    // "year-month-day" or "year_month_day" (ParseException when neither).
    explicit Date(const std::string& text);

    int year() const { return year_; }
    unsigned int dayOfYear() const { return dayOfYear_; }   // 0-based
    unsigned int dayOfYearFromOne() const { return dayOfYear_ + 1; }
    Month month() const;
    unsigned int dayOfMonth() const;
    void monthAndDay(Month& month, unsigned int& dayOfMonth) const;
    // 0..53; week 1 is the week holding 1 January when that is a Monday to
    // Thursday, otherwise the first week starting on a Monday.
    unsigned int week() const;
    WeekDay weekDay() const;

    static bool isLeapYear(int year);
    static unsigned int daysInYear(int year);
    static unsigned int daysInMonth(int year, Month month);
    static std::string monthName(Month month);
    static std::string weekDayName(WeekDay weekDay);

    Date& operator++();
    Date& operator--();
    Date operator+(unsigned int days) const;
    Date operator-(unsigned int days) const;
    Date& operator+=(unsigned int days);
    Date& operator-=(unsigned int days);

    // The number of days between the two dates, whichever comes first.
    static unsigned int daysBetween(const Date& a, const Date& b);

    bool operator==(const Date& other) const { return year_ == other.year_ && dayOfYear_ == other.dayOfYear_; }
    // Earlier dates order first.
    bool operator<(const Date& other) const;

    // 2025-01-05; the year without leading zeros.
    std::string toString() const;
    // 2025_01_05, for file names.
    std::string toFileNameString() const;

    void serialize(Serialization& serialization) override;

private:
    void normalise(unsigned long long dayOfYear);
    std::string format(char separator) const;

    int year_ = 1;
    unsigned int dayOfYear_ = 0;
};

} // namespace TAVO
