#include "ui/WaveformCharts.h"

#include "model/SDFdata.h"
#include "model/SampleStore.h"
#include "text/ShiftJis.h"
#include "widgets/ChannelColours.h"
#include "widgets/ChartStyle.h"
#include "widgets/FormFonts.h"
#include "widgets/MinMaxRenderer.h"

#include <QEvent>
#include <QFontMetrics>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <utility>
#include <vector>

namespace tavrel {

// The line of one chart, drawn from the codes of the channel's block buffer through a
// min/max summary of them, so a replot costs by pixels, not by codes. The graph holds only
// the points of the last replot; the point accessors answer from the codes.
class WaveformSeries : public QCPGraph {
public:
    using QCPGraph::QCPGraph;

    void Clear() {
        block_ = nullptr;
        end_ = 0;
        summary_.Clear();
        data()->clear();
    }

    // The codes [0, end) of block are the burst's so far; returns the range of [first, end).
    CodeRange Append(const std::vector<std::int16_t>& block, std::int64_t first, std::int64_t end,
                     const ChannelScale& scale) {
        if (&block != block_ || end < summary_.Size())
            summary_.Clear(); // another buffer, or a new burst without a set-up
        block_ = &block;
        end_ = std::clamp<std::int64_t>(end, 0, static_cast<std::int64_t>(block.size()));
        scale_ = scale;
        const auto codes = Codes();
        summary_.Extend(codes);
        return summary_.Range(codes, first, end_);
    }

    std::size_t MemoryBytes() const { return summary_.MemoryBytes(); }

    int dataCount() const override { return static_cast<int>(Codes().size()); }
    double dataMainKey(int index) const override { return scale_.Time(index); }
    double dataSortKey(int index) const override { return dataMainKey(index); }
    double dataMainValue(int index) const override {
        const auto codes = Codes();
        if (index < 0 || static_cast<std::size_t>(index) >= codes.size() ||
            codes[static_cast<std::size_t>(index)] == ErrorData)
            return std::numeric_limits<double>::quiet_NaN();
        return scale_.Value(codes[static_cast<std::size_t>(index)]);
    }
    QCPRange dataValueRange(int index) const override {
        const double v = dataMainValue(index);
        return {v, v};
    }
    QPointF dataPixelPosition(int index) const override {
        return coordsToPixels(dataMainKey(index), dataMainValue(index));
    }

protected:
    void draw(QCPPainter* painter) override {
        QCPAxis* keyAxis = mKeyAxis.data();
        if (!keyAxis || !mValueAxis || mLineStyle == lsNone)
            return;
        renderer_.Fill(*this, Codes(), summary_, scale_, keyAxis->range(),
                       keyAxis->axisRect()->width());
        // Drawn from the points themselves: dataCount() counts the codes, not the points.
        QVector<QPointF> lines;
        getLines(&lines, QCPDataRange(0, static_cast<int>(mDataContainer->size())));
        painter->setPen(mPen);
        painter->setBrush(Qt::NoBrush);
        drawLinePlot(painter, lines);
    }

private:
    std::span<const std::int16_t> Codes() const {
        if (block_ == nullptr)
            return {};
        return {block_->data(), std::min(block_->size(), static_cast<std::size_t>(
                                                             std::max<std::int64_t>(end_, 0)))};
    }

    const std::vector<std::int16_t>* block_ = nullptr;
    std::int64_t end_ = 0;
    ChannelScale scale_;
    CodeSummary summary_;
    MinMaxRenderer renderer_;
};

namespace {
QString FromCp932(std::string_view bytes) {
    return QString::fromStdString(Cp932ToUtf8(bytes));
}

// The largest readable step (1, 2, 2.5 or 5 times a power of ten) not above limit.
double ReadableStepAtMost(double limit) {
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (const double mantissa : {5.0, 2.5, 2.0})
        if (mantissa * power <= limit)
            return mantissa * power;
    return power;
}

// The range widened to the multiples of the smallest readable step of at least half its size:
// a short chart then has a tick at each end and at most two between.
QCPRange OnReadableSteps(const QCPRange& range) {
    const double half = range.size() / 2;
    if (!(half > 0) || !std::isfinite(half))
        return range;
    const double power = std::pow(10.0, std::floor(std::log10(half)));
    double step = 10 * power;
    for (const double mantissa : {5.0, 2.5, 2.0, 1.0})
        if (mantissa * power >= half)
            step = mantissa * power;
    const double slack = step * 1e-9; // end ticks stay inside despite rounding
    return {std::floor(range.lower / step) * step - slack,
            std::ceil(range.upper / step) * step + slack};
}

// Value ticks at readable steps, never so far apart that fewer than two fall inside the range:
// a chart a quarter of the panel high would otherwise show one "0" and no amplitude.
class ValueTicker : public QCPAxisTicker {
protected:
    double getTickStep(const QCPRange& range) override {
        const double step = QCPAxisTicker::getTickStep(range);
        const double half = range.size() / 2;
        if (!(half > 0) || !std::isfinite(half))
            return step;
        return std::min(step, ReadableStepAtMost(half));
    }
};

// Empty ranges are widened so that a single point or a flat line stays visible.
QCPRange Widened(double lower, double upper) {
    if (upper > lower)
        return {lower, upper};
    const double half = lower == 0 ? 1.0 : std::abs(lower) * 0.05;
    return {lower - half, upper + half};
}
} // namespace

WaveformCharts::WaveformCharts(QWidget* chartPanel, const MeasurementHeader& header,
                               std::function<void()> beforeLayout)
    : QObject(chartPanel), chartPanel_(chartPanel), header_(header),
      beforeLayout_(std::move(beforeLayout)) {
    const QFont font = MinchoFont(12);
    for (int k = 0; k < ChartCount; ++k) {
        auto* chart = new QCustomPlot(chartPanel);
        chart->setObjectName(QStringLiteral("Chart%1").arg(k + 1));
        chart->legend->setVisible(false);
        chart->setNoAntialiasingOnDrag(true);
        chart->setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
        chart->setAntialiasedElements(QCP::aeNone);
        for (QCPAxis* axis : {chart->xAxis, chart->yAxis}) {
            axis->setLabelFont(font);
            axis->setNumberFormat(QStringLiteral("g"));
        }
        chart->yAxis->setTicker(QSharedPointer<QCPAxisTicker>(new ValueTicker));
        chart->plotLayout()->insertRow(0);
        auto* title = new QCPTextElement(chart, QString(), font);
        chart->plotLayout()->addElement(0, 0, title);

        auto* series = new WaveformSeries(chart->xAxis, chart->yAxis);
        series->setName(QStringLiteral("Series%1").arg(k + 1));
        series->setLineStyle(QCPGraph::lsLine);
        series->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
        series->setAdaptiveSampling(false); // the renderer thins already

        // Infinite lines through two points: they span the chart at any zoom.
        const auto markLine = [chart](const char* name, Qt::PenStyle style) {
            auto* line = new QCPItemStraightLine(chart);
            line->setObjectName(QString::fromLatin1(name));
            line->setPen(QPen(Qt::black, 1, style)); // coloured by ApplyPalette
            line->setVisible(false);
            return line;
        };
        levelLines_[static_cast<std::size_t>(k)] = markLine("TriggerLevel", Qt::DashLine);
        scanLines_[static_cast<std::size_t>(k)] = markLine("TriggerScan", Qt::SolidLine);
        charts_[static_cast<std::size_t>(k)] = chart;
        series_[static_cast<std::size_t>(k)] = series;
        titles_[static_cast<std::size_t>(k)] = title;
    }
    for (int k = 0; k < ChartCount; ++k) {
        ApplyPalette(k);
        charts_[static_cast<std::size_t>(k)]->installEventFilter(this);
    }
    normalTopMargin_ = charts_[0]->axisRect()->minimumMargins().top();
    normalPadding_ = charts_[0]->xAxis->tickLabelPadding();
    normalTitleMargins_ = titles_[0]->margins();
    // Before the first points the axes carry no numbers: a 0 to 5 scale would read as data.
    for (QCustomPlot* chart : charts_)
        for (QCPAxis* axis : {chart->xAxis, chart->yAxis})
            axis->setTickLabels(false);
    // Until the first set-up, the one-channel view.
    for (int k = 1; k < ChartCount; ++k)
        charts_[static_cast<std::size_t>(k)]->hide();
    replotTimer_.setSingleShot(true);
    connect(&replotTimer_, &QTimer::timeout, this, &WaveformCharts::ReplotNow);
    sinceReplot_.start();
    chartPanel_->installEventFilter(this);
}

bool WaveformCharts::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chartPanel_ && event->type() == QEvent::Resize)
        ChartPanelResize();
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        for (int k = 0; k < ChartCount; ++k)
            if (watched == charts_[static_cast<std::size_t>(k)]) {
                ApplyPalette(k);
                AlignPlotHeights();
                charts_[static_cast<std::size_t>(k)]->replot(QCustomPlot::rpQueuedReplot);
            }
    return QObject::eventFilter(watched, event);
}

void WaveformCharts::ApplyPalette(int k) {
    QCustomPlot* chart = charts_[static_cast<std::size_t>(k)];
    StyleChart(*chart);
    const ChartColours colours = ChartColoursOf(chart->palette());
    series_[static_cast<std::size_t>(k)]->setPen(QPen(ChannelColour(k, colours.Background)));
    for (QCPItemStraightLine* line : {LevelLine(k), ScanLine(k)}) {
        QPen pen = line->pen();
        pen.setColor(colours.Text);
        line->setPen(pen);
    }
}

void WaveformCharts::AlignPlotHeights() {
    // Only the lowest chart carries the time axis title: the others leave its room empty, so
    // every plot is as high as the lowest one's.
    const int count = std::clamp<int>(header_.ChannelCount, 1, ChartCount);
    const QCPAxis* lowest = charts_[static_cast<std::size_t>(count - 1)]->xAxis;
    int room = 0;
    if (!lowest->label().isEmpty())
        room = lowest->labelPadding() +
               QFontMetrics(lowest->labelFont())
                   .boundingRect(0, 0, 0, 0, Qt::TextDontClip | Qt::AlignCenter, lowest->label())
                   .height();
    for (int k = 0; k < ChartCount; ++k)
        charts_[static_cast<std::size_t>(k)]->xAxis->setPadding(k == count - 1 ? 0 : room);
}

void WaveformCharts::ChartPanelResize() {
    if (beforeLayout_)
        beforeLayout_();
    // A count below 1, which nothing refuses, is laid out as one chart.
    const int count = std::max<int>(1, header_.ChannelCount);
    const int h = chartPanel_->height() / count;
    const int width = chartPanel_->width();
    // Fewer value ticks on short charts, so that their labels do not run into each other.
    const int valueTicks = std::clamp(h / 45, 2, 5);
    // A short chart hands the spare margins to its value axis, so two ticks fit apart.
    const bool compact = h < CompactChartHeight;
    compact_ = compact;
    for (int k = 0; k < ChartCount && k < count; ++k) {
        QCustomPlot* chart = charts_[static_cast<std::size_t>(k)];
        chart->setGeometry(0, k * h, width, h);
        chart->yAxis->ticker()->setTickCount(valueTicks);
        QMargins margins = chart->axisRect()->minimumMargins();
        margins.setTop(compact ? CompactTopMargin : normalTopMargin_);
        chart->axisRect()->setMinimumMargins(margins);
        chart->xAxis->setTickLabelPadding(compact ? 2 : normalPadding_);
        chart->xAxis->setLabelPadding(compact ? 1 : normalPadding_);
        titles_[static_cast<std::size_t>(k)]->setMargins(compact ? QMargins(2, 0, 2, 0)
                                                                 : normalTitleMargins_);
    }
    AlignPlotHeights();
}

void WaveformCharts::SetUpCharts(const std::string& chartTimeUnit) {
    const int count = header_.ChannelCount;
    for (int k = 1; k < ChartCount; ++k)
        charts_[static_cast<std::size_t>(k)]->setVisible(count > k);
    charts_[0]->setVisible(true);

    for (int k = 0; k < ChartCount; ++k) {
        static_cast<WaveformSeries*>(series_[static_cast<std::size_t>(k)])->Clear();
        bounds_[static_cast<std::size_t>(k)] = {};
    }
    scanTime_ = 0;
    ShowTrigger({}, -1);
    for (QCustomPlot* chart : charts_)
        chart->xAxis->setLabel(QString());
    if (count >= 1 && count <= ChartCount)
        charts_[static_cast<std::size_t>(count - 1)]->xAxis->setLabel(
            tr("時間 (%1)").arg(QString::fromStdString(chartTimeUnit)));
    AlignPlotHeights();
    for (int k = 0; k < ChartCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        charts_[i]->yAxis->setLabel(FromCp932(header_.ChannelUnit[i].Bytes()));
        titles_[i]->setText(FromCp932(header_.ChannelName[i].Bytes()));
    }
    // Drawn at once, so that the emptied charts show before a wait or a burst begins.
    for (int k = 0; k < ChartCount; ++k) {
        dirty_[static_cast<std::size_t>(k)] = false;
        charts_[static_cast<std::size_t>(k)]->replot(QCustomPlot::rpImmediateRefresh);
    }
    replotTimer_.stop();
    sinceReplot_.restart();
}

QString WaveformCharts::ChartTitle(int k) const {
    return titles_[static_cast<std::size_t>(k)]->text();
}

void WaveformCharts::AppendCodes(int channel, const std::vector<std::int16_t>& block,
                                 std::int64_t first, std::int64_t end, const ChannelScale& scale) {
    if (channel < 0 || channel >= ChartCount || end <= first)
        return;
    const auto i = static_cast<std::size_t>(channel);
    const CodeRange codes =
        static_cast<WaveformSeries*>(series_[i])->Append(block, first, end, scale);
    dirty_[i] = true;
    ScheduleReplot();
    if (std::exchange(scanTime_, scale.TimeScale) != scale.TimeScale)
        PlaceTriggerLines();
    if (codes.Empty())
        return; // only error data: nothing to frame
    const double x0 = scale.Time(first);
    const double x1 = scale.Time(end - 1);
    const double y0 = scale.Value(codes.Min);
    const double y1 = scale.Value(codes.Max);
    Bounds& b = bounds_[i];
    if (b.Empty)
        b = {false, std::min(x0, x1), std::max(x0, x1), std::min(y0, y1), std::max(y0, y1)};
    else {
        b.MinX = std::min({b.MinX, x0, x1});
        b.MaxX = std::max({b.MaxX, x0, x1});
        b.MinY = std::min({b.MinY, y0, y1});
        b.MaxY = std::max({b.MaxY, y0, y1});
    }
}

void WaveformCharts::ShowTrigger(const TriggerSettings& trigger, std::int64_t triggerScan) {
    triggerChannel_ = trigger.Start == BurstStart::Trigger ? trigger.Channel : -1;
    triggerLevel_ = trigger.Level;
    triggerScan_ = triggerScan;
    PlaceTriggerLines();
    for (bool& dirty : dirty_)
        dirty = true;
    ScheduleReplot();
}

void WaveformCharts::PlaceTriggerLines() {
    const bool scanShown = triggerChannel_ >= 0 && triggerScan_ >= 0 && scanTime_ > 0;
    const double t = static_cast<double>(triggerScan_) * scanTime_;
    for (int k = 0; k < ChartCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        levelLines_[i]->setVisible(k == triggerChannel_);
        levelLines_[i]->point1->setCoords(0, triggerLevel_);
        levelLines_[i]->point2->setCoords(1, triggerLevel_);
        scanLines_[i]->setVisible(scanShown);
        scanLines_[i]->point1->setCoords(t, 0);
        scanLines_[i]->point2->setCoords(t, 1);
    }
}

std::size_t WaveformCharts::MemoryBytes() const {
    std::size_t bytes = 0;
    for (QCPGraph* series : series_)
        bytes += static_cast<const WaveformSeries*>(series)->MemoryBytes();
    return bytes;
}

void WaveformCharts::ScheduleReplot() {
    if (replotTimer_.isActive())
        return;
    // A replot that took long makes the pause longer, so drawing never takes more than about
    // a fifth of the time and the acquisition keeps up.
    const qint64 interval = std::max<qint64>(ReplotIntervalMs, 4 * lastReplotMs_);
    const auto elapsed = sinceReplot_.elapsed();
    replotTimer_.start(static_cast<int>(std::max<qint64>(0, interval - elapsed)));
}

void WaveformCharts::ApplyRanges(int k) {
    const Bounds& b = bounds_[static_cast<std::size_t>(k)];
    if (b.Empty)
        return;
    QCustomPlot* chart = charts_[static_cast<std::size_t>(k)];
    chart->xAxis->setTickLabels(true);
    chart->yAxis->setTickLabels(true);
    chart->xAxis->setRange(Widened(b.MinX, b.MaxX));
    // The trigger level stays in sight even where the signal has not reached it.
    const bool level = k == triggerChannel_ && std::isfinite(triggerLevel_);
    const QCPRange values = Widened(level ? std::min(b.MinY, triggerLevel_) : b.MinY,
                                    level ? std::max(b.MaxY, triggerLevel_) : b.MaxY);
    chart->yAxis->setRange(compact_ ? OnReadableSteps(values) : values);
}

void WaveformCharts::ReplotNow() {
    replotTimer_.stop();
    QElapsedTimer cost;
    cost.start();
    for (int k = 0; k < ChartCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (!dirty_[i])
            continue;
        dirty_[i] = false;
        ApplyRanges(k);
        charts_[i]->replot(QCustomPlot::rpQueuedRefresh);
    }
    ++replotCount_;
    lastReplotMs_ = cost.elapsed();
    sinceReplot_.restart();
}

} // namespace tavrel
