#include "ui/WaveformCharts.h"
#include "model/SDFdata.h"
#include "widgets/ChannelColours.h"
#include "widgets/FormFonts.h"

#include <QTest>
#include <QWidget>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

using namespace tavrel;

namespace {
struct Fixture {
    QWidget panel;
    MeasurementHeader header = DefaultMeasurementHeader();
    WaveformCharts charts{&panel, header};
    Fixture(int width, int height) {
        panel.resize(width, height);
        panel.show(); // a hidden widget gets its resize events only when shown
    }
    QRect Geometry(int k) const { return charts.Chart(k)->geometry(); }
    QString BottomTitle(int k) const { return charts.Chart(k)->xAxis->label(); }
    bool Visible(int k) const { return !charts.Chart(k)->isHidden(); }
};
// A pixel of the line: its hue, or the paler one of a line between two pixel rows; not the
// grey of the axes and the grid.
bool OfLine(const QColor& c, const QColor& pen) {
    return c.hsvSaturationF() > 0.1 && std::abs(c.hsvHueF() - pen.hsvHueF()) < 0.05;
}
} // namespace

class WaveformChartsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void oneChannelFillsPanel() {
        Fixture f(400, 300);
        f.header.ChannelCount = 1;
        f.charts.ChartPanelResize();
        f.charts.SetUpCharts("sec");
        QCOMPARE(f.Geometry(0), QRect(0, 0, 400, 300));
        QVERIFY(f.Visible(0));
        QVERIFY(!f.Visible(1) && !f.Visible(2) && !f.Visible(3));
        QCOMPARE(f.BottomTitle(0), QString("時間 (sec)"));
        QCOMPARE(f.charts.ChartTitle(0), QString("Ch.1"));
        QCOMPARE(f.charts.Chart(0)->yAxis->label(), QString("mV"));
    }

    void threeChannelsIntegerHeights_data() {
        QTest::addColumn<int>("panelHeight");
        QTest::newRow("363") << 363;
        QTest::newRow("364, bottom row empty") << 364;
    }
    void threeChannelsIntegerHeights() {
        QFETCH(int, panelHeight);
        Fixture f(500, panelHeight);
        f.header.ChannelCount = 3;
        f.charts.ChartPanelResize();
        f.charts.SetUpCharts("msec");
        for (int k = 0; k < 3; ++k)
            QCOMPARE(f.Geometry(k), QRect(0, 121 * k, 500, 121));
        QVERIFY(!f.Visible(3));
        QCOMPARE(f.BottomTitle(0), QString());
        QCOMPARE(f.BottomTitle(1), QString());
        QCOMPARE(f.BottomTitle(2), QString("時間 (msec)"));
        QCOMPARE(f.BottomTitle(3), QString());
    }

    void fourChannels() {
        Fixture f(300, 401);
        f.header.ChannelCount = 4;
        f.charts.ChartPanelResize();
        f.charts.SetUpCharts("min");
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(f.Geometry(k), QRect(0, 100 * k, 300, 100));
            QVERIFY(f.Visible(k));
        }
        QCOMPARE(f.BottomTitle(3), QString("時間 (min)"));
        QCOMPARE(f.BottomTitle(0), QString());
    }

    // Four charts in the window's panel, each a quarter high: every value axis shows at least
    // two ticks inside its range, far enough apart for their labels, whatever the amplitude.
    void quarterHighChartsShowTheirAmplitude_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("±0.99") << -0.99 << 0.99;
        QTest::newRow("±1.02") << -1.02 << 1.02;
        QTest::newRow("0..0.7") << 0.0 << 0.7;
        QTest::newRow("-4.9..4.8") << -4.9 << 4.8;
        QTest::newRow("995..1004") << 995.0 << 1004.0;
        QTest::newRow("±1e-4") << -1e-4 << 1e-4;
    }
    void quarterHighChartsShowTheirAmplitude() {
        QFETCH(double, low);
        QFETCH(double, high);
        Fixture f(416, 384 - 1);
        f.header.ChannelCount = 4;
        f.charts.ChartPanelResize();
        f.charts.SetUpCharts("msec");
        // Codes 0 and 1 scaled onto low and high.
        std::vector<std::int16_t> codes(64);
        for (int i = 0; i < 64; ++i)
            codes[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i % 2);
        for (int k = 0; k < 4; ++k)
            f.charts.AppendCodes(k, codes, 0, 64, {high - low, low, 1.0});
        f.charts.ReplotNow();
        for (int k = 0; k < 4; ++k) {
            QCPAxis* axis = f.charts.Chart(k)->yAxis;
            std::vector<double> inside;
            for (double t : axis->tickVector())
                if (axis->range().contains(t))
                    inside.push_back(t);
            QVERIFY2(inside.size() >= 2, qPrintable(QString("chart %1: %2 ticks in %3..%4")
                                                        .arg(k + 1)
                                                        .arg(inside.size())
                                                        .arg(axis->range().lower)
                                                        .arg(axis->range().upper)));
            // Labels apart: the digits' height and a pixel between.
            const int labelHeight =
                QFontMetrics(axis->tickLabelFont()).tightBoundingRect("-0123456789.").height() + 1;
            for (std::size_t i = 1; i < inside.size(); ++i) {
                const double apart =
                    std::abs(axis->coordToPixel(inside[i]) - axis->coordToPixel(inside[i - 1]));
                QVERIFY2(apart >= labelHeight,
                         qPrintable(QString("chart %1: ticks %2 px apart, labels %3 px high, %4 "
                                            "ticks, axis %5 px")
                                        .arg(k + 1)
                                        .arg(apart)
                                        .arg(labelHeight)
                                        .arg(inside.size())
                                        .arg(QString("%1 top %2 bottom %3 of %4")
                                                 .arg(axis->axisRect()->height())
                                                 .arg(axis->axisRect()->top())
                                                 .arg(axis->axisRect()->bottom())
                                                 .arg(f.charts.Chart(k)->height()))));
            }
        }
    }

    // The level on the trigger channel's chart in the unit the series plots, kept in sight; the
    // trigger scan at its time on every chart once the codes give that time; a set-up takes
    // both away.
    void triggerLinesMarkLevelAndScan_data() {
        QTest::addColumn<bool>("triggered");
        QTest::addColumn<int>("channel");
        QTest::addColumn<qint64>("scan");
        QTest::newRow("channel 1, scan 10") << true << 0 << qint64(10);
        QTest::newRow("channel 3, scan 0") << true << 2 << qint64(0);
        QTest::newRow("channel 2, not yet") << true << 1 << qint64(-1);
        QTest::newRow("schedule") << false << 1 << qint64(10);
    }
    void triggerLinesMarkLevelAndScan() {
        QFETCH(bool, triggered);
        QFETCH(int, channel);
        QFETCH(qint64, scan);
        Fixture f(400, 400);
        f.header.ChannelCount = 3;
        f.charts.ChartPanelResize();
        f.charts.SetUpCharts("msec");
        TriggerSettings trigger;
        trigger.Start = triggered ? BurstStart::Trigger : BurstStart::Schedule;
        trigger.Channel = channel;
        trigger.Level = 20; // above every value: -1 to 8.5
        f.charts.ShowTrigger(trigger, scan);
        QVERIFY(!f.charts.ScanLine(0)->visible()); // no time of a scan before the codes
        std::vector<std::int16_t> codes(20);
        for (int i = 0; i < 20; ++i)
            codes[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i);
        for (int k = 0; k < 3; ++k)
            f.charts.AppendCodes(k, codes, 0, 20, {0.5, -1, 0.25});
        f.charts.ReplotNow();
        for (int k = 0; k < 4; ++k) {
            const QCPItemStraightLine* level = f.charts.LevelLine(k);
            QCOMPARE(level->visible(), triggered && k == channel);
            QCOMPARE(level->point1->coords().y(), 20.0);
            QCOMPARE(level->point2->coords().y(), 20.0);
            QCOMPARE(level->pen().style(), Qt::DashLine);
            const QCPItemStraightLine* at = f.charts.ScanLine(k);
            QCOMPARE(at->visible(), triggered && scan >= 0);
            QCOMPARE(at->point1->coords().x(), static_cast<double>(scan) * 0.25);
            QCOMPARE(at->point2->coords().x(), static_cast<double>(scan) * 0.25);
            if (k < 3)
                QCOMPARE(f.charts.Chart(k)->yAxis->range().contains(20), triggered && k == channel);
        }
        f.charts.SetUpCharts("msec");
        for (int k = 0; k < 4; ++k)
            QVERIFY(!f.charts.LevelLine(k)->visible() && !f.charts.ScanLine(k)->visible());
    }

    // A typed count of 6: four charts of a sixth each, no time title, channels 5 and 6 dropped.
    void sixChannels() {
        Fixture f(300, 360);
        f.header.ChannelCount = 6;
        f.charts.ChartPanelResize();
        f.charts.SetUpCharts("sec");
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(f.Geometry(k), QRect(0, 60 * k, 300, 60));
            QVERIFY(f.Visible(k));
            QCOMPARE(f.BottomTitle(k), QString());
        }
        const std::vector<std::int16_t> codes{1, 2};
        f.charts.AppendCodes(4, codes, 0, 2, {});
        f.charts.AppendCodes(5, codes, 0, 2, {});
        for (int k = 0; k < 4; ++k)
            QCOMPARE(f.charts.Series(k)->dataCount(), 0);
    }

    // Charts beyond the count keep their place; hidden charts get their titles too.
    void hiddenChartsKeepGeometryAndGetTitles() {
        Fixture f(300, 400);
        f.header.ChannelCount = 4;
        f.charts.ChartPanelResize();
        f.header.ChannelCount = 2;
        f.header.ChannelName[3].Assign("Ch.4x");
        f.header.ChannelUnit[3].Assign("V");
        f.panel.resize(300, 240);
        QCOMPARE(f.Geometry(0), QRect(0, 0, 300, 120));
        QCOMPARE(f.Geometry(1), QRect(0, 120, 300, 120));
        QCOMPARE(f.Geometry(2), QRect(0, 200, 300, 100));
        QCOMPARE(f.Geometry(3), QRect(0, 300, 300, 100));
        f.charts.SetUpCharts("sec");
        QVERIFY(!f.Visible(3));
        QCOMPARE(f.charts.ChartTitle(3), QString("Ch.4x"));
        QCOMPARE(f.charts.Chart(3)->yAxis->label(), QString("V"));
        QCOMPARE(f.BottomTitle(1), QString("時間 (sec)"));
    }

    void zeroAndNegativeCounts() {
        Fixture f(200, 300);
        f.header.ChannelCount = 0;
        f.charts.ChartPanelResize();
        QCOMPARE(f.header.ChannelCount, 0); // the charts only read the header
        QCOMPARE(f.Geometry(0), QRect(0, 0, 200, 300));
        f.header.ChannelCount = -2;
        f.panel.resize(200, 100);
        QCOMPARE(f.Geometry(0), QRect(0, 0, 200, 100));
        f.charts.SetUpCharts("sec");
        QVERIFY(f.Visible(0) && !f.Visible(1));
        for (int k = 0; k < 4; ++k)
            QCOMPARE(f.BottomTitle(k), QString());
    }

    // The header's owner amends it before each layout: what it stores is what the set-up sees.
    void ownerAmendsTheHeaderBeforeEachLayout() {
        QWidget panel;
        MeasurementHeader header = DefaultMeasurementHeader();
        header.ChannelCount = 0;
        int layouts = 0;
        WaveformCharts charts(&panel, header, [&] {
            ++layouts;
            header.ChannelCount = 1;
        });
        panel.resize(200, 300);
        panel.show();
        QVERIFY(layouts >= 1);
        QCOMPARE(charts.Chart(0)->geometry(), QRect(0, 0, 200, 300));
        charts.SetUpCharts("msec");
        QCOMPARE(charts.Chart(0)->xAxis->label(), QString("時間 (msec)"));
        QVERIFY(!charts.Chart(0)->isHidden() && charts.Chart(1)->isHidden());
    }

    void shiftJisTitles() {
        Fixture f(200, 200);
        f.header.ChannelName[0].Assign(*Utf8ToCp932("温度センサ"));
        f.header.ChannelUnit[0].Assign(*Utf8ToCp932("℃"));
        f.charts.SetUpCharts("sec");
        QCOMPARE(f.charts.ChartTitle(0), QString("温度センサ"));
        QCOMPARE(f.charts.Chart(0)->yAxis->label(), QString("℃"));
    }

    // Every code is drawn, ranges follow the codes in physical units, and the set-up empties
    // all series.
    void appendKeepsEveryCodeAndEmpties() {
        Fixture f(400, 300);
        f.header.ChannelCount = 2;
        f.charts.SetUpCharts("sec");
        // No numbers on the axes of charts that have shown nothing yet.
        QVERIFY(!f.charts.Chart(0)->yAxis->tickLabels());
        QVERIFY(!f.charts.Chart(0)->xAxis->tickLabels());
        std::vector<std::int16_t> codes(3200);
        for (int fetch = 0; fetch < 100; ++fetch) {
            for (int i = 0; i < 32; ++i)
                codes[static_cast<std::size_t>(fetch * 32 + i)] =
                    static_cast<std::int16_t>((i % 2 ? -3 : 5) + fetch);
            f.charts.AppendCodes(0, codes, fetch * 32, fetch * 32 + 32, {1.0, 0.0, 0.1});
            f.charts.AppendCodes(1, codes, fetch * 32, fetch * 32 + 32, {-2.0, 10.0, 0.1});
        }
        QCOMPARE(f.charts.Series(0)->dataCount(), 3200);
        QCOMPARE(f.charts.Series(1)->dataCount(), 3200);
        QCOMPARE(f.charts.Series(0)->dataMainKey(3199), 3199 * 0.1);
        QCOMPARE(f.charts.Series(0)->dataMainValue(3199), 99.0 - 3);
        QCOMPARE(f.charts.Series(1)->dataMainValue(3199), -2.0 * (99 - 3) + 10);
        f.charts.ReplotNow();
        QVERIFY(f.charts.Chart(0)->yAxis->tickLabels());
        QVERIFY(f.charts.Chart(1)->xAxis->tickLabels());
        const QCPRange xr = f.charts.Chart(0)->xAxis->range();
        const QCPRange yr = f.charts.Chart(0)->yAxis->range();
        QCOMPARE(xr.lower, 0.0);
        QCOMPARE(xr.upper, 3199 * 0.1);
        QCOMPARE(yr.lower, -3.0);
        QCOMPARE(yr.upper, 104.0);
        // A negative A turns the codes' range over.
        QCOMPARE(f.charts.Chart(1)->yAxis->range().lower, -2.0 * 104 + 10);
        QCOMPARE(f.charts.Chart(1)->yAxis->range().upper, -2.0 * -3 + 10);
        // Nothing is kept per code: the summaries are a small part of the codes' own size.
        QVERIFY(f.charts.MemoryBytes() < 3200 * 2 * 2 / 8);

        f.charts.SetUpCharts("sec");
        for (int k = 0; k < 4; ++k)
            QCOMPARE(f.charts.Series(k)->dataCount(), 0);
        const std::vector<std::int16_t> one{7};
        f.charts.AppendCodes(0, one, 0, 1, {});
        f.charts.ReplotNow();
        QCOMPARE(f.charts.Series(0)->dataMainKey(0), 0.0);
        QVERIFY(f.charts.Chart(0)->yAxis->range().contains(7.0));
    }

    // Drawing thins a long burst to a few points per pixel column, but a single-sample peak
    // still reaches the screen, and error data leaves a gap.
    void thinnedDrawingKeepsPeaksAndGaps() {
        Fixture f(400, 300);
        f.charts.SetUpCharts("sec");
        const int n = 200000;
        std::vector<std::int16_t> codes(n, 0);
        codes[123457] = 1000;
        codes[50001] = -500;
        // A stretch of error data some pixel columns wide.
        std::fill(codes.begin() + 160000, codes.begin() + 170000, ErrorData);
        for (int start = 0; start < n; start += 32000)
            f.charts.AppendCodes(0, codes, start, std::min(n, start + 32000), {1.0, 0.0, 0.01});
        f.charts.ReplotNow();
        QCustomPlot* chart = f.charts.Chart(0);
        QCOMPARE(f.charts.Series(0)->dataCount(), n);
        QVERIFY(std::isnan(f.charts.Series(0)->dataMainValue(165000)));
        const QImage image = chart->toPixmap(chart->width(), chart->height()).toImage();
        const QColor pen = f.charts.Series(0)->pen().color();
        auto lineNear = [&](double key, double value) {
            const int px = static_cast<int>(chart->xAxis->coordToPixel(key));
            const int py = static_cast<int>(chart->yAxis->coordToPixel(value));
            for (int dx = -2; dx <= 2; ++dx)
                for (int dy = -2; dy <= 2; ++dy)
                    if (OfLine(image.pixelColor(px + dx, py + dy), pen))
                        return true;
            return false;
        };
        QVERIFY(lineNear(123457 * 0.01, 1000.0));
        QVERIFY(lineNear(50001 * 0.01, -500.0));
        QVERIFY(lineNear(n * 0.01 * 0.02, 0.0)); // beside the value axis's tick at 0
        QVERIFY(lineNear((n - 1) * 0.01, 0.0));
        QVERIFY(lineNear(155000 * 0.01, 0.0));
        QVERIFY(!lineNear(100000 * 0.01, 1000.0)); // no peak drawn where there is none
        QVERIFY(!lineNear(165000 * 0.01, 0.0));    // the gap
    }

    // Zoomed in to fewer codes than pixels, every code is a point of the line.
    void fewCodesAreDrawnOneByOne() {
        Fixture f(400, 300);
        f.charts.SetUpCharts("sec");
        std::vector<std::int16_t> codes(40, 10);
        codes[5] = -20;
        codes[20] = 100;
        codes[30] = ErrorData;
        f.charts.AppendCodes(0, codes, 0, 40, {0.5, 1.0, 2.0});
        f.charts.ReplotNow();
        QCustomPlot* chart = f.charts.Chart(0);
        QCOMPARE(chart->yAxis->range().lower, -9.0);
        QCOMPARE(chart->yAxis->range().upper, 51.0);
        const QImage image = chart->toPixmap(chart->width(), chart->height()).toImage();
        auto line = [&](double key, double value) {
            return OfLine(image.pixelColor(static_cast<int>(chart->xAxis->coordToPixel(key)),
                                           static_cast<int>(chart->yAxis->coordToPixel(value))),
                          f.charts.Series(0)->pen().color());
        };
        QVERIFY(line(20 * 2.0, 51.0));
        QVERIFY(line(10 * 2.0, 6.0));
        QVERIFY(line(19.5 * 2.0, 28.5)); // the line between two codes
        QVERIFY(!line(30 * 2.0, 6.0));   // error data: no line through it
        QVERIFY(line(35 * 2.0, 6.0));
    }

    // Many fetches in a row give one replot, later, not one per fetch.
    void replotsAreThrottled() {
        Fixture f(400, 300);
        f.charts.SetUpCharts("sec");
        const int before = f.charts.ReplotCount();
        const std::vector<std::int16_t> codes(200 * 32, 1);
        for (int fetch = 0; fetch < 200; ++fetch)
            f.charts.AppendCodes(0, codes, fetch * 32, fetch * 32 + 32, {});
        QCOMPARE(f.charts.ReplotCount(), before);
        QTRY_COMPARE_WITH_TIMEOUT(f.charts.ReplotCount(), before + 1, 1000);
        QTest::qWait(WaveformCharts::ReplotIntervalMs * 3);
        QCOMPARE(f.charts.ReplotCount(), before + 1); // nothing new, nothing drawn
    }

    void appearance() {
        Fixture f(200, 200);
        QCustomPlot* chart = f.charts.Chart(0);
        const QColor base = f.panel.palette().color(QPalette::Base);
        QCOMPARE(chart->toPixmap(200, 200).toImage().pixelColor(1, 1), base);
        QVERIFY(!chart->legend->visible());
        QCOMPARE(f.charts.Series(0)->pen().color(), ChannelColour(0, base));
        QCOMPARE(f.charts.Series(0)->lineStyle(), QCPGraph::lsLine);
        QCOMPARE(f.charts.Series(0)->scatterStyle().shape(), QCPScatterStyle::ssNone);
        QCOMPARE(chart->xAxis->labelFont().family(), QString("ＭＳ Ｐ明朝"));
        QCOMPARE(chart->xAxis->labelFont().pixelSize(), 12);
        // Tick labels in the window's (sans-serif) font at its size.
        for (QCPAxis* axis : {chart->xAxis, chart->yAxis})
            QCOMPARE(axis->tickLabelFont(), f.panel.font());
        QCOMPARE(chart->objectName(), QString("Chart1"));
    }

    // A dark theme: the charts take its colours, each channel its own line colour.
    void followTheWindowPalette() {
        Fixture f(300, 400);
        f.header.ChannelCount = 4;
        f.charts.ChartPanelResize();
        f.charts.SetUpCharts("sec");
        QPalette dark;
        dark.setColor(QPalette::Base, QColor(0x202020));
        dark.setColor(QPalette::Text, QColor(0xeeeeee));
        const QPalette before = f.panel.palette();
        f.panel.setPalette(dark);
        for (int k = 0; k < 4; ++k) {
            QCustomPlot* chart = f.charts.Chart(k);
            QCOMPARE(chart->toPixmap(100, 100).toImage().pixelColor(1, 1), QColor(0x202020));
            QCOMPARE(chart->yAxis->tickLabelColor(), QColor(0xeeeeee));
            QCOMPARE(f.charts.Series(k)->pen().color(), ChannelColour(k, QColor(0x202020)));
            QCOMPARE(f.charts.LevelLine(k)->pen().color(), QColor(0xeeeeee));
        }
        f.panel.setPalette(before);
        QCOMPARE(f.charts.Chart(0)->toPixmap(100, 100).toImage().pixelColor(1, 1),
                 before.color(QPalette::Base));
    }

    // The lowest chart carries the time axis title, yet its plot is as high as the others'.
    void plotsEquallyHigh() {
        const struct {
            int Channels, PanelHeight;
        } cases[] = {{2, 400}, {3, 600}, {4, 800}, {4, 400}};
        for (const auto& c : cases) {
            Fixture f(400, c.PanelHeight);
            f.header.ChannelCount = static_cast<std::int16_t>(c.Channels);
            f.charts.ChartPanelResize();
            f.charts.SetUpCharts("sec");
            const std::vector<std::int16_t> codes{0, 5, -3, 8};
            for (int k = 0; k < c.Channels; ++k)
                f.charts.AppendCodes(k, codes, 0, 4, {1, 0, 1});
            f.charts.ReplotNow();
            for (int k = 0; k < c.Channels; ++k)
                f.charts.Chart(k)->replot(QCustomPlot::rpImmediateRefresh);
            const QRect lowest = f.charts.Chart(c.Channels - 1)->axisRect()->rect();
            for (int k = 0; k + 1 < c.Channels; ++k)
                QCOMPARE(f.charts.Chart(k)->axisRect()->rect(), lowest);
        }
    }
};

QTEST_MAIN(WaveformChartsTest)
#include "WaveformChartsTest.moc"
