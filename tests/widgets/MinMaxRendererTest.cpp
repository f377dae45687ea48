#include "widgets/MinMaxRenderer.h"
#include "model/SDFdata.h"

#include <QTest>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

using namespace tavrel;

using Codes = std::vector<std::int16_t>;
using Points = QVector<QPointF>; // key, value; NaN for a gap
Q_DECLARE_METATYPE(ChannelScale)

namespace {
constexpr double Gap = std::numeric_limits<double>::quiet_NaN();
constexpr std::int16_t E = ErrorData;

struct Rendered {
    MinMaxTrace Trace;
    Points Drawn;
};

Rendered Render(const Codes& codes, const ChannelScale& scale, QCPRange range, int columns) {
    QCustomPlot plot;
    QCPGraph* graph = plot.addGraph();
    CodeSummary summary;
    summary.Extend(codes);
    MinMaxRenderer renderer;
    Rendered r{renderer.Fill(*graph, codes, summary, scale, range, columns), {}};
    for (const QCPGraphData& p : *graph->data())
        r.Drawn.append(QPointF(p.key, p.value));
    return r;
}

bool Same(const Points& a, const Points& b) {
    const auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](QPointF p, QPointF q) {
        return same(p.x(), q.x()) && same(p.y(), q.y());
    });
}
} // namespace

class MinMaxRendererTest : public QObject {
    Q_OBJECT
private slots:
    void fills_data() {
        QTest::addColumn<Codes>("codes");
        QTest::addColumn<ChannelScale>("scale");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("everyCode");
        QTest::addColumn<Points>("expected");
        QTest::newRow("fewer codes than columns: every code")
            << Codes{1, 2, 3, 4} << ChannelScale{} << 0.0 << 3.0 << 100 << true
            << Points{{0, 1}, {1, 2}, {2, 3}, {3, 4}};
        QTest::newRow("A, B and time scale")
            << Codes{10, -20, 30} << ChannelScale{0.5, 1, 2} << 0.0 << 4.0 << 50 << true
            << Points{{0, 6}, {2, -9}, {4, 16}};
        QTest::newRow("error data is a gap") << Codes{5, E, 7} << ChannelScale{} << 0.0 << 2.0 << 10
                                             << true << Points{{0, 5}, {1, Gap}, {2, 7}};
        QTest::newRow("the range and one code beyond each side")
            << Codes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} << ChannelScale{} << 5.0 << 8.0 << 100
            << true << Points{{4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}};
        // Columns [0, 4) and [4, 8); the second starts from the end nearer the first's.
        QTest::newRow("more codes than columns: min/max per column")
            << Codes{1, 5, 2, 3, 9, 0, 4, 4} << ChannelScale{} << 0.0 << 7.0 << 2 << false
            << Points{{2, 1}, {2, 5}, {6, 9}, {6, 0}};
        QTest::newRow("a column of only error data is a gap")
            << Codes{1, 2, E, E, 3, 4} << ChannelScale{} << 0.0 << 5.0 << 3 << false
            << Points{{1, 1}, {1, 2}, {3, Gap}, {5, 3}, {5, 4}};
        QTest::newRow("min/max scaled, A negative")
            << Codes{1, 5, 2, 3} << ChannelScale{-2, 10, 0.5} << 0.0 << 1.5 << 2 << false
            << Points{{0.5, 8}, {0.5, 0}, {1.5, 4}, {1.5, 6}};
        QTest::newRow("beyond the codes: nothing")
            << Codes{1, 2, 3, 4} << ChannelScale{} << 100.0 << 200.0 << 100 << true << Points{};
        QTest::newRow("no time scale: nothing")
            << Codes{1, 2} << ChannelScale{1, 0, 0} << 0.0 << 1.0 << 100 << true << Points{};
        QTest::newRow("no columns: nothing")
            << Codes{1, 2} << ChannelScale{} << 0.0 << 1.0 << 0 << true << Points{};
    }
    void fills() {
        QFETCH(Codes, codes);
        QFETCH(ChannelScale, scale);
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(int, columns);
        QFETCH(bool, everyCode);
        QFETCH(Points, expected);
        const Rendered r = Render(codes, scale, {lower, upper}, columns);
        QVERIFY2(Same(r.Drawn, expected), qPrintable(QDebug::toString(r.Drawn)));
        QCOMPARE(r.Trace.EveryCode, everyCode);
    }

    // A long burst, drawn from the summary's levels: each column's pair is its codes' extremes.
    void longBurstColumnsMatchTheirCodes() {
        Codes codes(100'000);
        for (std::size_t i = 0; i < codes.size(); ++i)
            codes[i] = static_cast<std::int16_t>((i * 7919) % 2001 - 1000);
        codes[54'321] = 30'000;
        const int columns = 97;
        const Rendered r = Render(codes, {}, {0, 99'999}, columns);
        QVERIFY(!r.Trace.EveryCode);
        QCOMPARE(r.Trace.Codes, 100'000);
        QCOMPARE(r.Drawn.size(), 2 * columns);
        const auto n = static_cast<std::int64_t>(codes.size());
        bool peak = false;
        for (int j = 0; j < columns; ++j) {
            const auto from = codes.begin() + j * n / columns;
            const auto to = codes.begin() + (j + 1) * n / columns;
            const auto [lo, hi] = std::minmax_element(from, to);
            const QPointF a = r.Drawn[2 * j], b = r.Drawn[2 * j + 1];
            QCOMPARE(std::min(a.y(), b.y()), static_cast<double>(*lo));
            QCOMPARE(std::max(a.y(), b.y()), static_cast<double>(*hi));
            peak = peak || std::max(a.y(), b.y()) == 30'000;
        }
        QVERIFY(peak);
    }

    // A buffer shorter than its summary is not read; a store without the channel draws nothing.
    void drawsNothingWithoutItsCodes() {
        QCustomPlot plot;
        QCPGraph* graph = plot.addGraph();
        const Codes codes{1, 2, 3};
        CodeSummary summary;
        summary.Extend(codes);
        MinMaxRenderer renderer;
        renderer.Fill(*graph, codes, summary, {}, {0, 2}, 10);
        QCOMPARE(graph->data()->size(), 3);
        renderer.Fill(*graph, std::span(codes).first(2), summary, {}, {0, 2}, 10);
        QVERIFY(graph->data()->isEmpty());
        SampleStore store;
        store.Reset(1, 3);
        store.Append(0, codes);
        QCOMPARE(renderer.Fill(*graph, &store, 0, {}, {0, 2}, 10).Codes, 3);
        QCOMPARE(graph->data()->size(), 3);
        for (const int channel : {1, -1}) {
            renderer.Fill(*graph, &store, channel, {}, {0, 2}, 10);
            QVERIFY(graph->data()->isEmpty());
        }
        renderer.Fill(*graph, nullptr, 0, {}, {0, 2}, 10);
        QVERIFY(graph->data()->isEmpty());
    }
};

QTEST_MAIN(MinMaxRendererTest)
#include "MinMaxRendererTest.moc"
