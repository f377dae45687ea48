#include "text/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tavrel;

TEST(DateTime, EpochAndKnownDates) {
    EXPECT_EQ(EncodeDateTime({1899, 12, 30}).value(), 0.0);
    EXPECT_EQ(EncodeDateTime({1900, 1, 1}).value(), 2.0);
    EXPECT_EQ(EncodeDateTime({2000, 1, 1}).value(), 36526.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({2003, 4, 5, 6, 7, 8}).value(),
                     37716.0 + (6 * 3600 + 7 * 60 + 8) / 86400.0);
    // Before the epoch the fraction counts forward from midnight: 1899-12-29 06:00 is -1.25.
    EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 29, 6}).value(), -1.25);
    EXPECT_EQ(DecodeDateTime(-1.25), (CalendarTime{1899, 12, 29, 6, 0, 0, 0}));
}

TEST(DateTime, RefusesDatesThatDoNotExist) {
    EXPECT_FALSE(EncodeDateTime({2023, 2, 29}).has_value());
    EXPECT_TRUE(EncodeDateTime({2024, 2, 29}).has_value());
    EXPECT_FALSE(EncodeDateTime({2000, 13, 1}).has_value());
    EXPECT_FALSE(EncodeDateTime({2000, 4, 31}).has_value());
    EXPECT_FALSE(EncodeDateTime({2000, 1, 1, 24}).has_value());
    EXPECT_FALSE(ParseFileDateTime("2003/02/30 00:00:00").has_value());
}

TEST(DateTime, RoundTripsThroughCalendarAndFileText) {
    for (const CalendarTime t :
         {CalendarTime{2003, 4, 5, 6, 7, 8}, CalendarTime{1999, 12, 31, 23, 59, 59},
          CalendarTime{2024, 2, 29, 0, 0, 0}, CalendarTime{2100, 3, 1, 12, 30, 1}}) {
        const double dt = EncodeDateTime(t).value();
        EXPECT_EQ(DecodeDateTime(dt), t);
        const std::string text = FormatFileDateTime(dt);
        EXPECT_EQ(FormatFileDateTime(ParseFileDateTime(text).value()), text);
    }
    EXPECT_EQ(FormatFileDateTime(EncodeDateTime({2003, 4, 5, 6, 7, 8, 999}).value()),
              "2003/04/05 06:07:08");
}

TEST(DateTime, CalendarEdgesRoundTripAndYearsBeyondItAreRefused) {
    for (const CalendarTime t :
         {CalendarTime{1, 1, 1, 0, 0, 0}, CalendarTime{1600, 2, 29, 1, 2, 3},
          CalendarTime{1899, 12, 31, 23, 59, 59}, CalendarTime{9999, 12, 31, 23, 59, 59}})
        EXPECT_EQ(DecodeDateTime(EncodeDateTime(t).value()), t);
    EXPECT_EQ(EncodeDateTime({1, 1, 1}).value(), -693593.0);
    EXPECT_FALSE(EncodeDateTime({1900, 2, 29}).has_value());
    EXPECT_FALSE(EncodeDateTime({40000, 1, 1}).has_value());
    EXPECT_FALSE(ParseFileDateTime("99999/01/01").has_value());
}

TEST(DateTime, ParsesTheFileFormLeniently) {
    EXPECT_EQ(ParseFileDateTime("2003/4/5 6:7:8").value(),
              EncodeDateTime({2003, 4, 5, 6, 7, 8}).value());
    EXPECT_EQ(ParseFileDateTime("2003/04/05").value(), EncodeDateTime({2003, 4, 5}).value());
    EXPECT_EQ(ParseFileDateTime("2003/04/05 10:20").value(),
              EncodeDateTime({2003, 4, 5, 10, 20}).value());
    EXPECT_FALSE(ParseFileDateTime("").has_value());
    EXPECT_FALSE(ParseFileDateTime("2003-04-05 10:20:30").has_value());
    EXPECT_FALSE(ParseFileDateTime("2003/04/05 10").has_value());
    EXPECT_FALSE(ParseFileDateTime("2003/04/05 10:20:30 x").has_value());
}

TEST(DateTime, CountdownShowsHoursWithinTheDay) {
    EXPECT_EQ(FormatCountdown((3600 + 2 * 60 + 3) / 86400.0), "01:02:03");
    EXPECT_EQ(FormatCountdown(1.0 + 5.0 / 86400), "00:00:05"); // 24 h and more
    EXPECT_EQ(FormatCountdown(0), "00:00:00");
}

TEST(DateTime, NowIsToday) {
    const double now = NowDateTime();
    EXPECT_GT(now, EncodeDateTime({2020, 1, 1}).value());
    EXPECT_LT(now, EncodeDateTime({2200, 1, 1}).value());
}

TEST(DateTime, AnyDoubleDecodesAndFormatsSafely) {
    const double extremes[] = {1e300,
                               -1e300,
                               -1e19,
                               9.2e18,
                               -9.2e18,
                               2958466.0,
                               -693594.0,
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::lowest(),
                               std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()};
    for (const double d : extremes) {
        EXPECT_FALSE(IsShowableDateTime(d) && std::fabs(d) > 1e7) << d;
        const std::string text = FormatFileDateTime(d);
        EXPECT_EQ(text.size(), 19u) << d << " " << text;
    }
    EXPECT_EQ(FormatFileDateTime(1e300), "1899/12/30 00:00:00");
    EXPECT_EQ(FormatFileDateTime(std::numeric_limits<double>::quiet_NaN()), "1899/12/30 00:00:00");
}

TEST(DateTime, ShowableRangeIsYearOneToYear9999) {
    EXPECT_TRUE(IsShowableDateTime(0));
    EXPECT_TRUE(IsShowableDateTime(EncodeDateTime({1, 1, 1}).value()));
    EXPECT_TRUE(IsShowableDateTime(EncodeDateTime({1, 1, 1, 23, 59, 59, 999}).value()));
    EXPECT_TRUE(IsShowableDateTime(EncodeDateTime({9999, 12, 31, 23, 59, 59, 999}).value()));
    EXPECT_FALSE(IsShowableDateTime(EncodeDateTime({10000, 1, 1}).value()));
    EXPECT_FALSE(IsShowableDateTime(-693594.0));
    EXPECT_FALSE(IsShowableDateTime(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(FormatFileDateTime(EncodeDateTime({9999, 12, 31, 23, 59, 59}).value()),
              "9999/12/31 23:59:59");
    EXPECT_EQ(FormatFileDateTime(EncodeDateTime({1, 1, 1, 12}).value()), "0001/01/01 12:00:00");
}
