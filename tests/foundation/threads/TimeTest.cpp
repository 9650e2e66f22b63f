#include <gtest/gtest.h>

#include <algorithm>
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
#include "foundation/text/ConversionException.h"
#include "foundation/text/Match.h"
#include "foundation/threads/PerformanceCounter.h"
#include "foundation/threads/Sign.h"
#include "foundation/threads/Time.h"
#include "support/Command.h"

using namespace TAVO;

namespace {

Time at(int year, int month, unsigned int day, unsigned int milliseconds) {
    return Time(Date(year, Date::Month(month), day), Duration(milliseconds));
}

unsigned int ms(const std::string& text) {
    return Duration(text).count();
}

} // namespace

TEST(DurationText, PrintsClockForm) {
    EXPECT_EQ(Duration(3723004).toString(), "01:02:03.004");
    EXPECT_EQ(Duration(90000000).toString(), "25:00:00.000");
    EXPECT_EQ(Duration(0).toString(), "00:00:00.000");
    EXPECT_EQ(Duration(360000000).toString(), "100:00:00.000");
    EXPECT_EQ(Duration(3723004).toFileNameString(), "01_02_03_004");
    unsigned int h, m, s, f;
    Duration(90061001).parts(h, m, s, f);
    EXPECT_EQ(h, 25u);
    EXPECT_EQ(m, 1u);
    EXPECT_EQ(s, 1u);
    EXPECT_EQ(f, 1u);
}

TEST(DurationText, ParsesClockForms) {
    EXPECT_EQ(ms("5"), 5u * 3600000);
    EXPECT_EQ(ms("5:07"), 5u * 3600000 + 7 * 60000);
    EXPECT_EQ(ms("5:07:09"), 5u * 3600000 + 7 * 60000 + 9000);
    EXPECT_EQ(ms("05:07:09.250"), 5u * 3600000 + 7 * 60000 + 9250);
    EXPECT_EQ(ms("01_02_03_004"), 3723004u);
    EXPECT_EQ(ms("01:02:03.004 and more"), 3723004u);
    EXPECT_THROW(Duration("5:07:09.2"), ParseException);
    EXPECT_THROW(Duration("100:00:00.000"), ParseException);
    EXPECT_THROW(Duration(""), ParseException);
    EXPECT_THROW(Duration("5x"), ParseException);
}

TEST(DurationText, ParsesUnitForms) {
    EXPECT_EQ(ms("1h 30M"), 5400000u);
    EXPECT_EQ(ms("2h30M"), 9000000u);
    EXPECT_EQ(ms("90s"), 90000u);
    EXPECT_EQ(ms("250m"), 250u);
    EXPECT_EQ(ms("1h 2M 3s 4m"), 3723004u);
    EXPECT_THROW(Duration("1h 2h"), Match<char>::UnexpectedNumberOfMatches);
    EXPECT_THROW(Duration("h"), Text::ConversionException);
    EXPECT_THROW(Duration("1h 2M 3s 4m 5m"), ParseException);
}

TEST(DurationText, TotalBeyond32BitsThrowsInsteadOfWrapping) {
    EXPECT_EQ(ms("4294967295m"), 4294967295u);
    try {
        Duration("1193h 2M 47s 296m");   // one millisecond too many
        FAIL();
    } catch (const BoundException<unsigned long long>& e) {
        EXPECT_EQ(e.value(), 4294967296ull);
    }
    EXPECT_THROW(Duration("4294967295h"), BoundException<unsigned long long>);
    EXPECT_THROW(Duration("99999999999m"), Text::ConversionException);
}

TEST(TimeArithmetic, CarriesOverMidnight) {
    EXPECT_EQ(at(2024, 12, 31, 86399999) + Duration(1), at(2025, 1, 1, 0));
    EXPECT_EQ(at(2025, 1, 1, 0) - Duration(1), at(2024, 12, 31, 86399999));
    EXPECT_EQ(at(2024, 2, 28, 1000) + Duration(2 * 86400000u), at(2024, 3, 1, 1000));
    EXPECT_EQ(at(2024, 3, 1, 1000) - Duration(2 * 86400000u + 1001), at(2024, 2, 27, 86399999));
    EXPECT_THROW(at(1, 1, 1, 5) - Duration(6), SupportException);
}

TEST(TimeArithmetic, DifferenceIsSymmetric) {
    const Time a = at(2025, 1, 1, 23 * 3600000u);
    const Time b = at(2025, 1, 2, 3600000u + 500);
    EXPECT_EQ(Time::difference(a, b).count(), 7200500u);
    EXPECT_EQ(Time::difference(b, a).count(), 7200500u);
    EXPECT_EQ(Time::difference(a, a).count(), 0u);
}

TEST(TimeText, PrintsAndParsesBothForms) {
    const Time t = at(2025, 1, 20, 9 * 3600000u + 5 * 60000 + 3120);
    EXPECT_EQ(t.toString(), "2025-01-20 09:05:03.120");
    EXPECT_EQ(t.toFileNameString(), "2025_01_20_09_05_03_120");
    EXPECT_EQ(Time(t.toString()), t);
    EXPECT_EQ(Time(t.toFileNameString()), t);
    try {
        Time("20250120");
        FAIL();
    } catch (const ParseException& e) {
        EXPECT_EQ(e.target(), "TAVO::Time");
    }
    // The clock form does not limit the hours, but a time of day stays within the day.
    EXPECT_THROW(Time("2025-01-20 24:00"), ParseException);
}

TEST(TimeNow, LocalAndUniversalAreValidAndClose) {
    const Time local = Time::now(false);
    const Time utc = Time::now(true);
    EXPECT_LT(local.timeOfDay().count(), 86400000u);
    EXPECT_LE(Time::difference(local, utc).count(), 15u * 3600000);
    EXPECT_NO_THROW(Time(local.toString()));
}

TEST(TimeOracle, AgreesWithPythonDatetime) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> years(1601, 2400);
    std::uniform_int_distribution<unsigned int> day(0, 364);
    std::uniform_int_distribution<unsigned int> clock(0, 86399999);
    std::uniform_int_distribution<unsigned int> span(0, 48u * 86400000);
    struct Case {
        Time t;
        unsigned int d;
    };
    std::vector<Case> cases;
    std::ostringstream program;
    program << "import datetime\ncases=[";
    for (int i = 0; i < 1000; ++i) {
        const Time t(Date(years(random), Date::January, 1) + day(random), Duration(clock(random)));
        const unsigned int d = i % 2 ? span(random) : unsigned(random());
        cases.push_back({t, d});
        program << "('" << t.toString() << "'," << d << "),";
    }
    program << "]\n"
               "def fmt(t): return t.strftime('%Y-%m-%d_%H:%M:%S.') + '%03d' % (t.microsecond // 1000)\n"
               "for text, d in cases:\n"
               "  t = datetime.datetime.strptime(text, '%Y-%m-%d %H:%M:%S.%f')\n"
               "  delta = datetime.timedelta(milliseconds=d)\n"
               "  print(fmt(t + delta), fmt(t - delta))\n";
    const KestruneTest::Command::Result result = KestruneTest::Command::python(program.str());
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::istringstream lines(result.output);
    for (const Case& c : cases) {
        std::string plus, minus;
        ASSERT_TRUE(lines >> plus >> minus);
        std::replace(plus.begin(), plus.end(), '_', ' ');
        std::replace(minus.begin(), minus.end(), '_', ' ');
        EXPECT_EQ((c.t + Duration(c.d)).toString(), plus);
        EXPECT_EQ((c.t - Duration(c.d)).toString(), minus);
        if (c.d < 48u * 86400000) {
            EXPECT_EQ(Time::difference(c.t, c.t + Duration(c.d)).count(), c.d);
            EXPECT_EQ(Time::difference(c.t - Duration(c.d), c.t).count(), c.d);
        }
    }
}

TEST(TimeSerialization, RoundTripsAndRejectsAHostileTimeOfDay) {
    Time original = at(2025, 1, 20, 12345678);
    IncrementalBuffer buffer;
    BufferStream out(buffer);
    Serialization::serialize(original, out);
    ASSERT_EQ(buffer.size(), 12u);
    ConstBufferStream in(buffer);
    Time back;
    Serialization::deserialize(in, back);
    EXPECT_EQ(back, original);

    const unsigned char hostile[12] = {0xE9, 0x07, 0, 0, 0, 0, 0, 0, 0x00, 0x5C, 0x26, 0x05};   // 86,400,000 ms
    IncrementalBuffer bad;
    bad.assign(hostile, sizeof hostile);
    ConstBufferStream badIn(bad);
    EXPECT_THROW(Serialization::deserialize(badIn, back), BoundException<unsigned int>);
    const unsigned char truncated[5] = {0xE9, 0x07, 0, 0, 0};
    IncrementalBuffer shortBuffer;
    shortBuffer.assign(truncated, sizeof truncated);
    ConstBufferStream shortIn(shortBuffer);
    EXPECT_ANY_THROW(Serialization::deserialize(shortIn, back));
    EXPECT_EQ(back, original);
}

TEST(PerformanceCounterConversion, ElapsedAndTicksAreExactAndSafe) {
    const PerformanceCounter a(1000000000LL);
    const PerformanceCounter b(3500000000LL);
    EXPECT_EQ(PerformanceCounter::elapsed(a, b).count(), 2500u);
    EXPECT_EQ(PerformanceCounter::elapsed(b, a).count(), 2500u);
    EXPECT_EQ(PerformanceCounter::toTicks(Duration(2500)), 2500000000LL);
    EXPECT_EQ(PerformanceCounter::toTicks(Duration(4294967295u)), 4294967295000000LL);
    // Distances beyond 49 days give the largest Duration instead of a wrapped small one.
    const PerformanceCounter early(-4000000000000000000LL);
    const PerformanceCounter late(4000000000000000000LL);
    EXPECT_EQ(PerformanceCounter::elapsed(early, late).count(), 4294967295u);
    PerformanceCounter moved = a;
    moved.advance(Duration(1500));
    EXPECT_EQ(moved, PerformanceCounter(2500000000LL));
    EXPECT_EQ((moved - Duration(1500)), a);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b > a);
    EXPECT_EQ(Sign(a, b).value(), 1);
    EXPECT_EQ(Sign(b, a).value(), -1);
    EXPECT_EQ(Sign(a, a).value(), 0);
}

TEST(PerformanceCounterConversion, RemainingCountsFromTheStamp) {
    const PerformanceCounter now = PerformanceCounter::now();
    EXPECT_EQ(PerformanceCounter::remaining(now - Duration(10000), Duration(5000)).count(), 0u);
    const unsigned int left = PerformanceCounter::remaining(now - Duration(1000), Duration(60000)).count();
    EXPECT_LE(left, 59000u);
    EXPECT_GT(left, 50000u);
    // A stamp ahead of the present adds the time until it.
    const unsigned int ahead = PerformanceCounter::remaining(now + Duration(60000), Duration(1000)).count();
    EXPECT_GT(ahead, 55000u);
    EXPECT_LE(ahead, 61000u);
}
