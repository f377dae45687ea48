#include "viewer/ChartPanel.h"

#include "text/DateTime.h"
#include "viewer/TimeScrollBar.h"
#include "widgets/ChannelColours.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace tavrel;

namespace {

// Two channels of 1000 samples at 1 ms, started at 09:30:15.250, under a scroll bar.
struct Panel {
    QWidget window;
    ChartPanel* charts = new ChartPanel;
    TimeScrollBar* bar = new TimeScrollBar(charts);
    Panel() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(charts, 1);
        layout->addWidget(bar);
        auto store = std::make_shared<SampleStore>();
        store->Reset(2, 1000);
        std::vector<std::int16_t> codes(1000);
        for (std::size_t i = 0; i < codes.size(); ++i)
            codes[i] = static_cast<std::int16_t>(i % 50);
        store->Append(0, codes);
        store->Append(1, codes);
        charts->SetStartTime(*EncodeDateTime({2026, 12, 8, 9, 30, 15, 250}));
        charts->SetBurst(store, {{{1, 0, 0.001}, "a"}, {{1, 0, 0.001}, "b"}});
        window.resize(800, 500);
        window.show();
    }
    QColor Corner() const { return charts->toPixmap(100, 100).toImage().pixelColor(1, 1); }
    QCPAxis* Time() const { return charts->ChartRect(1)->axis(QCPAxis::atBottom); }
    QStringList Labels() const {
        charts->replot(QCustomPlot::rpImmediateRefresh);
        return Time()->tickVectorLabels().toList();
    }
};

} // namespace

class ChartPanelTest : public QObject {
    Q_OBJECT
private slots:
    // Value labels never crowd a short chart: fewer ticks asked for, never fewer than two.
    void valueTicksFollowTheHeight() {
        Panel p;
        int before = 0;
        for (const int height : {1200, 400, 120}) {
            p.window.resize(800, height);
            QApplication::processEvents();
            const int ticks = p.charts->ChartRect(0)->axis(QCPAxis::atLeft)->ticker()->tickCount();
            QVERIFY(ticks >= 2 && ticks <= 5);
            if (before != 0)
                QVERIFY2(ticks <= before, qPrintable(QString::number(height)));
            before = ticks;
        }
        QCOMPARE(before, 2);
    }

    void unitFollowsTheSpan() {
        const struct {
            double Span;
            const char* Unit;
        } cases[] = {{3600, "s"},   {1, "s"},         {0.999, "ms"},
                     {0.001, "ms"}, {0.000999, "µs"}, {1e-8, "µs"}};
        for (const auto& c : cases)
            QCOMPARE(TimeUnitFor(c.Span).Name, QString::fromUtf8(c.Unit));
    }

    // Each mode's title and ticks over a view of the burst.
    void labelsOfEachMode() {
        Panel p;
        const struct {
            TimeAxisMode Mode;
            double Lower, Upper;
            const char* Title;
            QStringList Has; // among the tick labels
        } cases[] = {
            {TimeAxisMode::Seconds, 0, 0.999, "時間 [ms]", {"0", "200", "400", "800"}},
            {TimeAxisMode::Seconds, 0.1, 0.1005, "時間 [µs]", {"100100", "100200"}},
            {TimeAxisMode::Clock, 0, 0.999, "時刻", {"09:30:15.400", "09:30:16.000"}},
            {TimeAxisMode::Clock, 0.9, 0.9001, "時刻", {"09:30:16.15002"}},
            {TimeAxisMode::SampleIndex, 0, 0.999, "サンプル番号", {"0", "200", "800"}},
            {TimeAxisMode::SampleIndex, 0.5, 0.503, "サンプル番号", {"500", "501", "503"}},
        };
        for (const auto& c : cases) {
            p.charts->SetTimeAxisMode(c.Mode);
            p.charts->SetTimeRange(c.Lower, c.Upper);
            const QStringList labels = p.Labels();
            QCOMPARE(p.Time()->label(), QString::fromUtf8(c.Title));
            for (const QString& label : c.Has)
                QVERIFY2(labels.contains(label), qPrintable(labels.join(u' ')));
        }
    }

    // The bar's handle is the view: it follows the keys and the wheel, and moving it pans.
    void scrollBarFollowsAndPans() {
        Panel p;
        QCOMPARE(p.bar->maximum(), 0); // all shown
        p.charts->SetTimeRange(0.2, 0.4);
        QCOMPARE(p.bar->pageStep(), 200);
        QCOMPARE(p.bar->maximum(), 999 - 200);
        QCOMPARE(p.bar->value(), 200);
        p.charts->PanTime(0.1);
        QCOMPARE(p.bar->value(), 220);
        QTest::keyClick(p.charts, Qt::Key_Left);
        QCOMPARE(p.bar->value(), 200);
        p.bar->setValue(500);
        QVERIFY(std::abs(p.charts->TimeRange().lower - 0.5) < 1e-9);
        QVERIFY(std::abs(p.charts->TimeRange().size() - 0.2) < 1e-9);
        p.charts->ZoomTime(2);
        QCOMPARE(p.bar->pageStep(), 100);
    }

    // A dark theme: no white block, lines in the channels' colours on the dark base.
    void followsTheWindowPalette() {
        QPalette dark;
        dark.setColor(QPalette::Base, QColor(0x1e1e1e));
        dark.setColor(QPalette::Text, QColor(0xe0e0e0));
        const QPalette before = QApplication::palette();
        QApplication::setPalette(dark);
        Panel p;
        QCOMPARE(p.Corner(), QColor(0x1e1e1e));
        QCOMPARE(p.Time()->tickLabelColor(), QColor(0xe0e0e0));
        for (int c = 0; c < 2; ++c) {
            QCOMPARE(p.charts->ChartGraph(c)->pen().color(), ChannelColour(c, QColor(0x1e1e1e)));
            QCOMPARE(p.charts->OverlayGraph(c)->pen().color().rgb(),
                     p.charts->ChartGraph(c)->pen().color().rgb());
            QVERIFY(p.charts->OverlayGraph(c)->pen().color().alpha() < 255);
        }
        QApplication::setPalette(before);
    }
};

QTEST_MAIN(ChartPanelTest)
#include "ChartPanelTest.moc"
