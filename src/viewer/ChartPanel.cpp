#include "viewer/ChartPanel.h"

#include "model/SDFdata.h"
#include "text/DateTime.h"
#include "viewer/CursorMarks.h"
#include "widgets/ChannelColours.h"
#include "widgets/ChartStyle.h"

#include <QFontMetrics>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tavrel {

namespace {

constexpr int CursorGrip = 4; // pixels either side of a cursor line that grab it

// A chart's value range with a little room above and below; one value or none gets a range
// around it.
QCPRange Padded(double lo, double hi) {
    if (!(lo <= hi))
        return QCPRange(-1, 1);
    if (hi - lo < 1e-12 * std::max(1.0, std::abs(hi)))
        return QCPRange(lo - std::max(1.0, std::abs(lo) * 0.05),
                        hi + std::max(1.0, std::abs(hi) * 0.05));
    const double room = (hi - lo) * 0.05;
    return QCPRange(lo - room, hi + room);
}

void AddRange(const SampleStore& burst, int channel, const ChannelScale& s, double& lo,
              double& hi) {
    if (channel >= burst.Channels())
        return;
    const CodeRange r = burst.Range(channel, 0, burst.Size(channel));
    if (r.Empty())
        return;
    const double a = s.Value(r.Min), b = s.Value(r.Max);
    lo = std::min({lo, a, b});
    hi = std::max({hi, a, b});
}

} // namespace

QColor ChartPanel::TraceColour(int channel) const {
    return ChannelColour(channel, ChartColoursOf(palette()).Background);
}

QColor ChartPanel::OverlayColour(int channel) const {
    QColor colour = TraceColour(channel);
    colour.setAlpha(OverlayAlpha);
    return colour;
}

ChartPanel::ChartPanel(QWidget* parent)
    : QCustomPlot(parent), ticker_(QSharedPointer<TimeTicker>::create()) {
    setObjectName(QStringLiteral("ChartPanel"));
    plotLayout()->clear();
    setInteractions(QCP::iRangeZoom);
    setSelectionRectMode(QCP::srmZoom);
    setPlottingHint(QCP::phFastPolylines, true);
    setNoAntialiasingOnDrag(true);
    // The layout has just given every chart its width: the points follow it before drawing.
    connect(this, &QCustomPlot::afterLayout, this, &ChartPanel::Refresh);
}

void ChartPanel::BuildCharts(const std::vector<ChartChannel>& channels) {
    clearItems();
    clearGraphs();
    plotLayout()->clear();
    charts_.clear();
    titleElement_ = nullptr;
    cursorLabels_ = {};
    auto* margins = new QCPMarginGroup(this);
    const QFont font = this->font(); // the window's; StyleChart gives it to the ticks
    if (!channels.empty()) {
        titleElement_ = new QCPTextElement(this, title_, font);
        plotLayout()->addElement(0, 0, titleElement_);
    }
    for (std::size_t c = 0; c < channels.size(); ++c) {
        Chart chart;
        chart.Scale = channels[c].Scale;
        chart.Rect = new QCPAxisRect(this);
        plotLayout()->addElement(static_cast<int>(c) + 1, 0, chart.Rect);
        chart.Rect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
        chart.Rect->setRangeZoom(Qt::Horizontal);
        QCPAxis* time = chart.Rect->axis(QCPAxis::atBottom);
        QCPAxis* value = chart.Rect->axis(QCPAxis::atLeft);
        chart.Rect->setRangeZoomAxes(time, value);
        value->setLabel(channels[c].Label);
        value->setLabelFont(font);
        time->setLabelFont(font);
        // Only the lowest chart labels the shared time axis.
        const bool lowest = c + 1 == channels.size();
        time->setTickLabels(lowest);
        time->setTicker(ticker_); // one for all, so the grids line up
        connect(time, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
                &ChartPanel::SyncTimeRange);

        chart.Graph = addGraph(time, value);
        chart.Graph->setAdaptiveSampling(false);
        // The overlay on top, dashed and see-through: the shown burst stays readable under it.
        chart.Overlay = addGraph(time, value);
        chart.Overlay->setAdaptiveSampling(false);
        chart.Overlay->setVisible(false);
        for (std::size_t k = 0; k < 2; ++k) {
            chart.Cursors[k] = NewCursorLine(*this, chart.Rect, static_cast<int>(k) + 1);
            // The numbers at the top of the first chart tell the cursors apart.
            if (c == 0)
                cursorLabels_[k] = NewCursorLabel(*this, chart.Rect, font);
        }
        charts_.push_back(chart);
    }
    ApplyPalette();
    FitValueTicks();
    UpdateTimeTitle();
}

void ChartPanel::ApplyPalette() {
    StyleChart(*this);
    const QColor text = ChartColoursOf(palette()).Text;
    for (std::size_t c = 0; c < charts_.size(); ++c) {
        charts_[c].Graph->setPen(QPen(TraceColour(static_cast<int>(c)), 1));
        charts_[c].Overlay->setPen(QPen(OverlayColour(static_cast<int>(c)), 1, Qt::DashLine));
    }
    // Marks in the text colour, apart from every channel's: the cursors solid (dashes are the
    // overlay's), their numbers tell them apart.
    for (int i = 0; i < itemCount(); ++i) {
        if (auto* line = qobject_cast<QCPItemStraightLine*>(item(i))) {
            QPen pen = line->pen();
            pen.setColor(text);
            line->setPen(pen);
        } else if (auto* label = qobject_cast<QCPItemText*>(item(i)))
            label->setColor(text);
    }
}

void ChartPanel::changeEvent(QEvent* event) {
    QCustomPlot::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        ApplyPalette();
        replot(rpQueuedReplot);
    }
}

void ChartPanel::resizeEvent(QResizeEvent* event) {
    FitValueTicks();
    QCustomPlot::resizeEvent(event);
}

void ChartPanel::FitValueTicks() {
    const int lineHeight = QFontMetrics(font()).height();
    const int perChart = height() / std::max<int>(static_cast<int>(charts_.size()), 1);
    const int ticks = std::clamp(perChart / (2 * lineHeight), 2, 5);
    for (const Chart& chart : charts_)
        chart.Rect->axis(QCPAxis::atLeft)->ticker()->setTickCount(ticks);
}

void ChartPanel::SetTimeAxisMode(TimeAxisMode mode) {
    ticker_->SetMode(mode);
    UpdateTimeTitle();
    replot(rpQueuedReplot);
}

void ChartPanel::SetStartTime(double dateTime) {
    const CalendarTime t = DecodeDateTime(dateTime);
    startSecondOfDay_ = t.Hour * 3600.0 + t.Minute * 60.0 + t.Second + t.Millisecond / 1000.0;
    ticker_->SetBurst(secondsPerSample_, startSecondOfDay_);
}

QString ChartPanel::TimeAxisTitle() const {
    switch (ticker_->Mode()) {
    case TimeAxisMode::Clock:
        return tr("時刻");
    case TimeAxisMode::SampleIndex:
        return tr("サンプル番号");
    case TimeAxisMode::Seconds:
        break;
    }
    return tr("時間 [%1]").arg(TimeUnitFor(TimeRange().size()).Name);
}

void ChartPanel::UpdateTimeTitle() {
    if (!charts_.empty())
        charts_.back().Rect->axis(QCPAxis::atBottom)->setLabel(TimeAxisTitle());
}

void ChartPanel::SetBurst(std::shared_ptr<const SampleStore> burst,
                          std::vector<ChartChannel> channels, bool keepRange) {
    const std::int64_t before = Samples();
    const bool sameCharts = channels.size() == charts_.size();
    if (!sameCharts)
        BuildCharts(channels);
    else
        for (std::size_t c = 0; c < channels.size(); ++c) {
            charts_[c].Scale = channels[c].Scale;
            charts_[c].Rect->axis(QCPAxis::atLeft)->setLabel(channels[c].Label);
        }
    burst_ = std::move(burst);
    const double dt = channels.empty() ? 1 : channels.front().Scale.TimeScale;
    secondsPerSample_ = dt > 0 ? dt : 1;
    for (Chart& chart : charts_)
        chart.Scale.TimeScale = secondsPerSample_; // one time axis for all
    ticker_->SetBurst(secondsPerSample_, startSecondOfDay_);
    stale_ = true;
    if (keepRange && sameCharts && before == Samples()) {
        // Only the time zoom carries over: the values are another burst's.
        FitValues();
        return;
    }
    FitAll();
    CursorsIntoView();
}

void ChartPanel::SetOverlay(std::shared_ptr<const SampleStore> burst) {
    overlay_ = std::move(burst);
    for (Chart& chart : charts_)
        chart.Overlay->setVisible(overlay_ != nullptr);
    stale_ = true;
    replot(rpQueuedReplot);
    emit TimeRangeChanged(); // the whole may have grown
}

void ChartPanel::SetTitle(const QString& title) {
    title_ = title;
    if (titleElement_)
        titleElement_->setText(title);
    replot(rpQueuedReplot);
}

void ChartPanel::Clear() {
    burst_.reset();
    overlay_.reset();
    BuildCharts({});
    replot();
    emit TimeRangeChanged();
}

std::int64_t ChartPanel::Samples() const {
    return burst_ && burst_->Channels() > 0 ? burst_->Size(0) : 0;
}

QCPRange ChartPanel::FullTimeRange() const {
    const std::int64_t n = std::max<std::int64_t>(
        {Samples(), overlay_ && overlay_->Channels() > 0 ? overlay_->Size(0) : 0, 2});
    return {0, static_cast<double>(n - 1) * secondsPerSample_};
}

QCPRange ChartPanel::TimeRange() const {
    return charts_.empty() ? QCPRange() : charts_.front().Rect->axis(QCPAxis::atBottom)->range();
}

void ChartPanel::SetTimeRange(double lower, double upper) {
    if (charts_.empty())
        return;
    charts_.front().Rect->axis(QCPAxis::atBottom)->setRange(lower, upper);
    replot(rpQueuedReplot);
}

void ChartPanel::SyncTimeRange(const QCPRange& range) {
    if (syncing_)
        return;
    syncing_ = true;
    for (Chart& chart : charts_)
        chart.Rect->axis(QCPAxis::atBottom)->setRange(range);
    PlaceCursorLabels();
    UpdateTimeTitle();
    syncing_ = false;
    emit TimeRangeChanged();
}

void ChartPanel::FitAll() {
    if (charts_.empty())
        return;
    const QCPRange all = FullTimeRange();
    SetTimeRange(all.lower, all.upper);
    FitValues();
}

void ChartPanel::FitValues() {
    for (int c = 0; c < Charts(); ++c) {
        const Chart& chart = charts_[static_cast<std::size_t>(c)];
        double lo = std::numeric_limits<double>::infinity();
        double hi = -lo;
        if (burst_)
            AddRange(*burst_, c, chart.Scale, lo, hi);
        if (overlay_)
            AddRange(*overlay_, c, chart.Scale, lo, hi);
        chart.Rect->axis(QCPAxis::atLeft)->setRange(Padded(lo, hi));
    }
    replot(rpQueuedReplot);
}

void ChartPanel::Refresh() {
    if (charts_.empty())
        return;
    const int columns = std::max(1, charts_.front().Rect->width());
    const QCPRange range = TimeRange();
    if (!stale_ && columns == builtColumns_ && range == builtRange_)
        return;
    const auto fill = [&](QCPGraph* graph, const SampleStore* burst, std::size_t c) {
        const MinMaxTrace trace =
            renderer_.Fill(*graph, burst, static_cast<int>(c), charts_[c].Scale, range, columns);
        // Single codes between gaps show as dots when sparse; strokes on whole pixel columns
        // gain nothing from smoothing, which costs the most.
        graph->setAntialiased(trace.EveryCode);
        graph->setScatterStyle(trace.EveryCode && trace.Codes * 4 <= columns
                                   ? QCPScatterStyle(QCPScatterStyle::ssDisc, 4)
                                   : QCPScatterStyle(QCPScatterStyle::ssNone));
    };
    for (std::size_t c = 0; c < charts_.size(); ++c) {
        fill(charts_[c].Graph, burst_.get(), c);
        fill(charts_[c].Overlay, overlay_.get(), c);
    }
    stale_ = false;
    builtColumns_ = columns;
    builtRange_ = range;
}

std::int64_t ChartPanel::SampleAt(double seconds) const {
    const std::int64_t n = std::max<std::int64_t>(Samples(), 1);
    const double i = std::round(seconds / secondsPerSample_);
    if (!(i > 0))
        return 0;
    return i >= static_cast<double>(n - 1) ? n - 1 : static_cast<std::int64_t>(i);
}

void ChartPanel::SetCursors(double t1, double t2) {
    cursor_ = {SampleAt(t1), SampleAt(t2)};
    PlaceCursorLines();
    replot(rpQueuedReplot);
    emit CursorsMoved();
}

void ChartPanel::CursorsIntoView() {
    const QCPRange r = TimeRange();
    SetCursors(r.lower + r.size() / 3, r.lower + r.size() * 2 / 3);
}

void ChartPanel::MoveCursor(int which, double seconds) {
    cursor_.at(static_cast<std::size_t>(which)) = SampleAt(seconds);
    PlaceCursorLines();
    replot(rpQueuedReplot);
    emit CursorsMoved();
}

void ChartPanel::PlaceCursorLines() {
    for (Chart& chart : charts_)
        for (std::size_t k = 0; k < 2; ++k) {
            const double t = static_cast<double>(cursor_[k]) * secondsPerSample_;
            chart.Cursors[k]->point1->setCoords(t, 0);
            chart.Cursors[k]->point2->setCoords(t, 1);
        }
    PlaceCursorLabels();
}

void ChartPanel::PlaceCursorLabels() {
    for (std::size_t k = 0; k < 2; ++k)
        if (QCPItemText* label = cursorLabels_[k])
            PlaceCursorLabel(*label, static_cast<int>(k) + 1,
                             static_cast<double>(cursor_[k]) * secondsPerSample_, TimeRange());
}

QString ChartPanel::CursorLabel(int which) const {
    const QCPItemText* label = cursorLabels_.at(static_cast<std::size_t>(which));
    return label ? label->text() : QString();
}

QCPAxisRect* ChartPanel::ChartAt(const QPointF& pos) const {
    for (const Chart& chart : charts_)
        if (chart.Rect->rect().contains(pos.toPoint()))
            return chart.Rect;
    return nullptr;
}

int ChartPanel::CursorNear(const QPointF& pos) const {
    QCPAxisRect* rect = ChartAt(pos);
    if (!rect || !burst_)
        return -1;
    const QCPAxis* time = rect->axis(QCPAxis::atBottom);
    int nearest = -1;
    double best = CursorGrip + 0.5;
    for (int k = 0; k < 2; ++k) {
        const double x = time->coordToPixel(
            static_cast<double>(cursor_[static_cast<std::size_t>(k)]) * secondsPerSample_);
        if (std::abs(x - pos.x()) < best) {
            best = std::abs(x - pos.x());
            nearest = k;
        }
    }
    return nearest;
}

void ChartPanel::mousePressEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    QCPAxisRect* rect = ChartAt(pos);
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    if (rect && burst_) {
        if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && shift)) {
            panning_ = true;
            panStart_ = pos;
            panRange_ = TimeRange();
            setCursor(Qt::ClosedHandCursor);
            return;
        }
        if (event->button() == Qt::LeftButton) {
            draggedCursor_ = CursorNear(pos);
            if (draggedCursor_ >= 0)
                return;
        }
        if (event->button() == Qt::RightButton) {
            MoveCursor(1, rect->axis(QCPAxis::atBottom)->pixelToCoord(pos.x()));
            return;
        }
    }
    QCustomPlot::mousePressEvent(event);
}

void ChartPanel::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    if (panning_) {
        const double width = std::max(1, charts_.front().Rect->width());
        const double shift = (pos.x() - panStart_.x()) / width * panRange_.size();
        SetTimeRange(panRange_.lower - shift, panRange_.upper - shift);
        return;
    }
    if (draggedCursor_ >= 0) {
        if (QCPAxisRect* rect = charts_.empty() ? nullptr : charts_.front().Rect)
            MoveCursor(draggedCursor_, rect->axis(QCPAxis::atBottom)->pixelToCoord(pos.x()));
        return;
    }
    setCursor(CursorNear(pos) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
    QCustomPlot::mouseMoveEvent(event);
}

void ChartPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (panning_ || draggedCursor_ >= 0) {
        panning_ = false;
        draggedCursor_ = -1;
        setCursor(Qt::ArrowCursor);
        return;
    }
    QCustomPlot::mouseReleaseEvent(event);
}

void ChartPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    QCPAxisRect* rect = ChartAt(event->position());
    if (rect && burst_ && event->button() == Qt::LeftButton) {
        MoveCursor(0, rect->axis(QCPAxis::atBottom)->pixelToCoord(event->position().x()));
        return;
    }
    QCustomPlot::mouseDoubleClickEvent(event);
}

void ChartPanel::ZoomTime(double factor) {
    const QCPRange r = TimeRange();
    const double half = r.size() / 2 / factor;
    SetTimeRange(r.center() - half, r.center() + half);
}

void ChartPanel::PanTime(double fraction) {
    const QCPRange r = TimeRange();
    const double step = fraction * r.size();
    SetTimeRange(r.lower + step, r.upper + step);
}

void ChartPanel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        PanTime(event->key() == Qt::Key_Left ? -0.1 : 0.1);
        return;
    case Qt::Key_Plus:
    case Qt::Key_Minus:
        ZoomTime(event->key() == Qt::Key_Plus ? 2.0 : 0.5);
        return;
    case Qt::Key_Home:
        FitAll();
        return;
    default:
        QCustomPlot::keyPressEvent(event);
    }
}

void ChartPanel::processRectZoom(QRect rect, QMouseEvent* event) {
    // A rectangle of a few pixels is a slip of the hand, not a zoom into nothing.
    if (rect.width() < 4 || rect.height() < 4) {
        replot(rpQueuedReplot);
        return;
    }
    QCustomPlot::processRectZoom(rect, event);
}

} // namespace tavrel
