#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/ParseException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/threads/Date.h"
#include "support/Command.h"

using namespace TAVO;

namespace {

Date date(int year, int month, unsigned int day) {
    return Date(year, Date::Month(month), day);
}

} // namespace

TEST(DateCalendar, LeapYearsFollowTheGregorianRule) {
    EXPECT_TRUE(Date::isLeapYear(2024));
    EXPECT_TRUE(Date::isLeapYear(2000));
    EXPECT_FALSE(Date::isLeapYear(1900));
    EXPECT_FALSE(Date::isLeapYear(2023));
    EXPECT_EQ(Date::daysInYear(2000), 366u);
    EXPECT_EQ(Date::daysInMonth(2024, Date::February), 29u);
    EXPECT_EQ(Date::daysInMonth(2023, Date::February), 28u);
}

TEST(DateCalendar, DayOfMonthIsChecked) {
    EXPECT_EQ(date(2024, 2, 29).toString(), "2024-02-29");
    try {
        date(2023, 2, 29);
        FAIL();
    } catch (const BoundException<unsigned int>& e) {
        EXPECT_EQ(e.value(), 29u);
        EXPECT_EQ(e.bound(), 28u);
    }
    EXPECT_THROW(date(2023, 1, 0), BoundException<unsigned int>);
}

TEST(DateCalendar, MonthOutsideTheYearThrowsInsteadOfReadingPastTheTable) {
    try {
        date(2024, 13, 1);
        FAIL();
    } catch (const BoundException<Date::Month>& e) {
        EXPECT_EQ(e.value(), 13);
        EXPECT_EQ(e.bound(), Date::December);
    }
    EXPECT_THROW(date(2024, 0, 1), BoundException<Date::Month>);
    EXPECT_THROW(Date::monthName(Date::Month(0)), BoundException<Date::Month>);
    EXPECT_THROW(Date::weekDayName(Date::WeekDay(8)), BoundException<Date::WeekDay>);
    EXPECT_EQ(Date::monthName(Date::March), "March");
    EXPECT_EQ(Date::weekDayName(Date::Sunday), "Sunday");
}

TEST(DateText, PrintsYearWithoutPadding) {
    EXPECT_EQ(date(5, 1, 2).toString(), "5-01-02");
    EXPECT_EQ(date(987, 3, 4).toString(), "987-03-04");
    EXPECT_EQ(date(2025, 1, 5).toFileNameString(), "2025_01_05");
}

TEST(DateText, ParsesBothSeparators) {
    EXPECT_EQ(Date("2025-1-5"), date(2025, 1, 5));
    EXPECT_EQ(Date("2025_01_05"), date(2025, 1, 5));
    EXPECT_THROW(Date("2025-01-05 "), ParseException);
    EXPECT_THROW(Date("2025-01_05"), ParseException);
    EXPECT_THROW(Date("12025-01-05"), ParseException);
    EXPECT_THROW(Date(""), ParseException);
    try {
        Date("x");
        FAIL();
    } catch (const ParseException& e) {
        EXPECT_EQ(e.target(), "TAVO::Date");
    }
}

TEST(DateText, ChecksFieldsInOrder) {
    auto bounds = [](const std::string& text) {
        try {
            Date d(text);
        } catch (const BoundException<unsigned int>& e) {
            return std::to_string(e.value()) + "/" + std::to_string(e.bound());
        }
        return std::string("none");
    };
    EXPECT_EQ(bounds("2025-00-00"), "0/1");
    EXPECT_EQ(bounds("2025-13-40"), "13/12");
    EXPECT_EQ(bounds("2025-02-00"), "0/1");
    EXPECT_EQ(bounds("2023-02-29"), "29/28");
    EXPECT_EQ(bounds("2024-02-29"), "none");
}

TEST(DateArithmetic, AddsAcrossYearEnds) {
    EXPECT_EQ(date(2024, 1, 1) + 365, date(2024, 12, 31));
    EXPECT_EQ(date(2024, 1, 1) + 366, date(2025, 1, 1));
    Date d = date(2023, 12, 31);
    ++d;
    EXPECT_EQ(d, date(2024, 1, 1));
    --d;
    EXPECT_EQ(d, date(2023, 12, 31));
    // Far jumps keep the day of the year inside the year.
    const Date far = date(1, 1, 1) + 4000000000u;
    EXPECT_LT(far.dayOfYear(), Date::daysInYear(far.year()));
    EXPECT_EQ(far - 4000000000u, date(1, 1, 1));
}

TEST(DateArithmetic, GoingBelowYearOneThrowsAndLeavesTheDate) {
    Date d = date(1, 1, 1);
    try {
        --d;
        FAIL();
    } catch (const SupportException& e) {
        EXPECT_EQ(e.message(), "No support for years<1. ");
    }
    EXPECT_EQ(d, date(1, 1, 1));
    EXPECT_THROW(date(2, 3, 1) - 500, SupportException);
}

TEST(DateWeeks, KnownDays) {
    EXPECT_EQ(date(1582, 10, 15).weekDay(), Date::Friday);
    EXPECT_EQ(date(2024, 1, 1).weekDay(), Date::Monday);
    EXPECT_EQ(date(2024, 1, 1).week(), 1u);
    EXPECT_EQ(date(2021, 1, 1).week(), 0u);   // a Friday: before the first week
    EXPECT_EQ(Date(2024, 1u, Date::Monday), date(2024, 1, 1));
    EXPECT_EQ(Date(2021, 1u, Date::Monday), date(2021, 1, 4));
    EXPECT_EQ(Date(2021, 0u, Date::Sunday), date(2021, 1, 3));
    EXPECT_THROW(Date(2021, 54u, Date::Monday), BoundException<unsigned int>);
    EXPECT_THROW(Date(2021, 3u, Date::WeekDay(0)), BoundException<Date::WeekDay>);
}

TEST(DateWeeks, WeekBeforeTheFirstReachesIntoThePreviousYear) {
    // 1 January 2024 is a Monday in week 1, so week 0 lies in 2023.
    EXPECT_EQ(Date(2024, 0u, Date::Sunday), date(2023, 12, 31));
    EXPECT_EQ(Date(2024, 0u, Date::Monday), date(2023, 12, 25));
}

TEST(DateWeeks, WeekAndWeekDayRoundTrip) {
    for (Date d = date(2019, 1, 1); d < date(2027, 1, 1); ++d)
        ASSERT_EQ(Date(d.year(), d.week(), d.weekDay()), d) << d.toString();
}

TEST(DateOracle, AgreesWithPythonDatetime) {
    std::mt19937 random(20250120);
    std::uniform_int_distribution<int> years(1, 9000);
    std::uniform_int_distribution<unsigned int> days(0, 300000);
    struct Case {
        Date a;
        Date b;
        unsigned int n;
    };
    std::vector<Case> cases;
    std::ostringstream program;
    program << "import datetime\nD=datetime.date\ncases=[";
    for (int i = 0; i < 2000; ++i) {
        const int year = years(random);
        const Date a = date(year, 1, 1) + days(random) % Date::daysInYear(year);
        const Date b = date(years(random), 1, 1) + days(random) % 365;
        const unsigned int n = days(random);
        cases.push_back({a, b, n});
        program << "(" << a.year() << "," << a.dayOfYear() << "," << b.year() << "," << b.dayOfYear() << "," << n
                << "),";
    }
    program << "]\n"
               "def fmt(d): return '%d-%02d-%02d' % (d.year, d.month, d.day)\n"
               "def week(d):\n"
               "  y, w, _ = d.isocalendar()\n"
               "  if y == d.year: return w\n"
               "  if y < d.year: return 0\n"
               "  return week(d - datetime.timedelta(days=7)) + 1\n"
               "for ya, da, yb, db, n in cases:\n"
               "  a = D(ya,1,1) + datetime.timedelta(days=da)\n"
               "  b = D(yb,1,1) + datetime.timedelta(days=db)\n"
               "  t = datetime.timedelta(days=n)\n"
               "  plus = fmt(a + t) if a.toordinal() + n <= D(9999,12,31).toordinal() else '-'\n"
               "  minus = fmt(a - t) if a.toordinal() - n >= 1 else '-'\n"
               "  print(fmt(a), plus, minus, abs((a - b).days), a.isoweekday(), week(a))\n";
    const KestruneTest::Command::Result result = KestruneTest::Command::python(program.str());
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::istringstream lines(result.output);
    for (const Case& c : cases) {
        std::string text, plus, minus;
        unsigned int between = 0, weekDay = 0, week = 0;
        ASSERT_TRUE(lines >> text >> plus >> minus >> between >> weekDay >> week);
        EXPECT_EQ(c.a.toString(), text);
        EXPECT_EQ(Date(text), c.a);
        if (plus != "-") {
            EXPECT_EQ((c.a + c.n).toString(), plus) << text << " + " << c.n;
        }
        if (minus != "-")
            EXPECT_EQ((c.a - c.n).toString(), minus) << text << " - " << c.n;
        else
            EXPECT_THROW(c.a - c.n, SupportException) << text << " - " << c.n;
        EXPECT_EQ(Date::daysBetween(c.a, c.b), between);
        EXPECT_EQ(Date::daysBetween(c.b, c.a), between);
        EXPECT_EQ(unsigned(c.a.weekDay()), weekDay) << text;
        EXPECT_EQ(c.a.week(), week) << text;
    }
}

TEST(DateSerialization, RoundTripsAndRejectsADayBeyondTheYear) {
    Date original = date(2024, 12, 31);
    IncrementalBuffer buffer;
    BufferStream out(buffer);
    Serialization::serialize(original, out);
    ASSERT_EQ(buffer.size(), 8u);
    ConstBufferStream in(buffer);
    Date back;
    Serialization::deserialize(in, back);
    EXPECT_EQ(back, original);

    const unsigned char hostile[8] = {0xE9, 0x07, 0, 0, 0x6D, 0x01, 0, 0};   // 2025, day 365
    IncrementalBuffer bad;
    bad.assign(hostile, sizeof hostile);
    ConstBufferStream badIn(bad);
    Date target;
    EXPECT_THROW(Serialization::deserialize(badIn, target), BoundException<unsigned int>);
    EXPECT_EQ(target, Date());
}
