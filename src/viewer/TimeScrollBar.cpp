#include "viewer/TimeScrollBar.h"

#include "viewer/ChartPanel.h"

#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace tavrel {

namespace {
constexpr double MaxSteps = 1e9; // well inside an int, with room for a page beyond
} // namespace

TimeScrollBar::TimeScrollBar(ChartPanel* panel, QWidget* parent)
    : QScrollBar(Qt::Horizontal, parent), panel_(panel) {
    setObjectName(QStringLiteral("TimeScrollBar"));
    connect(panel_, &ChartPanel::TimeRangeChanged, this, &TimeScrollBar::Follow);
    connect(this, &QScrollBar::valueChanged, this, &TimeScrollBar::Pan);
    Follow();
}

void TimeScrollBar::Follow() {
    const QSignalBlocker blocker(this);
    const QCPRange all = panel_->FullTimeRange();
    const QCPRange shown = panel_->TimeRange();
    setEnabled(panel_->Charts() > 0);
    if (panel_->Charts() == 0 || !(shown.size() > 0)) {
        setRange(0, 0);
        return;
    }
    const double samples = all.size() / panel_->SecondsPerSample();
    step_ = panel_->SecondsPerSample() * std::max(1.0, std::ceil(samples / MaxSteps));
    const double total = std::round(all.size() / step_);
    const double page = std::clamp(std::round(shown.size() / step_), 1.0, MaxSteps);
    setRange(0, static_cast<int>(std::max(0.0, total - page)));
    setPageStep(static_cast<int>(page));
    setSingleStep(std::max(1, static_cast<int>(page / 10))); // as the arrow keys pan
    setValue(static_cast<int>(std::clamp(std::round((shown.lower - all.lower) / step_), 0.0,
                                         static_cast<double>(maximum()))));
}

void TimeScrollBar::Pan(int value) {
    const QCPRange shown = panel_->TimeRange();
    const double lower = panel_->FullTimeRange().lower + value * step_;
    panel_->SetTimeRange(lower, lower + shown.size());
}

} // namespace tavrel
