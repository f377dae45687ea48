#pragma once

#include <QScrollBar>

namespace tavrel {

class ChartPanel;

// The horizontal bar under the charts: its handle is the time shown within the whole burst.
// Moving it pans the charts; any zoom or pan of the charts (wheel, keys, drags) moves it.
class TimeScrollBar : public QScrollBar {
    Q_OBJECT

public:
    explicit TimeScrollBar(ChartPanel* panel, QWidget* parent = nullptr);

    // The time of one step of the bar: a sample, or as many as keep a long burst within the
    // bar's int range.
    double SecondsPerStep() const { return step_; }

private:
    void Follow();
    void Pan(int value);

    ChartPanel* panel_;
    double step_ = 1;
};

} // namespace tavrel
