#include "platform/core/DateTime.h"

#include "platform/core/Clock.h"
#include "platform/core/Exception.h"

#include <gtest/gtest.h>

namespace {

struct Ymd {
    Word y, m, d;
};

Ymd Decode(TDateTime dt) {
    Ymd r{};
    DecodeDate(dt, r.y, r.m, r.d);
    return r;
}

TEST(DateTimeTest, EncodeDecodeDates) {
    struct Case {
        Word y, m, d;
        double serial;
    } cases[] = {
        {1899, 12, 30, 0}, {1899, 12, 31, 1},  {1900, 1, 1, 2},     {1899, 12, 29, -1},
        {2000, 1, 1, 36526}, {2024, 2, 29, 45351}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
        const Ymd back = Decode(c.serial);
        EXPECT_EQ(back.y, c.y);
        EXPECT_EQ(back.m, c.m);
        EXPECT_EQ(back.d, c.d);
    }
}

TEST(DateTimeTest, InvalidPartsRaise) {
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    try {
        EncodeDate(2023, 2, 29);
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "Invalid argument to date encode");
    }
    TDateTime d = 5;
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, d));  // 1900 is not a leap year
    EXPECT_DOUBLE_EQ(d, 5);
}

TEST(DateTimeTest, NegativeDatesKeepTimeOfDayAsMagnitude) {
    // -1.25: one day before 30 December 1899, at 06:00.
    const Ymd d = Decode(-1.25);
    EXPECT_EQ(d.y, 1899);
    EXPECT_EQ(d.m, 12);
    EXPECT_EQ(d.d, 29);
    Word h, n, s, ms;
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(h, 6);
    EXPECT_DOUBLE_EQ(ComposeDateTime(-1, 0.25), -1.25);
    EXPECT_DOUBLE_EQ(ComposeDateTime(2, 0.25), 2.25);
    EXPECT_DOUBLE_EQ(TimeOf(-1.25), 0.25);
    EXPECT_DOUBLE_EQ(DateOf(-1.25), -1);
}

TEST(DateTimeTest, DecodeTimeRoundsToMillisecondsAcrossMidnight) {
    const TDateTime t = EncodeTime(13, 45, 30, 250);
    Word h, n, s, ms;
    DecodeTime(100 + t, h, n, s, ms);
    EXPECT_EQ(h, 13);
    EXPECT_EQ(n, 45);
    EXPECT_EQ(s, 30);
    EXPECT_EQ(ms, 250);
    // 0.4 ms before midnight belongs to the next day at 00:00:00.000.
    const TDateTime almost = 100 + (86400000.0 - 0.4) / 86400000.0;
    DecodeTime(almost, h, n, s, ms);
    EXPECT_EQ(h + n + s + ms, 0);
    EXPECT_EQ(Decode(almost).d, Decode(101).d);
}

TEST(DateTimeTest, CalendarHelpers) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_EQ(DaysInAMonth(2024, 2), 29);
    EXPECT_EQ(DaysInAMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(EncodeDate(2024, 4, 10)), 30);
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5)), 3);  // Tuesday
    EXPECT_EQ(DayOfWeek(0), 7);                       // 30 December 1899, Saturday
    EXPECT_EQ(DayOfWeek(-1), 6);

    const TDateTime jan31 = EncodeDate(2024, 1, 31) + EncodeTime(8, 0, 0, 0);
    EXPECT_DOUBLE_EQ(IncMonth(jan31, 1), EncodeDate(2024, 2, 29) + EncodeTime(8, 0, 0, 0));
    EXPECT_DOUBLE_EQ(IncMonth(jan31, -2), EncodeDate(2023, 11, 30) + EncodeTime(8, 0, 0, 0));
    EXPECT_DOUBLE_EQ(IncMonth(jan31, 12), EncodeDate(2025, 1, 31) + EncodeTime(8, 0, 0, 0));
}

TEST(DateTimeTest, NowReadsTheProcessClock) {
    const TDateTime when = EncodeDate(2024, 3, 5) + EncodeTime(10, 30, 15, 500);
    ManualClock clock(0, LocalDateTimeToTimePoint(when));
    struct Restore {
        ~Restore() { SetCurrentClock(nullptr); }
    } restore;
    SetCurrentClock(&clock);
    EXPECT_NEAR(Now(), when, 1e-9);
    EXPECT_DOUBLE_EQ(Date(), EncodeDate(2024, 3, 5));
    EXPECT_NEAR(Time(), EncodeTime(10, 30, 15, 500), 1e-9);
    clock.Advance(60 * 60 * 1000);
    EXPECT_NEAR(Now(), when + 1.0 / 24, 1e-9);
}

}  // namespace
