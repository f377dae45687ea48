#include "WaveformCharts.h"

#include "BurstGraphData.h"
#include "FormFonts.h"
#include "ShiftJis.h"

#include <QEvent>
#include <qcustomplot.h>

#include <algorithm>

namespace tavrel {

namespace {
QString FromCp932(std::string_view bytes) {
    return QString::fromStdString(Cp932ToUtf8(bytes));
}

// Empty ranges are widened so that a single point or a flat line stays visible.
QCPRange Widened(double lower, double upper) {
    if (upper > lower)
        return {lower, upper};
    const double half = lower == 0 ? 1.0 : std::abs(lower) * 0.05;
    return {lower - half, upper + half};
}
} // namespace

WaveformCharts::WaveformCharts(QWidget* panel2, MeasurementHeader& header)
    : QObject(panel2), panel2_(panel2), header_(header) {
    const QFont font = MinchoFont(12);
    for (int k = 0; k < ChartCount; ++k) {
        auto* chart = new QCustomPlot(panel2);
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
        chart->plotLayout()->insertRow(0);
        auto* title = new QCPTextElement(chart, QString(), font);
        title->setTextColor(Qt::black);
        chart->plotLayout()->addElement(0, 0, title);

        QCPGraph* series = chart->addGraph();
        series->setName(QStringLiteral("Series%1").arg(k + 1));
        series->setPen(QPen(Qt::red));
        series->setLineStyle(QCPGraph::lsLine);
        series->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
        series->setAdaptiveSampling(true);

        charts_[static_cast<std::size_t>(k)] = chart;
        series_[static_cast<std::size_t>(k)] = series;
        titles_[static_cast<std::size_t>(k)] = title;
    }
    replotTimer_.setSingleShot(true);
    connect(&replotTimer_, &QTimer::timeout, this, &WaveformCharts::ReplotNow);
    sinceReplot_.start();
    panel2_->installEventFilter(this);
}

bool WaveformCharts::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel2_ && event->type() == QEvent::Resize)
        Panel2Resize();
    return QObject::eventFilter(watched, event);
}

void WaveformCharts::Panel2Resize() {
    if (header_.ChannelCount == 0)
        header_.ChannelCount = 1;
    // A negative count, which nothing refuses, is laid out as one chart.
    const int count = std::max<int>(1, header_.ChannelCount);
    const int h = panel2_->height() / count;
    const int width = panel2_->width();
    for (int k = 0; k < ChartCount && k < count; ++k)
        charts_[static_cast<std::size_t>(k)]->setGeometry(0, k * h, width, h);
}

void WaveformCharts::SetUpCharts(const std::string& chartTimeUnit) {
    const int count = header_.ChannelCount;
    for (int k = 1; k < ChartCount; ++k)
        charts_[static_cast<std::size_t>(k)]->setVisible(count > k);
    charts_[0]->setVisible(true);

    // Each shown series gets room for a whole burst; the last burst's points are released.
    for (int k = 0; k < ChartCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const qsizetype room = k < count ? std::max<qsizetype>(header_.SampleCount, 0) : 0;
        BurstGraphData* data = burstData_[i];
        if (data != nullptr && series_[i]->data().data() == data && data->Capacity() >= room &&
            data->Capacity() <= room + room / 4 + 1024) {
            data->Restart();
        } else {
            burstData_[i] = new BurstGraphData(room);
            series_[i]->setData(QSharedPointer<QCPGraphDataContainer>(burstData_[i]));
        }
        bounds_[i] = {};
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
    Bounds& b = bounds_[i];
    for (std::size_t p = 0; p < n; ++p) {
        if (b.Empty) {
            b = {false, x[p], x[p], y[p], y[p]};
        } else {
            b.MinX = std::min(b.MinX, x[p]);
            b.MaxX = std::max(b.MaxX, x[p]);
            b.MinY = std::min(b.MinY, y[p]);
            b.MaxY = std::max(b.MaxY, y[p]);
        }
    }
    if (burstData_[i] != nullptr && series_[i]->data().data() == burstData_[i]) {
        burstData_[i]->Append(x.first(n), y.first(n));
    } else {
        QVector<QCPGraphData> points(static_cast<qsizetype>(n));
        for (std::size_t p = 0; p < n; ++p)
            points[static_cast<qsizetype>(p)] = QCPGraphData(x[p], y[p]);
        series_[i]->data()->add(points, true);
    }
    dirty_[i] = true;
    ScheduleReplot();
}

void WaveformCharts::ScheduleReplot() {
    if (replotTimer_.isActive())
        return;
    // Drawing a long burst takes longer: the pause grows with it, so drawing never takes more
    // than about a fifth of the time and the acquisition keeps up.
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
    chart->yAxis->setRange(Widened(b.MinY, b.MaxY));
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
