#include "ui/WaveformCharts.h"

#include "datafiles/ShiftJis.h"
#include "ui/BurstGraphData.h"
#include "ui/FormFonts.h"

#include <QEvent>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace tavrel {

// The red line of one chart. It keeps every point in the graph's container and thins only what
// it draws: per pixel column the first, lowest, highest and last point, as the adaptive
// sampling of QCustomPlot does, but with the lowest and highest found through a min/max index
// of blocks of points kept up to date while appending, so a replot costs by pixels, not by
// points.
class WaveformSeries : public QCPGraph {
public:
    using QCPGraph::QCPGraph;

    // Appends points whose keys do not decrease (checked) and indexes their values.
    void Append(const QVector<QCPGraphData>& points) {
        if (points.isEmpty())
            return;
        if (!mDataContainer->isEmpty() &&
            points.first().key < (mDataContainer->constEnd() - 1)->key)
            indexed_ = false; // the container sorts them in: the index no longer matches
        const int first = mDataContainer->size();
        if (BurstGraphData* burst = Burst())
            burst->Append(points);
        else
            mDataContainer->add(points, true);
        if (!indexed_)
            return;
        for (int i = 0; i < points.size(); ++i) {
            const double y = points[i].value;
            const auto block = static_cast<std::size_t>((first + i) / BlockSize);
            if (block == blocks_.size())
                blocks_.push_back({y, y});
            else {
                blocks_[block].first = std::min(blocks_[block].first, y);
                blocks_[block].second = std::max(blocks_[block].second, y);
            }
        }
    }

    // Empties the series and makes room for a burst of the given points at once, so appending
    // never moves what is drawn and a burst's memory is its points. The room of the last
    // burst is used again when it fits.
    void Clear(qsizetype room = 0) {
        BurstGraphData* burst = Burst();
        if (burst != nullptr && burst->Capacity() >= room &&
            burst->Capacity() <= room + room / 4 + 1024)
            burst->Restart();
        else {
            burst_ = new BurstGraphData(room);
            setData(QSharedPointer<QCPGraphDataContainer>(burst_));
        }
        blocks_.clear();
        blocks_.reserve(static_cast<std::size_t>(room / BlockSize + 1));
        indexed_ = true;
    }

protected:
    void getOptimizedLineData(QVector<QCPGraphData>* lineData,
                              const QCPGraphDataContainer::const_iterator& begin,
                              const QCPGraphDataContainer::const_iterator& end) const override {
        QCPAxis* keyAxis = mKeyAxis.data();
        const int count = static_cast<int>(end - begin);
        const double axisPixels = keyAxis ? std::abs(keyAxis->coordToPixel(keyAxis->range().upper) -
                                                     keyAxis->coordToPixel(keyAxis->range().lower))
                                          : 0;
        if (!lineData || !mAdaptiveSampling || !indexed_ || axisPixels < 1 ||
            count < 4 * axisPixels + 64 ||
            blocks_.size() * BlockSize < static_cast<std::size_t>(mDataContainer->size())) {
            QCPGraph::getOptimizedLineData(lineData, begin, end);
            return;
        }
        const QCPRange range = keyAxis->range();
        const double keyPerPixel = range.size() / axisPixels;
        const auto dataBegin = mDataContainer->constBegin();
        lineData->clear();
        lineData->reserve(static_cast<qsizetype>(axisPixels) * 4 + 8);
        auto it = begin;
        while (it != end) {
            const double column = std::floor((it->key - range.lower) / keyPerPixel);
            const double columnEnd = range.lower + (column + 1) * keyPerPixel;
            auto next = std::lower_bound(
                it, end, columnEnd, [](const QCPGraphData& d, double key) { return d.key < key; });
            if (next == it)
                ++next; // a key on the boundary by rounding still moves on
            const auto last = next - 1;
            if (next - it <= 4) {
                for (auto p = it; p != next; ++p)
                    lineData->append(*p);
            } else {
                const auto [low, high] =
                    MinMax(static_cast<int>(it - dataBegin), static_cast<int>(next - dataBegin));
                const double middle = (it->key + last->key) / 2;
                lineData->append(*it);
                lineData->append(QCPGraphData(middle, low));
                lineData->append(QCPGraphData(middle, high));
                lineData->append(*last);
            }
            it = next;
        }
    }

private:
    static constexpr int BlockSize = 64;

    // The container Clear made, while it is the one the series draws.
    BurstGraphData* Burst() const {
        return burst_ != nullptr && mDataContainer.data() == burst_ ? burst_ : nullptr;
    }

    // Lowest and highest value of the points [from, to).
    std::pair<double, double> MinMax(int from, int to) const {
        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        const auto data = mDataContainer->constBegin();
        auto scan = [&](int a, int b) {
            for (int i = a; i < b; ++i) {
                low = std::min(low, (data + i)->value);
                high = std::max(high, (data + i)->value);
            }
        };
        const int firstFull = (from + BlockSize - 1) / BlockSize;
        const int lastFull = to / BlockSize; // blocks [firstFull, lastFull) lie wholly inside
        if (firstFull >= lastFull) {
            scan(from, to);
        } else {
            scan(from, firstFull * BlockSize);
            for (int b = firstFull; b < lastFull; ++b) {
                low = std::min(low, blocks_[static_cast<std::size_t>(b)].first);
                high = std::max(high, blocks_[static_cast<std::size_t>(b)].second);
            }
            scan(lastFull * BlockSize, to);
        }
        return {low, high};
    }

    std::vector<std::pair<double, double>> blocks_; // min and max of each block of points
    bool indexed_ = true;
    BurstGraphData* burst_ = nullptr; // owned by mDataContainer
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
        chart->setBackground(Qt::white);
        chart->axisRect()->setBackground(Qt::NoBrush);
        chart->legend->setVisible(false);
        chart->setNoAntialiasingOnDrag(true);
        chart->setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
        chart->setAntialiasedElements(QCP::aeNone);
        for (QCPAxis* axis : {chart->xAxis, chart->yAxis}) {
            axis->setLabelFont(font);
            axis->setTickLabelFont(font);
            axis->setLabelColor(Qt::black);
            axis->setTickLabelColor(Qt::black);
            axis->setNumberFormat(QStringLiteral("g"));
        }
        chart->yAxis->setTicker(QSharedPointer<QCPAxisTicker>(new ValueTicker));
        chart->plotLayout()->insertRow(0);
        auto* title = new QCPTextElement(chart, QString(), font);
        title->setTextColor(Qt::black);
        chart->plotLayout()->addElement(0, 0, title);

        auto* series = new WaveformSeries(chart->xAxis, chart->yAxis);
        series->setName(QStringLiteral("Series%1").arg(k + 1));
        series->setPen(QPen(Qt::red));
        series->setLineStyle(QCPGraph::lsLine);
        series->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
        series->setAdaptiveSampling(true);

        charts_[static_cast<std::size_t>(k)] = chart;
        series_[static_cast<std::size_t>(k)] = series;
        titles_[static_cast<std::size_t>(k)] = title;
    }
    normalTopMargin_ = charts_[0]->axisRect()->minimumMargins().top();
    normalPadding_ = charts_[0]->xAxis->tickLabelPadding();
    normalTitleMargins_ = titles_[0]->margins();
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
    return QObject::eventFilter(watched, event);
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
}

void WaveformCharts::SetUpCharts(const std::string& chartTimeUnit) {
    const int count = header_.ChannelCount;
    for (int k = 1; k < ChartCount; ++k)
        charts_[static_cast<std::size_t>(k)]->setVisible(count > k);
    charts_[0]->setVisible(true);

    for (int k = 0; k < ChartCount; ++k) {
        const qsizetype room = k < count ? std::max<qsizetype>(header_.SampleCount, 0) : 0;
        static_cast<WaveformSeries*>(series_[static_cast<std::size_t>(k)])->Clear(room);
        bounds_[static_cast<std::size_t>(k)] = {};
    }
    for (QCustomPlot* chart : charts_)
        chart->xAxis->setLabel(QString());
    if (count >= 1 && count <= ChartCount)
        charts_[static_cast<std::size_t>(count - 1)]->xAxis->setLabel(
            QStringLiteral("Time (%1)").arg(QString::fromStdString(chartTimeUnit)));
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

void WaveformCharts::AppendPoints(int channel, std::span<const double> x,
                                  std::span<const double> y) {
    if (channel < 0 || channel >= ChartCount)
        return;
    const auto i = static_cast<std::size_t>(channel);
    const std::size_t n = std::min(x.size(), y.size());
    if (n == 0)
        return;
    QVector<QCPGraphData> points(static_cast<qsizetype>(n));
    Bounds& b = bounds_[i];
    for (std::size_t p = 0; p < n; ++p) {
        points[static_cast<qsizetype>(p)] = QCPGraphData(x[p], y[p]);
        if (b.Empty) {
            b = {false, x[p], x[p], y[p], y[p]};
        } else {
            b.MinX = std::min(b.MinX, x[p]);
            b.MaxX = std::max(b.MaxX, x[p]);
            b.MinY = std::min(b.MinY, y[p]);
            b.MaxY = std::max(b.MaxY, y[p]);
        }
    }
    static_cast<WaveformSeries*>(series_[i])->Append(points);
    dirty_[i] = true;
    ScheduleReplot();
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
    chart->xAxis->setRange(Widened(b.MinX, b.MaxX));
    const QCPRange values = Widened(b.MinY, b.MaxY);
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
