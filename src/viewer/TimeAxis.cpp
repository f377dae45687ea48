#include "viewer/TimeAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tavrel {

namespace {

// The fewest decimals that write every multiple of step exactly (at most 9).
int DecimalsOf(double step) {
    for (int d = 0; d < 9; ++d) {
        const double scaled = step * std::pow(10.0, d);
        if (std::abs(scaled - std::round(scaled)) < 1e-6 * scaled)
            return d;
    }
    return 9;
}

// Steps a clock reads well: seconds, then the usual divisions of minutes and hours.
constexpr double ClockSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200};

} // namespace

TimeUnit TimeUnitFor(double span) {
    if (span >= 1)
        return {1, QStringLiteral("s")};
    if (span >= 1e-3)
        return {1e-3, QStringLiteral("ms")};
    return {1e-6, QStringLiteral("µs")};
}

void TimeTicker::SetMode(TimeAxisMode mode) {
    mode_ = mode;
    // Clock ticks fall on round times of day, not on round offsets from the start.
    setTickOrigin(mode == TimeAxisMode::Clock ? -startSecondOfDay_ : 0);
}

void TimeTicker::SetBurst(double secondsPerSample, double startSecondOfDay) {
    secondsPerSample_ = secondsPerSample > 0 ? secondsPerSample : 1;
    startSecondOfDay_ = startSecondOfDay;
    SetMode(mode_);
}

double TimeTicker::getTickStep(const QCPRange& range) {
    unit_ = TimeUnitFor(range.size());
    const double exact = range.size() / (mTickCount + 1e-10);
    double step = cleanMantissa(exact);
    if (mode_ == TimeAxisMode::SampleIndex) {
        // Whole samples only.
        step =
            std::max(1.0, std::floor(cleanMantissa(exact / secondsPerSample_))) * secondsPerSample_;
    } else if (mode_ == TimeAxisMode::Clock && exact >= 1) {
        const auto* clock = std::lower_bound(std::begin(ClockSteps), std::end(ClockSteps), exact);
        step = clock != std::end(ClockSteps) ? *clock : std::ceil(exact / 3600) * 3600;
    }
    step_ = step;
    return step;
}

QString TimeTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
    switch (mode_) {
    case TimeAxisMode::SampleIndex:
        return QString::number(std::llround(tick / secondsPerSample_));
    case TimeAxisMode::Clock: {
        // hh:mm:ss.zzz, with more digits when the ticks are closer than a millisecond.
        const int digits = std::clamp(DecimalsOf(step_), 3, 6);
        const auto perSecond = static_cast<std::int64_t>(std::llround(std::pow(10.0, digits)));
        const std::int64_t perDay = 86400 * perSecond;
        std::int64_t t = std::llround((startSecondOfDay_ + tick) * static_cast<double>(perSecond));
        t = ((t % perDay) + perDay) % perDay;
        const std::int64_t s = t / perSecond;
        return QStringLiteral("%1:%2:%3.%4")
            .arg(s / 3600, 2, 10, QChar(u'0'))
            .arg(s / 60 % 60, 2, 10, QChar(u'0'))
            .arg(s % 60, 2, 10, QChar(u'0'))
            .arg(t % perSecond, digits, 10, QChar(u'0'));
    }
    case TimeAxisMode::Seconds:
        break;
    }
    const double value = tick / unit_.Seconds;
    const double step = step_ / unit_.Seconds;
    // A tick at the start computed as -1e-17 still reads "0".
    return QString::number(std::abs(value) < step * 1e-6 ? 0.0 : value, 'f', DecimalsOf(step));
}

} // namespace tavrel
