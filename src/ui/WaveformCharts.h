#pragma once

#include "datafiles/MeasurementHeader.h"

#include <QElapsedTimer>
#include <QMargins>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <span>
#include <string>

class QCustomPlot;
class QCPGraph;
class QCPTextElement;
class QWidget;

namespace tavrel {

// The four stacked waveform charts in the chart panel: Chart1..Chart4 from top to bottom,
// each with one red line series (Series1..Series4). A live view only: nothing is read from or
// written to files here.
class WaveformCharts : public QObject {
    Q_OBJECT
public:
    static constexpr int ChartCount = 4;
    // Appended points are drawn at most this often, never once per point.
    static constexpr int ReplotIntervalMs = 30;

    // Builds the charts as children of chartPanel and lays them out whenever it is resized.
    // The header is only read, at every layout and set-up; it must outlive the charts. Its
    // owner may amend it in beforeLayout, which runs at the start of every layout.
    WaveformCharts(QWidget* chartPanel, const MeasurementHeader& header,
                   std::function<void()> beforeLayout = {});

    // Heights are the panel's height divided by ChannelCount (truncated, at least one chart);
    // the remainder stays empty at the bottom. Charts beyond it keep their geometry. Shows or
    // hides none.
    void ChartPanelResize();

    // Visibility by ChannelCount, all four series emptied, axis titles and chart titles from
    // the header (hidden charts too), "Time (unit)" under the lowest visible chart.
    void SetUpCharts(const std::string& chartTimeUnit);

    // Appends one fetch of points of channel (0-based; channels beyond the fourth are not
    // plotted). x must not decrease. Every point is kept; a replot is requested, at most one
    // every ReplotIntervalMs.
    void AppendPoints(int channel, std::span<const double> x, std::span<const double> y);

    // Draws every chart that changed since its last replot, now.
    void ReplotNow();

    QCustomPlot* Chart(int k) const { return charts_[static_cast<std::size_t>(k)]; } // 0-based
    QCPGraph* Series(int k) const { return series_[static_cast<std::size_t>(k)]; }
    QString ChartTitle(int k) const;
    int ReplotCount() const { return replotCount_; }

private:
    struct Bounds {
        bool Empty = true;
        double MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
    };

    void ScheduleReplot();
    void ApplyRanges(int k);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Charts lower than this get the compact margins.
    static constexpr int CompactChartHeight = 150;
    static constexpr int CompactTopMargin = 7; // half a tick label
    bool compact_ = false;
    int normalTopMargin_ = 0;
    int normalPadding_ = 0;
    QMargins normalTitleMargins_;

    QWidget* chartPanel_;
    const MeasurementHeader& header_;
    std::function<void()> beforeLayout_;
    std::array<QCustomPlot*, ChartCount> charts_{};
    std::array<QCPGraph*, ChartCount> series_{};
    std::array<QCPTextElement*, ChartCount> titles_{};
    std::array<Bounds, ChartCount> bounds_{};
    std::array<bool, ChartCount> dirty_{};
    QTimer replotTimer_;
    QElapsedTimer sinceReplot_;
    int replotCount_ = 0;
    qint64 lastReplotMs_ = 0;
};

} // namespace tavrel
