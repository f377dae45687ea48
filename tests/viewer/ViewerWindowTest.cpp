#include "viewer/ViewerWindow.h"

#include "../datafiles/OldSdfBuilder.h"
#include "TestSupport.h"
#include "datafiles/DataFileWriter.h"
#include "datafiles/h5/H5Layout.h"
#include "datafiles/h5/H5Writer.h"
#include "text/DateTime.h"
#include "viewer/ChartPanel.h"
#include "viewer/RecentFiles.h"
#include "viewer/ViewerFiles.h"
#include "widgets/FormFonts.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>

using namespace tavrel;
using namespace tavrel::test;

namespace {

QString Text(const QWidget& window, const char* name) {
    auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    if (!label)
        qFatal("no label %s", name);
    return label->text();
}

template <typename T> T* Find(const QWidget& window, const char* name) {
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no %s", name);
    return child;
}

QString Cell(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

// A window over its own recent-files list, messages recorded.
struct Viewer {
    TempDir dir;
    RecordingPrompter prompter;
    std::unique_ptr<ViewerWindow> window;
    explicit Viewer(const QString& settings = QString()) {
        ViewerOptions options;
        options.RecentFilesSettings =
            settings.isEmpty() ? QString::fromStdString(dir.File("view.ini")) : settings;
        window = std::make_unique<ViewerWindow>(options);
        window->RedirectMessages(&prompter);
        window->resize(1024, 720);
        window->show();
    }
    std::string File(const char* name) const { return dir.File(name); }
    ChartPanel& Charts() const { return window->Charts(); }
    // Lets the layout give the charts their widths and draws once.
    void Draw() const { Charts().replot(QCustomPlot::rpImmediateRefresh); }
};

// The physical value of a code of channel c, and the statistics worked out the plain way.
double Physical(int c, std::int16_t code) {
    return static_cast<double>(ViewerA[c]) * code + static_cast<double>(ViewerB[c]);
}

struct Expected {
    std::int64_t count = 0;
    double min = 0, max = 0, mean = 0, rms = 0;
};

Expected BruteForce(int burst, int c, std::int64_t from, std::int64_t to) {
    Expected e;
    double sum = 0, squares = 0;
    for (std::int64_t i = std::min(from, to); i <= std::max(from, to); ++i) {
        const std::int16_t code = ViewerCode(burst, c, static_cast<int>(i));
        if (code == ErrorData)
            continue;
        const double v = Physical(c, code);
        e.min = e.count ? std::min(e.min, v) : v;
        e.max = e.count ? std::max(e.max, v) : v;
        sum += v;
        squares += v * v;
        ++e.count;
    }
    e.mean = sum / static_cast<double>(e.count);
    e.rms = std::sqrt(squares / static_cast<double>(e.count));
    return e;
}

bool Near(double a, double b) {
    return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(a));
}

// Every statistic of every channel of burst against the plain sums, between samples from and
// to, and the table's texts against them.
void CheckStatistics(const ViewerWindow& window, int burst, std::int64_t from, std::int64_t to) {
    const auto& statistics = window.Statistics();
    QCOMPARE(static_cast<int>(statistics.size()), ViewerChannels);
    const auto* table = Find<QTableWidget>(window, "StatisticsTable");
    for (int c = 0; c < ViewerChannels; ++c) {
        const Expected e = BruteForce(burst, c, from, to);
        const ChannelStatistics& s = statistics[static_cast<std::size_t>(c)];
        QCOMPARE(s.Count, e.count);
        QVERIFY2(Near(s.Min, e.min), qPrintable(QString::number(c)));
        QVERIFY(Near(s.Max, e.max));
        QVERIFY(Near(s.Mean, e.mean));
        QVERIFY(Near(s.Rms, e.rms));
        QVERIFY(Near(s.PeakToPeak, e.max - e.min));
        const std::int16_t at1 = ViewerCode(burst, c, static_cast<int>(from));
        const std::int16_t at2 = ViewerCode(burst, c, static_cast<int>(to));
        // The value at each cursor, or a dash on error data.
        QCOMPARE(Cell(table, c, 8), at1 == ErrorData ? QStringLiteral("―")
                                                     : QString::number(Physical(c, at1), 'g', 7));
        QCOMPARE(Cell(table, c, 9), at2 == ErrorData ? QStringLiteral("―")
                                                     : QString::number(Physical(c, at2), 'g', 7));
        if (at1 == ErrorData || at2 == ErrorData) {
            QVERIFY(!s.DeltaY);
            QCOMPARE(Cell(table, c, 1), QStringLiteral("―"));
        } else {
            QVERIFY(s.DeltaY);
            QVERIFY(Near(*s.DeltaY, Physical(c, at2) - Physical(c, at1)));
        }
        QCOMPARE(Cell(table, c, 2), QString::number(e.min, 'g', 7));
        QCOMPARE(Cell(table, c, 3), QString::number(e.max, 'g', 7));
        QCOMPARE(Cell(table, c, 7), QString::number(e.count));
    }
}

} // namespace

class ViewerWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void showsHeaderBurstsAndCharts_data() {
        QTest::addColumn<int>("type");
        QTest::newRow("sdf") << static_cast<int>(DataFileType::Sdf);
        QTest::newRow("tsd") << static_cast<int>(DataFileType::Tsd);
        QTest::newRow("hdf5") << static_cast<int>(DataFileType::Hdf5);
    }
    void showsHeaderBurstsAndCharts() {
        QFETCH(int, type);
        Viewer v;
        const std::string name = type == 0 ? "m.sdf" : type == 1 ? "m.tsd" : "m.h5";
        const std::string file = v.File(name.c_str());
        WriteViewerFile(static_cast<DataFileType>(type), file);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        QVERIFY(v.prompter.Messages.empty());
        const ViewerWindow& w = *v.window;
        QCOMPARE(Text(w, "CommentText"), QStringLiteral("振動試験 第3回"));
        QCOMPARE(Text(w, "StartTimeText"), QStringLiteral("2026/12/08 09:30:15"));
        QCOMPARE(Text(w, "SamplingText"), QStringLiteral("1 msec"));
        QCOMPARE(Text(w, "SampleCountText"), QStringLiteral("1000"));
        QCOMPARE(Text(w, "BurstIntervalText"), QStringLiteral("1 hr"));
        QCOMPARE(Text(w, "BurstCountText"), QStringLiteral("3"));
        QCOMPARE(Text(w, "FormatText"), type == 0   ? QStringLiteral("sdf バージョン 4")
                                        : type == 1 ? QStringLiteral("tsd")
                                                    : QStringLiteral("hdf5"));
        const auto* channels = Find<QTableWidget>(w, "ChannelTable");
        QCOMPARE(channels->rowCount(), 4);
        QCOMPARE(Cell(channels, 1, 1), QStringLiteral("温度"));
        QCOMPARE(Cell(channels, 1, 2), QStringLiteral("℃"));
        QCOMPARE(Cell(channels, 3, 3), QStringLiteral("-0.125"));
        QCOMPARE(Cell(channels, 0, 4), QStringLiteral("-1"));

        const QAbstractItemModel* bursts = Find<QTreeView>(w, "BurstList")->model();
        QCOMPARE(bursts->rowCount(), 3);
        QCOMPARE(bursts->index(0, 0).data().toString(), QStringLiteral("1  2026/12/08 09:30:15"));
        QCOMPARE(bursts->index(2, 0).data().toString(), QStringLiteral("3  2026/12/08 11:30:15"));
        QCOMPARE(w.ShownBurst(), 0);

        QCOMPARE(v.Charts().Charts(), 4);
        QCOMPARE(v.Charts().ChartRect(2)->axis(QCPAxis::atLeft)->label(),
                 QStringLiteral("加速度 [m/s2]"));
        QCOMPARE(v.Charts().Samples(), ViewerSamples);
        // Fit all: the whole burst in time, every value of a channel inside its chart.
        const QCPRange time = v.Charts().TimeRange();
        QCOMPARE(time.lower, 0.0);
        QVERIFY(Near(time.upper, 0.999));
        for (int c = 0; c < ViewerChannels; ++c) {
            const Expected e = BruteForce(0, c, 0, ViewerSamples - 1);
            const QCPRange values = v.Charts().ChartRect(c)->axis(QCPAxis::atLeft)->range();
            QVERIFY(values.lower < e.min && e.max < values.upper);
            QVERIFY(values.size() < 1.5 * (e.max - e.min));
        }
        // The window's title names the file.
        QVERIFY(w.windowTitle().endsWith(QString::fromStdString(name)));
    }

    // A recording in progress: the bursts recorded after the file was opened are listed as they
    // land, the burst shown stays.
    void aRecordingInProgressGrowsItsList() {
        Viewer v;
        const std::string file = v.File("live.h5");
        const MeasurementHeader h = ViewerHeader();
        h5::Writer recorder(file, file, true);
        recorder.SetAttributes(H5AttributesOf(h, "test"));
        recorder.SetChannels(H5ChannelsOf(h, {}));
        auto addBurst = [&](int k) {
            std::vector<float> values;
            for (int i = 0; i < ViewerSamples; ++i)
                for (int c = 0; c < ViewerChannels; ++c)
                    values.push_back(static_cast<float>(ViewerCode(k, c, i)));
            recorder.AppendScans(values);
            recorder.AppendBurst(
                {std::int64_t{k} * ViewerSamples, ViewerSamples, 0, 0, BurstEnd::Complete, {}});
            recorder.Flush();
        };
        addBurst(0);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        const QAbstractItemModel* bursts = Find<QTreeView>(*v.window, "BurstList")->model();
        QCOMPARE(bursts->rowCount(), 1);
        QVERIFY(!v.window->RefreshFile());
        addBurst(1);
        addBurst(2);
        QVERIFY(v.window->RefreshFile());
        QCOMPARE(bursts->rowCount(), 3);
        QCOMPARE(Text(*v.window, "BurstCountText"), QStringLiteral("3"));
        QCOMPARE(v.window->ShownBurst(), 0);
        QVERIFY(v.window->ShowBurst(2));
        QCOMPARE(v.Charts().Samples(), ViewerSamples);
        recorder.Close();
        QVERIFY(v.prompter.Messages.empty());
    }

    void readsOldSdfVersionsInTheirLayout() {
        for (int version = 1; version <= 3; ++version) {
            Viewer v;
            MeasurementHeader h = ViewerHeader();
            h.BurstCount = 2;
            std::vector<std::vector<std::int16_t>> blocks;
            for (int k = 0; k < 2; ++k) {
                // Scan by scan, the channels side by side.
                std::vector<std::int16_t> block;
                for (int i = 0; i < ViewerSamples; ++i)
                    for (int c = 0; c < ViewerChannels; ++c)
                        block.push_back(ViewerCode(k, c, i));
                // The old marker of error data (32767), at scan 7 of channel 1.
                if (k == 0)
                    block[7 * ViewerChannels] = 32767;
                blocks.push_back(block);
            }
            const std::string file = v.File("old.sdf");
            const std::string bytes = BuildSdf(version, h, blocks);
            WriteBytes(file, bytes);
            QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
            QCOMPARE(Text(*v.window, "FormatText"),
                     QStringLiteral("sdf バージョン %1").arg(version));
            QCOMPARE(Text(*v.window, "BurstCountText"), QStringLiteral("2"));
            QVERIFY(v.window->ShowBurst(1));
            v.Charts().SetCursors(0, 0.999);
            CheckStatistics(*v.window, 1, 0, 999);
            // The viewer never writes: the old file is as it was.
            QCOMPARE(ReadBytes(file), bytes);
            QVERIFY(v.window->ShowBurst(0));
            QCOMPARE(v.window->Statistics()[0].Count, ViewerSamples - 1);
        }
    }

    void cursorStatisticsAgainstBruteForce() {
        Viewer v;
        const std::string file = v.File("m.sdf");
        WriteViewerFile(DataFileType::Sdf, file);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        v.Charts().SetCursors(0.1234, 0.7);
        QCOMPARE(v.Charts().CursorSample(0), 123);
        QCOMPARE(v.Charts().CursorSample(1), 700);
        CheckStatistics(*v.window, 0, 123, 700);
        QCOMPARE(Find<QLabel>(*v.window, "CursorText")->text(),
                 QStringLiteral("カーソル1：0.123 s　カーソル2：0.7 s　Δt：0.577 s（578 サンプル）"
                                "　1/Δt：1.733102 Hz"));
        // Cursors the other way round, one of them on error data.
        v.Charts().SetCursors(0.95, 0.25);
        CheckStatistics(*v.window, 0, 950, 250);
        // Beyond the burst they stop at its ends.
        v.Charts().SetCursors(-5, 50);
        QCOMPARE(v.Charts().CursorSample(0), 0);
        QCOMPARE(v.Charts().CursorSample(1), ViewerSamples - 1);
        CheckStatistics(*v.window, 0, 0, ViewerSamples - 1);
        // Another burst: the statistics follow it.
        Find<QTreeView>(*v.window, "BurstList")
            ->setCurrentIndex(Find<QTreeView>(*v.window, "BurstList")->model()->index(2, 0));
        QCOMPARE(v.window->ShownBurst(), 2);
        CheckStatistics(*v.window, 2, 0, ViewerSamples - 1);
    }

    void errorDataAreGaps() {
        Viewer v;
        const std::string file = v.File("m.sdf");
        WriteViewerFile(DataFileType::Sdf, file);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        // Zoomed in, sample by sample: the error samples have no value, the others theirs.
        v.Charts().SetTimeRange(0.15, 0.35);
        v.Draw();
        const auto samples = v.Charts().ChartGraph(1)->data();
        QVERIFY(samples->size() > 190 && samples->size() < 260);
        int gaps = 0;
        for (const QCPGraphData& p : *samples) {
            const int i = static_cast<int>(std::lround(p.key * 1000));
            QVERIFY(std::abs(p.key * 1000 - i) < 1e-6);
            if (i >= GapFirst && i < GapEnd) {
                QVERIFY(std::isnan(p.value));
                ++gaps;
            } else
                QVERIFY(Near(p.value, Physical(1, ViewerCode(0, 1, i))));
        }
        QCOMPARE(gaps, GapEnd - GapFirst);
        // Other channels have no gap there.
        for (const QCPGraphData& p : *v.Charts().ChartGraph(0)->data())
            QVERIFY(!std::isnan(p.value));

        // All of it, narrower than the samples: pairs of lowest and highest per column, and
        // columns only over the error data are gaps.
        v.window->resize(700, 600);
        v.Charts().FitAll();
        v.Draw();
        const int columns = v.Charts().ChartRect(1)->width();
        QVERIFY(columns < ViewerSamples);
        const auto envelope = v.Charts().ChartGraph(1)->data();
        QVERIFY(envelope->size() > columns);
        int gapColumns = 0;
        double lo = 1e300, hi = -1e300;
        for (const QCPGraphData& p : *envelope) {
            if (std::isnan(p.value)) {
                QVERIFY(p.key > GapFirst * 0.001 && p.key < GapEnd * 0.001);
                ++gapColumns;
                continue;
            }
            lo = std::min(lo, p.value);
            hi = std::max(hi, p.value);
        }
        QVERIFY(gapColumns > 0);
        const Expected e = BruteForce(0, 1, 0, ViewerSamples - 1);
        // The envelope reaches the burst's extremes.
        QVERIFY(Near(lo, e.min));
        QVERIFY(Near(hi, e.max));
    }

    void overlayOfTwoBursts() {
        Viewer v;
        const std::string file = v.File("m.tsd");
        WriteViewerFile(DataFileType::Tsd, file);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        QVERIFY(!v.Charts().OverlayGraph(0)->visible());
        auto* box = Find<QComboBox>(*v.window, "OverlayBox");
        QCOMPARE(box->count(), 3);
        box->setCurrentIndex(2); // burst 3 over burst 1
        QVERIFY(v.Charts().OverlayGraph(0)->visible());
        // Drawn over the shown burst, dashed and see-through; the cursors solid.
        int shownAt = -1, overlayAt = -1; // graphs of one layer draw in their order
        for (int g = 0; g < v.Charts().graphCount(); ++g) {
            shownAt = v.Charts().graph(g) == v.Charts().ChartGraph(0) ? g : shownAt;
            overlayAt = v.Charts().graph(g) == v.Charts().OverlayGraph(0) ? g : overlayAt;
        }
        QVERIFY(shownAt >= 0 && overlayAt > shownAt);
        QCOMPARE(v.Charts().OverlayGraph(0)->layer(), v.Charts().ChartGraph(0)->layer());
        QVERIFY(v.Charts().OverlayGraph(0)->pen().style() == Qt::DashLine);
        QVERIFY(v.Charts().OverlayGraph(0)->pen().color().alpha() < 255);
        const QString legend = Find<QLabel>(*v.window, "Legend")->text();
        QVERIFY(legend.contains(QStringLiteral("バースト 1")));
        QVERIFY(legend.contains(QStringLiteral("バースト 3")));
        v.Charts().SetTimeRange(0.0, 0.1);
        v.Draw();
        const auto overlay = v.Charts().OverlayGraph(3)->data();
        QVERIFY(!overlay->isEmpty());
        for (const QCPGraphData& p : *overlay) {
            const int i = static_cast<int>(std::lround(p.key * 1000));
            QVERIFY(Near(p.value, Physical(3, ViewerCode(2, 3, i))));
        }
        QVERIFY(v.window->SetOverlayBurst(-1));
        QCOMPARE(box->currentIndex(), 0);
        QVERIFY(!v.Charts().OverlayGraph(0)->visible());
        QVERIFY(Find<QLabel>(*v.window, "Legend")->text().isEmpty());
    }

    // The list never offers the burst shown; showing the burst laid over takes it away.
    void overlayListLeavesOutTheShownBurst() {
        Viewer v;
        const std::string file = v.File("m.sdf");
        WriteViewerFile(DataFileType::Sdf, file);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        const auto* box = Find<QComboBox>(*v.window, "OverlayBox");
        const struct {
            std::int64_t Shown, Overlay; // what is asked for
            QStringList Items;
            QString Chosen;
        } cases[] = {
            {0, 2, {"なし", "バースト 2", "バースト 3"}, "バースト 3"},
            {1, 2, {"なし", "バースト 1", "バースト 3"}, "バースト 3"},
            {2, 0, {"なし", "バースト 1", "バースト 2"}, "バースト 1"},
            {0, -1, {"なし", "バースト 2", "バースト 3"}, "なし"},
        };
        for (const auto& c : cases) {
            QVERIFY(v.window->ShowBurst(c.Shown));
            v.window->SetOverlayBurst(c.Overlay);
            QStringList items;
            for (int i = 0; i < box->count(); ++i)
                items << box->itemText(i);
            QCOMPARE(items, c.Items);
            QCOMPARE(box->currentText(), c.Chosen);
        }
        QVERIFY(!v.window->SetOverlayBurst(0)); // the shown one
        QVERIFY(v.window->SetOverlayBurst(1));
        QVERIFY(v.window->ShowBurst(1));
        QCOMPARE(box->currentText(), QStringLiteral("なし"));
        QVERIFY(!v.Charts().OverlayGraph(0)->visible());
    }

    // The time axis chosen in the menu comes back in the next window.
    void timeAxisChoiceIsRemembered() {
        Viewer v;
        const QString ini = QString::fromStdString(v.File("view.ini"));
        QVERIFY(Find<QAction>(*v.window, "TimeSecondsAction")->isChecked());
        Find<QAction>(*v.window, "TimeClockAction")->trigger();
        QCOMPARE(v.Charts().TimeAxisModeShown(), TimeAxisMode::Clock);
        QVERIFY(Find<QAction>(*Viewer(ini).window, "TimeClockAction")->isChecked());
        Find<QAction>(*v.window, "TimeSampleAction")->trigger();
        QCOMPARE(Viewer(ini).Charts().TimeAxisModeShown(), TimeAxisMode::SampleIndex);
    }

    void zoomKeepsTheStatisticsAndFitAllReturns() {
        Viewer v;
        const std::string file = v.File("m.sdf");
        WriteViewerFile(DataFileType::Sdf, file);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        v.Draw();
        QCPAxisRect* rect = v.Charts().ChartRect(0);
        const QPoint centre = rect->rect().center();
        QWheelEvent wheel(centre, v.Charts().mapToGlobal(centre), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&v.Charts(), &wheel);
        const QCPRange zoomed = v.Charts().TimeRange();
        QVERIFY(zoomed.size() < 0.9);
        // Every chart follows the time axis of the one zoomed.
        for (int c = 1; c < ViewerChannels; ++c)
            QCOMPARE(v.Charts().ChartRect(c)->axis(QCPAxis::atBottom)->range(), zoomed);
        // Keys: + halves the time shown around its middle, Right moves by a tenth of it.
        v.Charts().SetTimeRange(0.2, 0.6);
        QTest::keyClick(&v.Charts(), Qt::Key_Plus);
        QVERIFY(Near(v.Charts().TimeRange().lower, 0.3) && Near(v.Charts().TimeRange().upper, 0.5));
        QTest::keyClick(&v.Charts(), Qt::Key_Right);
        QVERIFY(Near(v.Charts().TimeRange().lower, 0.32));
        QTest::keyClick(&v.Charts(), Qt::Key_Minus);
        QVERIFY(Near(v.Charts().TimeRange().size(), 0.4));
        QTest::keyClick(&v.Charts(), Qt::Key_Home);
        QVERIFY(Near(v.Charts().TimeRange().upper, 0.999));
        for (int c = 1; c < ViewerChannels; ++c)
            QCOMPARE(v.Charts().ChartRect(c)->axis(QCPAxis::atBottom)->range(),
                     v.Charts().TimeRange());

        // Far beyond the burst either way: nothing to draw, and nothing breaks.
        for (const double at : {1e200, -1e200}) {
            v.Charts().SetTimeRange(at, at + std::abs(at) / 2);
            v.Draw();
            QVERIFY(v.Charts().ChartGraph(0)->data()->isEmpty());
        }
        v.Charts().FitAll();
        QVERIFY(Near(v.Charts().TimeRange().upper, 0.999));
        v.Draw();
        QVERIFY(!v.Charts().ChartGraph(0)->data()->isEmpty());
    }

    void mouseMovesCursorsAndPans() {
        Viewer v;
        const std::string file = v.File("m.sdf");
        WriteViewerFile(DataFileType::Sdf, file);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        v.Draw();
        ChartPanel& charts = v.Charts();
        QCPAxisRect* rect = charts.ChartRect(1);
        const QCPAxis* time = rect->axis(QCPAxis::atBottom);
        const int y = rect->rect().center().y();
        const auto send = [&](QEvent::Type type, double x, Qt::MouseButton button,
                              Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {}) {
            const QPointF at(x, y);
            QMouseEvent event(type, at, charts.mapToGlobal(at), button, buttons, modifiers);
            QApplication::sendEvent(&charts, &event);
        };
        const auto pixel = [&](double seconds) { return time->coordToPixel(seconds); };

        // A double click puts cursor 1, a right click cursor 2, where the mouse is.
        send(QEvent::MouseButtonDblClick, pixel(0.1), Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonPress, pixel(0.8), Qt::RightButton, Qt::RightButton);
        send(QEvent::MouseButtonRelease, pixel(0.8), Qt::RightButton, Qt::NoButton);
        QVERIFY(std::abs(charts.CursorSample(0) - 100) <= 2);
        QVERIFY(std::abs(charts.CursorSample(1) - 800) <= 2);
        CheckStatistics(*v.window, 0, charts.CursorSample(0), charts.CursorSample(1));

        // Dragging cursor 2's line moves it, and the statistics follow.
        const double grab = pixel(static_cast<double>(charts.CursorSample(1)) * 0.001);
        send(QEvent::MouseButtonPress, grab + 2, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, pixel(0.5), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, pixel(0.5), Qt::LeftButton, Qt::NoButton);
        QVERIFY(std::abs(charts.CursorSample(1) - 500) <= 2);
        QVERIFY(std::abs(charts.CursorSample(0) - 100) <= 2);
        CheckStatistics(*v.window, 0, charts.CursorSample(0), charts.CursorSample(1));
        const QCPRange before = charts.TimeRange();
        QVERIFY(Near(before.upper, 0.999)); // moving a cursor zooms nothing

        // A middle drag pans by as much time as the mouse moved.
        send(QEvent::MouseButtonPress, pixel(0.6), Qt::MiddleButton, Qt::MiddleButton);
        send(QEvent::MouseMove, pixel(0.4), Qt::NoButton, Qt::MiddleButton);
        send(QEvent::MouseButtonRelease, pixel(0.4), Qt::MiddleButton, Qt::NoButton);
        const QCPRange panned = charts.TimeRange();
        QVERIFY(std::abs(panned.lower - (before.lower + 0.2)) < 0.01);
        QVERIFY(std::abs(panned.size() - before.size()) < 1e-9);
        for (int c = 0; c < ViewerChannels; ++c)
            QCOMPARE(charts.ChartRect(c)->axis(QCPAxis::atBottom)->range(), panned);
    }

    void badFileKeepsWhatIsShown() {
        Viewer v;
        const std::string good = v.File("m.sdf");
        WriteViewerFile(DataFileType::Sdf, good);
        QVERIFY(v.window->OpenFile(QString::fromStdString(good)));
        const std::string bad = v.File("bad.sdf");
        WriteBytes(bad, "not a data file\n");
        QVERIFY(!v.window->OpenFile(QString::fromStdString(bad)));
        QCOMPARE(v.prompter.Messages.size(), std::size_t{1});
        QCOMPARE(v.prompter.Messages[0].Kind, MessageKind::Error);
        QVERIFY(!v.prompter.Messages[0].Text.empty());
        QVERIFY(!v.window->OpenFile(QString::fromStdString(v.File("missing.sdf"))));
        QCOMPARE(v.prompter.Messages.size(), std::size_t{2});
        QCOMPARE(v.window->FileName(), QString::fromStdString(good));
        QCOMPARE(v.Charts().Charts(), 4);
        // Only what opened is remembered.
        QCOMPARE(RecentFiles(QString::fromStdString(v.File("view.ini"))).Files(),
                 QStringList{QString::fromStdString(good)});
    }

    void recentFilesNewestFirst() {
        TempDir settings;
        const QString ini = QString::fromStdString(settings.File("recent.ini"));
        QString first, second;
        {
            Viewer v(ini);
            first = QString::fromStdString(v.File("a.sdf"));
            second = QString::fromStdString(v.File("b.tsd"));
            WriteViewerFile(DataFileType::Sdf, first.toStdString());
            WriteViewerFile(DataFileType::Tsd, second.toStdString());
            QVERIFY(v.window->OpenFile(first));
            QVERIFY(v.window->OpenFile(second));
            QVERIFY(v.window->OpenFile(first));
            // A second window reads the same list and opens from its menu.
            Viewer other(ini);
            auto* menu = Find<QMenu>(*other.window, "RecentMenu");
            emit menu->aboutToShow();
            const auto actions = menu->actions();
            QCOMPARE(actions.size(), 2);
            QCOMPARE(actions[0]->text(), QStringLiteral("&1 ") + first);
            QCOMPARE(actions[1]->text(), QStringLiteral("&2 ") + second);
            actions[1]->trigger();
            QCOMPARE(other.window->FileName(), second);
        }
        QCOMPARE(RecentFiles(ini).Files(), (QStringList{second, first}));
        RecentFiles list(ini);
        for (int i = 0; i < RecentFiles::MaxFiles + 3; ++i)
            list.Add(QStringLiteral("/data/f%1.sdf").arg(i));
        QCOMPARE(list.Files().size(), RecentFiles::MaxFiles);
        QCOMPARE(list.Files().first(),
                 QStringLiteral("/data/f%1.sdf").arg(RecentFiles::MaxFiles + 2));
    }

    void exportOfTheCursorRange() {
        Viewer v;
        const std::string file = v.File("m.sdf");
        WriteViewerFile(DataFileType::Sdf, file);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        v.Charts().SetCursors(0.29, 0.19); // samples 190 to 290, across the gap of channel 2
        ExportRequest request;
        request.Scope = ExportScope::CursorRange;
        request.Format = ExportFormat::Csv;
        request.Out = QString::fromStdString(v.File("range.csv"));
        QVERIFY(v.window->Export(request));
        QVERIFY(v.prompter.Messages.empty());
        // The cursors are numbered; one off screen is pointed at from the edge.
        const struct {
            double Lower, Upper;
            const char* First;
            const char* Second;
        } views[] = {{0.0, 0.999, "1", "2"}, {0.2, 0.5, "1", "◀2"}, {0.0, 0.25, "1▶", "2"}};
        for (const auto& view : views) {
            v.Charts().SetTimeRange(view.Lower, view.Upper);
            QCOMPARE(v.Charts().CursorLabel(0), QString::fromUtf8(view.First));
            QCOMPARE(v.Charts().CursorLabel(1), QString::fromUtf8(view.Second));
        }

        std::istringstream csv(ReadBytes(v.File("range.csv")));
        std::string line;
        std::getline(csv, line);
        QVERIFY(line.starts_with("\xEF\xBB\xBF")); // UTF-8 with its byte-order mark
        QVERIFY(line.find("温度 [℃]") != std::string::npos);
        int rows = 0;
        while (std::getline(csv, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::vector<std::string> fields;
            std::stringstream row(line);
            for (std::string field; std::getline(row, field, ',');)
                fields.push_back(field);
            if (line.back() == ',')
                fields.emplace_back();
            QCOMPARE(static_cast<int>(fields.size()), 2 + ViewerChannels);
            const int i = 190 + rows;
            QVERIFY(Near(std::stod(fields[0]), i * 0.001));
            QCOMPARE(fields[1], std::string("1"));
            for (int c = 0; c < ViewerChannels; ++c) {
                const std::int16_t code = ViewerCode(0, c, i);
                const std::string& field = fields[static_cast<std::size_t>(2 + c)];
                if (code == ErrorData) {
                    QVERIFY(field.empty());
                    continue;
                }
                const double expected = Physical(c, code);
                // Seven significant digits, as the tsd file holds them.
                QVERIFY2(std::abs(std::stod(field) - expected) <=
                             5e-7 * std::max(1.0, std::abs(expected)),
                         field.c_str());
            }
            ++rows;
        }
        QCOMPARE(rows, 101);

        // Chosen bursts to HDF5: a file with the HDF5 signature.
        request.Scope = ExportScope::ChosenBursts;
        request.Bursts = {0, 2};
        request.Format = ExportFormat::Hdf5;
        request.Out = QString::fromStdString(v.File("two.h5"));
        QVERIFY(v.window->Export(request));
        QVERIFY(ReadBytes(v.File("two.h5")).starts_with("\x89HDF\r\n\x1a\n"));

        // A failure: a message, and nothing left behind.
        const auto before = v.dir.Names().size();
        request.Scope = ExportScope::ChosenBursts;
        request.Bursts = {7};
        request.Format = ExportFormat::Wav;
        request.Out = QString::fromStdString(v.File("w.wav"));
        QVERIFY(!v.window->Export(request));
        QCOMPARE(v.prompter.Messages.size(), std::size_t{1});
        QCOMPARE(v.prompter.Messages[0].Kind, MessageKind::Error);
        QCOMPARE(v.dir.Names().size(), before);
    }

    void anotherBurstFitsItsValuesAndAGrowingFileListsNewBursts() {
        Viewer v;
        const std::string file = v.File("g.sdf");
        SDFdata data;
        data.Header = ViewerHeader();
        data.AllocateBlockBuffers();
        const auto writer = MakeDataFileWriter(DataFileType::Sdf, file);
        writer->Begin(data.Header);
        auto append = [&](int k, std::int16_t amplitude) {
            for (auto& codes : data.BlockData)
                for (std::size_t i = 0; i < codes.size(); ++i)
                    codes[i] = static_cast<std::int16_t>(i % 2 ? amplitude : -amplitude);
            writer->AppendBlock(k, data);
        };
        append(0, 100);
        append(1, 30000);
        // A recording in progress: two of three blocks written.
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        const auto* list = Find<QTreeView>(*v.window, "BurstList");
        QCOMPARE(list->model()->rowCount(), 2);
        v.Charts().SetTimeRange(0.2, 0.4);
        QVERIFY(v.window->ShowBurst(1));
        QVERIFY(Near(v.Charts().TimeRange().lower, 0.2) && Near(v.Charts().TimeRange().upper, 0.4));
        const QCPRange big = v.Charts().ChartRect(0)->axis(QCPAxis::atLeft)->range();
        QVERIFY2(big.upper >= Physical(0, 30000) && big.lower <= Physical(0, -30000),
                 qPrintable(QStringLiteral("%1 %2").arg(big.lower).arg(big.upper)));
        QVERIFY(v.window->ShowBurst(0));
        QCOMPARE(v.Charts().Title(), QStringLiteral("バースト 1（2026/12/08 09:30:15）"));
        const QCPRange small = v.Charts().ChartRect(0)->axis(QCPAxis::atLeft)->range();
        QVERIFY2(small.size() < big.size() / 100, qPrintable(QString::number(small.size())));

        append(2, 50);
        QTRY_COMPARE(list->model()->rowCount(), 3);
        QCOMPARE(v.window->ShownBurst(), 0);
        QCOMPARE(list->currentIndex().row(), 0);
        QCOMPARE(Find<QComboBox>(*v.window, "OverlayBox")->count(), 3); // none and two others
        QVERIFY(v.window->ShowBurst(2));
        QCOMPARE(v.Charts().Title(), QStringLiteral("バースト 3（2026/12/08 11:30:15）"));
        writer->Release();
    }

    void menusListTheKeysAndDoWhatTheKeysDo() {
        Viewer v;
        const std::string file = v.File("m.sdf");
        WriteViewerFile(DataFileType::Sdf, file);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        const struct {
            const char* Name;
            QKeySequence Key;
            double Lower, Upper; // the time shown after it, from 0.2 to 0.6
        } actions[] = {{"ZoomInAction", Qt::Key_Plus, 0.3, 0.5},
                       {"ZoomOutAction", Qt::Key_Minus, 0.0, 0.8},
                       {"PanLeftAction", Qt::Key_Left, 0.16, 0.56},
                       {"PanRightAction", Qt::Key_Right, 0.24, 0.64}};
        for (const auto& a : actions) {
            auto* action = Find<QAction>(*v.window, a.Name);
            QCOMPARE(action->shortcut(), a.Key);
            QVERIFY(v.Charts().actions().contains(action)); // the key works in the charts
            v.Charts().SetTimeRange(0.2, 0.6);
            action->trigger();
            QVERIFY2(Near(v.Charts().TimeRange().lower, a.Lower) &&
                         Near(v.Charts().TimeRange().upper, a.Upper),
                     a.Name);
        }
        QCOMPARE(Find<QAction>(*v.window, "ExportAction")->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_E));
        QCOMPARE(Find<QAction>(*v.window, "FitAllAction")->shortcut(), QKeySequence(Qt::Key_Home));
    }

    void exportAsksBeforeReplacingAFile() {
        Viewer v;
        const std::string file = v.File("m.sdf");
        WriteViewerFile(DataFileType::Sdf, file);
        QVERIFY(v.window->OpenFile(QString::fromStdString(file)));
        const struct {
            ExportFormat Format;
            std::vector<std::int64_t> Bursts;
            const char* Out;
            const char* Existing;
        } cases[] = {{ExportFormat::Csv, {0}, "o.csv", "o.csv"},
                     {ExportFormat::Wav, {0, 2}, "w.wav", "w-003.wav"}};
        for (const auto& c : cases) {
            WriteBytes(v.File(c.Existing), "keep");
            ExportRequest request;
            request.Scope = ExportScope::ChosenBursts;
            request.Bursts = c.Bursts;
            request.Format = c.Format;
            request.Out = QString::fromStdString(v.File(c.Out));
            v.prompter.Messages.clear();
            v.prompter.Answer = MessageAnswer::No;
            QVERIFY(!v.window->Export(request));
            QCOMPARE(v.prompter.Messages.size(), std::size_t{1});
            const auto& asked = v.prompter.Messages[0];
            QCOMPARE(asked.Buttons, MessageButtons::YesNoDefaultNo);
            QVERIFY(asked.Text.find(v.File(c.Existing)) != std::string::npos);
            QCOMPARE(ReadBytes(v.File(c.Existing)), std::string("keep"));
            v.prompter.Answer = MessageAnswer::Yes;
            QVERIFY(v.window->Export(request));
            QVERIFY(ReadBytes(v.File(c.Existing)) != "keep");
        }
    }

    void exportDialogMakesTheRequest() {
        ExportDialog dialog(QStringLiteral("/data/run.sdf"), 1);
        auto* out = Find<QLineEdit>(dialog, "OutEdit");
        QCOMPARE(out->text(), QStringLiteral("/data/run.csv"));
        QCOMPARE(Find<QLineEdit>(dialog, "BurstsEdit")->text(), QStringLiteral("2"));
        Find<QComboBox>(dialog, "FormatBox")->setCurrentIndex(2);
        QCOMPARE(out->text(), QStringLiteral("/data/run.wav"));
        QVERIFY(!Find<QComboBox>(dialog, "EncodingBox")->isEnabled());
        Find<QRadioButton>(dialog, "ScopeButton1")->setChecked(true);
        Find<QLineEdit>(dialog, "BurstsEdit")->setText(QStringLiteral("1,3-4"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const ExportRequest r = dialog.Request();
        QCOMPARE(r.Scope, ExportScope::ChosenBursts);
        QCOMPARE(r.Bursts, (std::vector<std::int64_t>{0, 2, 3}));
        QCOMPARE(r.Format, ExportFormat::Wav);
        QCOMPARE(r.Out, QStringLiteral("/data/run.wav"));
        QCOMPARE(Find<QPushButton>(dialog, "ExportButton")->text(), QStringLiteral("エクスポート"));

        // The next dialog starts from these entries, whatever burst is shown.
        ExportDialog again(QStringLiteral("/data/run.sdf"), 0, nullptr, &r);
        QCOMPARE(Find<QLineEdit>(again, "BurstsEdit")->text(), QStringLiteral("1,3,4"));
        QVERIFY(Find<QRadioButton>(again, "ScopeButton1")->isChecked());
        QCOMPARE(Find<QComboBox>(again, "FormatBox")->currentIndex(), 2);
        QCOMPARE(Find<QLineEdit>(again, "OutEdit")->text(), QStringLiteral("/data/run.wav"));
        again.accept();
        QCOMPARE(again.Request().Bursts, r.Bursts);
    }

    void dropOpensTheFile() {
        Viewer v;
        const std::string file = v.File("dropped.sdf");
        WriteViewerFile(DataFileType::Sdf, file);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        const QPoint at(200, 200);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(v.window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(v.window.get(), &drop);
        QCOMPARE(v.window->FileName(), QString::fromStdString(file));
        QCOMPARE(v.window->ShownBurst(), 0);
        // Something that is no local file is refused.
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/x.sdf"))});
        QDragEnterEvent refused(at, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
        refused.setAccepted(false);
        QApplication::sendEvent(v.window.get(), &refused);
        QVERIFY(!refused.isAccepted());
    }
};

QTEST_MAIN(ViewerWindowTest)
#include "ViewerWindowTest.moc"
