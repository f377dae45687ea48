#include "text/DateTime.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace tavrel {
namespace {

constexpr double MsPerDay = 86400000.0;

using std::chrono::day;
using std::chrono::days;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

constexpr sys_days Epoch{year{1899} / 12 / 30};

// A date of the proleptic Gregorian calendar; nullopt when it does not exist.
std::optional<year_month_day> CalendarDate(const CalendarTime& t) {
    if (t.Year < static_cast<int>(year::min()) || t.Year > static_cast<int>(year::max()) ||
        t.Month < 1 || t.Day < 1)
        return std::nullopt;
    const year_month_day date{year{t.Year}, month{static_cast<unsigned>(t.Month)},
                              day{static_cast<unsigned>(t.Day)}};
    if (!date.ok())
        return std::nullopt;
    return date;
}

// Splits a time of day in milliseconds (0..86399999).
void SplitTime(long long ms, CalendarTime& t) {
    t.Hour = static_cast<int>(ms / 3600000);
    t.Minute = static_cast<int>(ms / 60000 % 60);
    t.Second = static_cast<int>(ms / 1000 % 60);
    t.Millisecond = static_cast<int>(ms % 1000);
}

// The local time of a calendar time, for mktime (which finds whether summer time applies).
std::tm LocalTm(const CalendarTime& t) {
    std::tm local{};
    local.tm_year = t.Year - 1900;
    local.tm_mon = t.Month - 1;
    local.tm_mday = t.Day;
    local.tm_hour = t.Hour;
    local.tm_min = t.Minute;
    local.tm_sec = t.Second;
    local.tm_isdst = -1;
    return local;
}

// ISO 8601 of a local time, with ".mmm" when there are milliseconds and the UTC offset when
// one is known (in seconds east).
std::string IsoText(const CalendarTime& t, std::optional<long> offsetSeconds) {
    char text[48];
    int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.Year, t.Month,
                               t.Day, t.Hour, t.Minute, t.Second);
    if (t.Millisecond != 0)
        length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                                ".%03d", t.Millisecond);
    if (offsetSeconds) {
        const long offset = *offsetSeconds / 60;
        const long magnitude = offset < 0 ? -offset : offset;
        length +=
            std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                          "%c%02ld:%02ld", offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    }
    return std::string(text, static_cast<std::size_t>(length));
}

} // namespace

bool IsShowableDateTime(double dateTime) {
    // Before the epoch the fraction counts forward: -693593.5 is 0001/01/01 12:00.
    return dateTime > MinShowableDateTime - 1 && dateTime < MaxShowableDateTime;
}

double NowDateTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    CalendarTime t{local.tm_year + 1900,
                   local.tm_mon + 1,
                   local.tm_mday,
                   local.tm_hour,
                   local.tm_min,
                   local.tm_sec,
                   static_cast<int>(ms < 0 ? 0 : ms)};
    if (t.Second > 59) // a leap second
        t.Second = 59;
    return *EncodeDateTime(t);
}

std::optional<double> EncodeDateTime(const CalendarTime& t) {
    const auto date = CalendarDate(t);
    if (!date || t.Hour < 0 || t.Hour > 23 || t.Minute < 0 || t.Minute > 59 || t.Second < 0 ||
        t.Second > 59 || t.Millisecond < 0 || t.Millisecond > 999)
        return std::nullopt;
    const long long dayCount = (sys_days{*date} - Epoch).count();
    const long long ms = ((t.Hour * 60LL + t.Minute) * 60 + t.Second) * 1000 + t.Millisecond;
    // Before the epoch the fraction still counts forward from midnight, as the files do it.
    const double fraction = static_cast<double>(ms) / MsPerDay;
    return dayCount >= 0 ? static_cast<double>(dayCount) + fraction
                         : static_cast<double>(dayCount) - fraction;
}

CalendarTime DecodeDateTime(double dateTime) {
    CalendarTime t;
    if (!IsShowableDateTime(dateTime)) // NaN fails the comparisons too
        return t;
    long long dayCount = static_cast<long long>(std::trunc(dateTime));
    long long ms = std::llround(std::fabs(dateTime - static_cast<double>(dayCount)) * MsPerDay);
    if (ms >= 86400000) {
        ms -= 86400000;
        dayCount += dateTime >= 0 ? 1 : -1;
    }
    const year_month_day date{Epoch + days{dayCount}};
    t.Year = static_cast<int>(date.year());
    t.Month = static_cast<int>(static_cast<unsigned>(date.month()));
    t.Day = static_cast<int>(static_cast<unsigned>(date.day()));
    SplitTime(ms, t);
    return t;
}

std::string FormatFileDateTime(double dateTime) {
    const CalendarTime t = DecodeDateTime(dateTime);
    char text[48];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.Year, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second);
    return text;
}

std::string FormatCountdown(double days) {
    if (!std::isfinite(days))
        days = 0;
    const double fraction = std::fabs(days - std::trunc(days));
    long long ms = std::llround(fraction * MsPerDay);
    if (ms >= 86400000)
        ms -= 86400000;
    CalendarTime t;
    SplitTime(ms, t);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
    return text;
}

std::optional<double> ParseFileDateTime(std::string_view text) {
    // Fields in order: year / month / day [hour : minute [: second]]
    int values[6] = {0, 0, 0, 0, 0, 0};
    const char separators[6] = {'/', '/', ' ', ':', ':', '\0'};
    std::size_t pos = 0;
    auto skipSpaces = [&] {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
    };
    skipSpaces();
    int fields = 0;
    for (; fields < 6; ++fields) {
        if (fields > 0) {
            const char sep = separators[fields - 1];
            if (sep == ' ') {
                const std::size_t before = pos;
                skipSpaces();
                if (pos == before || pos >= text.size())
                    break;
            } else {
                if (pos >= text.size() || text[pos] != sep)
                    break;
                ++pos;
            }
        }
        const char* first = text.data() + pos;
        const char* last = text.data() + text.size();
        auto [end, ec] = std::from_chars(first, last, values[fields]);
        if (ec != std::errc() || end == first)
            return std::nullopt;
        pos = static_cast<std::size_t>(end - text.data());
    }
    skipSpaces();
    if (pos != text.size() || fields < 3 || fields == 4)
        return std::nullopt;
    return EncodeDateTime({values[0], values[1], values[2], values[3], values[4], values[5], 0});
}

std::string FormatIsoDateTime(double dateTime) {
    const CalendarTime t = DecodeDateTime(dateTime);
    if (!std::isfinite(dateTime) || t.Year < 1 || t.Year > 9999)
        return {};
    std::tm local = LocalTm(t);
    // No offset known: the local time alone is still ISO 8601.
    const bool known = std::mktime(&local) != static_cast<std::time_t>(-1) || local.tm_gmtoff != 0;
    return IsoText(t, known ? std::optional<long>(local.tm_gmtoff) : std::nullopt);
}

std::optional<double> EpochSecondsOf(double dateTime) {
    if (!IsShowableDateTime(dateTime))
        return std::nullopt;
    const double wholeSecond = std::floor(dateTime * 86400.0 + 1e-6) / 86400.0;
    std::tm local = LocalTm(DecodeDateTime(wholeSecond));
    const std::time_t instant = std::mktime(&local);
    if (instant == static_cast<std::time_t>(-1))
        return std::nullopt;
    return static_cast<double>(instant) + std::max(0.0, (dateTime - wholeSecond) * 86400.0);
}

double DateTimeOfEpochSeconds(double seconds) {
    const double whole = std::floor(seconds);
    const auto instant = static_cast<std::time_t>(whole);
    std::tm local{};
    localtime_r(&instant, &local);
    const CalendarTime t{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, 0, 0, 0, 0};
    const double day = EncodeDateTime(t).value_or(0);
    return day + (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + seconds - whole) /
                     86400.0;
}

std::string FormatIsoEpochSeconds(double seconds) {
    if (!std::isfinite(seconds) || std::abs(seconds) > 253402300800.0)
        return {};
    double whole = std::floor(seconds);
    auto ms = static_cast<int>(std::lround((seconds - whole) * 1000));
    if (ms == 1000) {
        whole += 1;
        ms = 0;
    }
    const auto instant = static_cast<std::time_t>(whole);
    std::tm local{};
    if (!localtime_r(&instant, &local) || local.tm_year + 1900 < 1 || local.tm_year + 1900 > 9999)
        return {};
    return IsoText({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                    local.tm_min, local.tm_sec, ms},
                   local.tm_gmtoff);
}

} // namespace tavrel
