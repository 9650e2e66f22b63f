#include "foundation/threads/Date.h"

#include <climits>
#include <cstdio>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/exceptions/ParseException.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/text/Match.h"
#include "foundation/text/Text.h"

namespace TAVO {

namespace {

const unsigned int monthLengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const char* const monthNames[13] = {"", "January", "February", "March", "April", "May", "June",
                                    "July", "August", "September", "October", "November", "December"};
const char* const weekDayNames[8] = {"", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

void throwYearsBelowOne() {
    throw SupportException(SourceLocation(), "years<1");
}

// The number of leap years from a to b inclusive, the bounds in either order.
long long leapYears(long long a, long long b) {
    if (a > b)
        std::swap(a, b);
    if (a < 1)
        throwYearsBelowOne();
    return (b / 400 - (a - 1) / 400) - (b / 100 - (a - 1) / 100) + (b / 4 - (a - 1) / 4);
}

void checkMonth(Date::Month month) {
    if (month < Date::January)
        throw BoundException<Date::Month>(SourceLocation(), month, Date::January);
    if (month > Date::December)
        throw BoundException<Date::Month>(SourceLocation(), month, Date::December);
}

void checkWeekDay(Date::WeekDay weekDay) {
    if (weekDay < Date::Monday)
        throw BoundException<Date::WeekDay>(SourceLocation(), weekDay, Date::Monday);
    if (weekDay > Date::Sunday)
        throw BoundException<Date::WeekDay>(SourceLocation(), weekDay, Date::Sunday);
}

using Pattern = Match<char>::Pattern;

std::unique_ptr<Pattern> digits(std::uint32_t min, std::uint32_t max, std::uint32_t id) {
    return std::make_unique<Match<char>::Repeat>(std::make_unique<Match<char>::Range>('0', '9'), min, max, id);
}

// year{1,4} separator month{1,2} separator day{1,2}, then the end of the text.
std::unique_ptr<Pattern> datePattern(char separator) {
    auto sequence = std::make_unique<Match<char>::Sequence>();
    sequence->append(digits(1, 4, 0));
    sequence->append(std::make_unique<Match<char>::Symbol>(separator));
    sequence->append(digits(1, 2, 1));
    sequence->append(std::make_unique<Match<char>::Symbol>(separator));
    sequence->append(digits(1, 2, 2));
    sequence->append(std::make_unique<Match<char>::End>());
    return sequence;
}

unsigned int captured(Match<char>::Captures& captures, std::uint32_t id) {
    const Match<char>::Capture& capture = captures.singleCapture(id);
    return Text::parseUnsigned(std::string(capture.begin, capture.length));
}

// The weekday of 15 October 1582, a Friday, counted from Monday = 0.
const int referenceIndex = 4;

} // namespace

Date::Date(int year, Month month, unsigned int day) : year_(year) {
    checkMonth(month);
    const unsigned int length = daysInMonth(year, month);
    if (day == 0)
        throw BoundException<unsigned int>(SourceLocation(), 0, 1);
    if (day > length)
        throw BoundException<unsigned int>(SourceLocation(), day, length);
    unsigned int before = 0;
    for (int m = January; m < month; ++m)
        before += daysInMonth(year, Month(m));
    dayOfYear_ = before + day - 1;
}

Date::Date(int year, unsigned int week, WeekDay weekDay) : year_(year) {
    if (week > 53)
        throw BoundException<unsigned int>(SourceLocation(), week, 53);
    checkWeekDay(weekDay);
    const unsigned int firstWeekOfYear = this->week();
    const int firstWeekDay = this->weekDay();
    long long base = 0;
    long long firstWeek = firstWeekOfYear;
    long long offset = 0;
    if (weekDay < firstWeekDay) {
        base = 8 - firstWeekDay;
        firstWeek = firstWeekOfYear + 1;
        offset = weekDay - 1;
    } else {
        offset = weekDay - firstWeekDay;
    }
    const long long days = (static_cast<long long>(week) - firstWeek) * 7 + offset + base;
    // A week before the first week of the year reaches back into the previous year.
    if (days >= 0)
        normalise(static_cast<unsigned long long>(days));
    else
        *this -= static_cast<unsigned int>(-days);
}

Date::Date(const std::string& text) {
    static const std::unique_ptr<Pattern> patterns[2] = {datePattern('-'), datePattern('_')};
    if (text.size() > 0xFFFFFFFFu)
        throw ParseException(SourceLocation(), text, *this);
    for (const std::unique_ptr<Pattern>& pattern : patterns) {
        Match<char> matcher;
        if (!matcher.run(*pattern, text.data(), std::uint32_t(text.size())))
            continue;
        Match<char>::Captures captures(matcher);
        const unsigned int year = captured(captures, 0);
        const unsigned int month = captured(captures, 1);
        const unsigned int day = captured(captures, 2);
        if (month == 0)
            throw BoundException<unsigned int>(SourceLocation(), 0, 1);
        if (month > 12)
            throw BoundException<unsigned int>(SourceLocation(), month, 12);
        const unsigned int length = daysInMonth(int(year), Month(month));
        if (day == 0)
            throw BoundException<unsigned int>(SourceLocation(), 0, 1);
        if (day > length)
            throw BoundException<unsigned int>(SourceLocation(), day, length);
        *this = Date(int(year), Month(month), day);
        return;
    }
    throw ParseException(SourceLocation(), text, *this);
}

Date::Month Date::month() const {
    Month month;
    unsigned int day;
    monthAndDay(month, day);
    return month;
}

unsigned int Date::dayOfMonth() const {
    Month month;
    unsigned int day;
    monthAndDay(month, day);
    return day;
}

void Date::monthAndDay(Month& month, unsigned int& dayOfMonth) const {
    unsigned int rest = dayOfYear_;
    int m = January;
    while (m < December && rest >= daysInMonth(year_, Month(m))) {
        rest -= daysInMonth(year_, Month(m));
        ++m;
    }
    month = Month(m);
    dayOfMonth = rest + 1;
}

Date::WeekDay Date::weekDay() const {
    static const Date reference = [] {
        Date date;
        date.year_ = 1582;
        date.dayOfYear_ = 287;
        return date;
    }();
    const unsigned int d = daysBetween(*this, reference);
    const bool onOrAfter = !(*this < reference);
    const int index = onOrAfter ? int((d % 7 + referenceIndex) % 7) : int(((7 - d % 7) + referenceIndex) % 7);
    return WeekDay(index + 1);
}

unsigned int Date::week() const {
    const int index = int(weekDay()) - 1;
    const int firstDay = (index - int(dayOfYear_ % 7) + 7) % 7;
    const long long week = (static_cast<long long>(dayOfYear_) - index + firstDay) / 7;
    return unsigned(week + (firstDay < 4 ? 1 : 0));
}

bool Date::isLeapYear(int year) {
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

unsigned int Date::daysInYear(int year) {
    return isLeapYear(year) ? 366 : 365;
}

unsigned int Date::daysInMonth(int year, Month month) {
    checkMonth(month);
    if (month == February && isLeapYear(year))
        return 29;
    return monthLengths[month];
}

std::string Date::monthName(Month month) {
    checkMonth(month);
    return monthNames[month];
}

std::string Date::weekDayName(WeekDay weekDay) {
    checkWeekDay(weekDay);
    return weekDayNames[weekDay];
}

void Date::normalise(unsigned long long dayOfYear) {
    long long year = year_;
    while (dayOfYear >= daysInYear(int(year))) {
        long long n = static_cast<long long>(dayOfYear / 366);
        if (n < 1)
            n = 1;
        if (year + n > INT_MAX)
            throw BoundException<long long>(SourceLocation(), year + n, INT_MAX);
        dayOfYear -= static_cast<unsigned long long>(n * 365 + leapYears(year, year + n - 1));
        year += n;
    }
    year_ = int(year);
    dayOfYear_ = unsigned(dayOfYear);
}

Date& Date::operator++() {
    if (dayOfYear_ >= 364)
        normalise(static_cast<unsigned long long>(dayOfYear_) + 1);
    else
        ++dayOfYear_;
    return *this;
}

Date& Date::operator--() {
    return *this -= 1;
}

Date Date::operator+(unsigned int days) const {
    Date result(*this);
    result += days;
    return result;
}

Date Date::operator-(unsigned int days) const {
    Date result(*this);
    result -= days;
    return result;
}

Date& Date::operator+=(unsigned int days) {
    normalise(static_cast<unsigned long long>(dayOfYear_) + days);
    return *this;
}

Date& Date::operator-=(unsigned int days) {
    if (days <= dayOfYear_) {
        dayOfYear_ -= days;
        return *this;
    }
    // Work on copies so that a failure leaves the date unchanged.
    long long year = year_;
    unsigned long long dayOfYear = dayOfYear_;
    unsigned long long n = days;
    for (;;) {
        n -= dayOfYear;
        dayOfYear = 0;
        long long k = static_cast<long long>(n / 366);
        if (k < 1)
            k = 1;
        const long long earlier = year - k;
        if (earlier < 1)
            throwYearsBelowOne();
        dayOfYear = static_cast<unsigned long long>(k * 365 + leapYears(earlier, year - 1));
        year = earlier;
        if (n <= dayOfYear) {
            dayOfYear -= n;
            break;
        }
    }
    year_ = int(year);
    dayOfYear_ = unsigned(dayOfYear);
    return *this;
}

unsigned int Date::daysBetween(const Date& a, const Date& b) {
    const Date& first = b < a ? b : a;
    const Date& second = b < a ? a : b;
    if (first.year_ == second.year_)
        return second.dayOfYear_ - first.dayOfYear_;
    const long long y1 = first.year_;
    const long long y2 = second.year_;
    long long days = static_cast<long long>(daysInYear(first.year_)) - first.dayOfYear_;
    if (y2 - y1 > 1)
        days += 365 * (y2 - y1 - 1) + leapYears(y1 + 1, y2 - 1);
    days += second.dayOfYear_;
    if (days > 0xFFFFFFFFLL)
        throw BoundException<unsigned long long>(SourceLocation(), static_cast<unsigned long long>(days), 0xFFFFFFFFull);
    return unsigned(days);
}

bool Date::operator<(const Date& other) const {
    if (year_ != other.year_)
        return year_ < other.year_;
    return dayOfYear_ < other.dayOfYear_;
}

std::string Date::format(char separator) const {
    Month m;
    unsigned int day;
    monthAndDay(m, day);
    char text[40];
    std::snprintf(text, sizeof text, "%d%c%02u%c%02u", year_, separator, unsigned(m), separator, day);
    return text;
}

std::string Date::toString() const {
    return format('-');
}

std::string Date::toFileNameString() const {
    return format('_');
}

void Date::serialize(Serialization& serialization) {
    int year = year_;
    unsigned int dayOfYear = dayOfYear_;
    serialization.serialize(year).serialize(dayOfYear);
    if (serialization.reading()) {
        if (dayOfYear >= daysInYear(year))
            throw BoundException<unsigned int>(SourceLocation(), dayOfYear, daysInYear(year) - 1);
        year_ = year;
        dayOfYear_ = dayOfYear;
    }
}

} // namespace TAVO
