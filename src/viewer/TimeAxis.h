#pragma once

#include <QString>
#include <qcustomplot.h>

namespace tavrel {

// What the viewer's time axis reads: the time from the burst's start in a unit that follows
// the zoom, the clock time, or the sample index.
enum class TimeAxisMode { Seconds, Clock, SampleIndex };

struct TimeUnit {
    double Seconds = 1;
    QString Name; // "s", "ms", "µs"
};
// The longest of s, ms and µs that span (seconds) holds at least once (µs below that), so the
// ticks of a view are short numbers.
TimeUnit TimeUnitFor(double span);

// Ticks and labels of an axis whose coordinates are seconds from a burst's start.
class TimeTicker : public QCPAxisTicker {
public:
    TimeAxisMode Mode() const { return mode_; }
    void SetMode(TimeAxisMode mode);
    // The sampling interval (sample index) and the burst's start as seconds since midnight
    // (clock time).
    void SetBurst(double secondsPerSample, double startSecondOfDay);

protected:
    double getTickStep(const QCPRange& range) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override;

private:
    TimeAxisMode mode_ = TimeAxisMode::Seconds;
    double secondsPerSample_ = 1;
    double startSecondOfDay_ = 0;
    TimeUnit unit_;
    double step_ = 1; // of the last ticks made, in seconds
};

} // namespace tavrel
