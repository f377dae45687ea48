#pragma once

#include "model/ChannelScale.h"
#include "model/MeasurementHeader.h"
#include "model/TriggerSettings.h"

#include <QElapsedTimer>
#include <QMargins>
#include <QObject>
#include <QTimer>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QCustomPlot;
class QCPGraph;
class QCPItemStraightLine;
class QCPTextElement;
class QWidget;

namespace tavrel {

// The four stacked waveform charts in the chart panel: Chart1..Chart4 from top to bottom,
// each with one line series (Series1..Series4) in its channel's colour, on the colours of the
// window's palette. A live view only: nothing is read from or
// written to files here. The series draw from the block buffers through a min/max summary of
// their codes, so the charts hold no point per sample.
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
    // the header (hidden charts too), "時間 (unit)" ("Time (unit)" in English) under the lowest
    // visible chart.
    void SetUpCharts(const std::string& chartTimeUnit);

    // The codes of channel (0-based; channels beyond the fourth are not plotted) grew to
    // block[0, end), [first, end) being new, as MeasurementView::AppendCodes says: block must
    // stay alive and its first end codes unchanged until the next SetUpCharts. Every code is
    // drawn; a replot is requested, at most one every ReplotIntervalMs.
    void AppendCodes(int channel, const std::vector<std::int16_t>& block, std::int64_t first,
                     std::int64_t end, const ChannelScale& scale);

    // A dashed line at trigger.Level (the physical unit the series plots) on the trigger
    // channel's chart and a line at triggerScan's time on every chart, none while it is < 0 or
    // before the burst's codes give a scan's time; a schedule or SetUpCharts removes both.
    void ShowTrigger(const TriggerSettings& trigger, std::int64_t triggerScan);
    // "TriggerLevel" and "TriggerScan" of chart k (0-based), children of its QCustomPlot.
    QCPItemStraightLine* LevelLine(int k) const { return levelLines_[static_cast<std::size_t>(k)]; }
    QCPItemStraightLine* ScanLine(int k) const { return scanLines_[static_cast<std::size_t>(k)]; }

    // Draws every chart that changed since its last replot, now.
    void ReplotNow();

    QCustomPlot* Chart(int k) const { return charts_[static_cast<std::size_t>(k)]; } // 0-based
    QCPGraph* Series(int k) const { return series_[static_cast<std::size_t>(k)]; }
    QString ChartTitle(int k) const;
    int ReplotCount() const { return replotCount_; }
    // What the charts hold besides the codes: their summaries.
    std::size_t MemoryBytes() const;

private:
    struct Bounds {
        bool Empty = true;
        double MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
    };

    void ScheduleReplot();
    void PlaceTriggerLines();
    void ApplyRanges(int k);
    void ApplyPalette(int k);
    void AlignPlotHeights();
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
    std::array<QCPItemStraightLine*, ChartCount> levelLines_{};
    std::array<QCPItemStraightLine*, ChartCount> scanLines_{};
    int triggerChannel_ = -1; // -1: bursts start on the schedule
    double triggerLevel_ = 0;
    std::int64_t triggerScan_ = -1;
    double scanTime_ = 0; // the chart time of one scan; 0 until the burst's codes come
    QTimer replotTimer_;
    QElapsedTimer sinceReplot_;
    int replotCount_ = 0;
    qint64 lastReplotMs_ = 0;
};

} // namespace tavrel
