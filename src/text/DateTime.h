#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// Date-times are doubles counting days since 1899-12-30 00:00 local time; the fraction is the
// time of day. Texts always use "/" and ":" and year/month/day, whatever the locale.

struct CalendarTime {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
    friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

// The system's local time now.
double NowDateTime();

// The date-times a date text can show: 0001/01/01 00:00 up to 9999/12/31 23:59:59.999.
// Anything else (NaN and infinities included) is no start time a file can carry.
inline constexpr double MinShowableDateTime = -693593.0;
inline constexpr double MaxShowableDateTime = 2958466.0; // exclusive: 10000/01/01
bool IsShowableDateTime(double dateTime);

// nullopt for a date that does not exist (month 13, 31 April, 29 February of a common year...).
std::optional<double> EncodeDateTime(const CalendarTime& t);
// A date-time that is not showable decodes as the epoch (1899/12/30 00:00).
CalendarTime DecodeDateTime(double dateTime);

// "yyyy/mm/dd hh:nn:ss", the fraction of a second dropped.
std::string FormatFileDateTime(double dateTime);

// ISO 8601 with the offset the local zone had then ("2024-02-29T13:14:15+09:00", with
// ".mmm" when there are milliseconds): the files store local time without a zone. Without
// the offset when the system cannot say it; empty when the year has no four-digit form.
std::string FormatIsoDateTime(double dateTime);

// The instant a local date-time names, in seconds since 1970-01-01 00:00 UTC (the offset the
// zone had then; an hour a clock change skips counts as the offset before it); nullopt when
// not showable.
std::optional<double> EpochSecondsOf(double dateTime);
// The local date-time of an instant in seconds since the epoch.
double DateTimeOfEpochSeconds(double seconds);
// An instant as ISO 8601 in the local zone with the offset in force at that instant
// ("2024-03-31T03:30:00+02:00", ".mmm" when there are milliseconds); empty when not showable.
std::string FormatIsoEpochSeconds(double seconds);

// "hh:mm:ss" of a span of days: the hours within the day only, as a clock shows them.
std::string FormatCountdown(double days);

// Reads the file form back ("yyyy/m/d h:n:s", the time part optional, seconds optional).
std::optional<double> ParseFileDateTime(std::string_view text);

} // namespace tavrel
