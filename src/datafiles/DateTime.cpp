#include "datafiles/DateTime.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace tavrel {
namespace {

constexpr double MsPerDay = 86400000.0;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

constexpr long long Epoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Splits a time of day in milliseconds (0..86399999).
void SplitTime(long long ms, CalendarTime& t) {
    t.Hour = static_cast<int>(ms / 3600000);
    t.Minute = static_cast<int>(ms / 60000 % 60);
    t.Second = static_cast<int>(ms / 1000 % 60);
    t.Millisecond = static_cast<int>(ms % 1000);
}

} // namespace

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
    if (t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > DaysInMonth(t.Year, t.Month) ||
        t.Hour < 0 || t.Hour > 23 || t.Minute < 0 || t.Minute > 59 || t.Second < 0 ||
        t.Second > 59 || t.Millisecond < 0 || t.Millisecond > 999)
        return std::nullopt;
    const long long days =
        DaysFromCivil(t.Year, static_cast<unsigned>(t.Month), static_cast<unsigned>(t.Day)) - Epoch;
    const long long ms = ((t.Hour * 60LL + t.Minute) * 60 + t.Second) * 1000 + t.Millisecond;
    // Before the epoch the fraction still counts forward from midnight, as the files do it.
    const double fraction = static_cast<double>(ms) / MsPerDay;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

CalendarTime DecodeDateTime(double dateTime) {
    CalendarTime t;
    if (!std::isfinite(dateTime))
        return t;
    long long days = static_cast<long long>(std::trunc(dateTime));
    long long ms = std::llround(std::fabs(dateTime - static_cast<double>(days)) * MsPerDay);
    if (ms >= 86400000) {
        ms -= 86400000;
        days += dateTime >= 0 ? 1 : -1;
    }
    CivilFromDays(days + Epoch, t.Year, t.Month, t.Day);
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

} // namespace tavrel
