#pragma once

#include "model/ChannelScale.h"
#include "model/SampleStore.h"
#include "viewer/TimeAxis.h"
#include "widgets/MinMaxRenderer.h"

#include <QString>
#include <qcustomplot.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavrel {

// One chart: how its channel's codes become points (time in seconds) and its value axis title.
struct ChartChannel {
    ChannelScale Scale;
    QString Label; // "name [unit]"
};

// The stacked charts of one burst, one per channel, over a shared time axis in seconds from the
// burst's start (labelled in s, ms or µs by the zoom, as clock time or as sample index). What is
// drawn is rebuilt from the sample store for the visible range: one min/max pair per pixel column,
// or the samples themselves when fewer than the columns, so a redraw costs by pixels whatever the
// zoom. Error data are gaps. A second burst can be laid over the first. Two cursors (vertical lines
// through every chart) mark a range.
//
// Mouse: wheel zooms time, a left drag zooms to the rectangle, a middle (or Shift+left) drag
// pans, dragging a cursor line moves it, a double click puts cursor 1 and a right click
// cursor 2 under the mouse. Keys: Left and Right pan by a tenth of the view, + and - zoom
// time around the middle, Home fits all.
class ChartPanel : public QCustomPlot {
    Q_OBJECT

public:
    explicit ChartPanel(QWidget* parent = nullptr);

    // Channel's colour in the shown burst and, see-through, in the one laid over it, on this
    // panel's background.
    QColor TraceColour(int channel) const;
    QColor OverlayColour(int channel) const;
    static constexpr int OverlayAlpha = 150;

    // Shows burst with one chart per channel. The charts share one time axis: the channels
    // sample at one interval, the first one's TimeScale. Keeps the time range when keepRange
    // and the new burst has the same length, else fits all; the values always fit the burst.
    void SetBurst(std::shared_ptr<const SampleStore> burst, std::vector<ChartChannel> channels,
                  bool keepRange = false);
    // Lays burst over the shown one (null: nothing).
    void SetOverlay(std::shared_ptr<const SampleStore> burst);
    // The shown burst's start (days since 1899-12-30, as in the files), for clock time.
    void SetStartTime(double dateTime);
    // Shows nothing.
    void Clear();
    // The line above the charts (which burst they show).
    void SetTitle(const QString& title);
    QString Title() const { return title_; }

    int Charts() const { return static_cast<int>(charts_.size()); }
    QCPAxisRect* ChartRect(int channel) const { return charts_.at(channel).Rect; }
    QCPGraph* ChartGraph(int channel) const { return charts_.at(channel).Graph; }
    QCPGraph* OverlayGraph(int channel) const { return charts_.at(channel).Overlay; }

    // The whole burst in time and each chart's values.
    void FitAll();
    // Each chart's value axis to what it shows (burst and overlay), the time range kept.
    void FitValues();
    void SetTimeRange(double lower, double upper);
    // Shows 1/factor of the time shown, around its middle (factor 2: zoom in).
    void ZoomTime(double factor);
    // Moves the time shown by fraction of its width (negative: to the left).
    void PanTime(double fraction);
    QCPRange TimeRange() const;
    // From the first to the last sample of the burst or of the overlay, whichever is longer.
    QCPRange FullTimeRange() const;
    void SetTimeAxisMode(TimeAxisMode mode);
    TimeAxisMode TimeAxisModeShown() const { return ticker_->Mode(); }
    // The lowest chart's time axis title for the mode and the time shown.
    QString TimeAxisTitle() const;
    double SecondsPerSample() const { return secondsPerSample_; }
    std::int64_t Samples() const;

    // Places the cursors (seconds, put on the nearest sample inside the burst).
    void SetCursors(double t1, double t2);
    // Cursor which (0 or 1) as a sample index.
    std::int64_t CursorSample(int which) const { return cursor_.at(which); }
    // The label of cursor which above the charts: its number, with an arrow towards it when
    // it lies outside the time shown ("◀1", "2▶").
    QString CursorLabel(int which) const;
    // Puts both cursors inside the shown range, at a third and two thirds of it.
    void CursorsIntoView();

    // Rebuilds what is drawn for the current range and size, when either changed.
    void Refresh();

signals:
    void CursorsMoved();
    // The time shown or the whole burst changed.
    void TimeRangeChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void processRectZoom(QRect rect, QMouseEvent* event) override;

private:
    struct Chart {
        QCPAxisRect* Rect = nullptr;
        QCPGraph* Graph = nullptr;
        QCPGraph* Overlay = nullptr;
        std::array<QCPItemStraightLine*, 2> Cursors{};
        ChannelScale Scale;
    };

    void BuildCharts(const std::vector<ChartChannel>& channels);
    void SyncTimeRange(const QCPRange& range);
    void ApplyPalette();
    // As many value ticks as a chart's height holds without their labels touching.
    void FitValueTicks();
    void UpdateTimeTitle();
    void PlaceCursorLines();
    void PlaceCursorLabels();
    std::int64_t SampleAt(double seconds) const;
    QCPAxisRect* ChartAt(const QPointF& pos) const;
    int CursorNear(const QPointF& pos) const;
    void MoveCursor(int which, double seconds);

    std::shared_ptr<const SampleStore> burst_;
    std::shared_ptr<const SampleStore> overlay_;
    std::vector<Chart> charts_;
    double secondsPerSample_ = 1;
    double startSecondOfDay_ = 0;
    QSharedPointer<TimeTicker> ticker_;
    std::array<std::int64_t, 2> cursor_{0, 0};
    bool syncing_ = false;
    QString title_;
    QCPTextElement* titleElement_ = nullptr;
    std::array<QCPItemText*, 2> cursorLabels_{};
    // What the drawn points were built for.
    bool stale_ = true;
    QCPRange builtRange_;
    int builtColumns_ = 0;
    MinMaxRenderer renderer_;
    // Mouse drags of a cursor or of the view.
    int draggedCursor_ = -1;
    bool panning_ = false;
    QPointF panStart_;
    QCPRange panRange_;
};

} // namespace tavrel
