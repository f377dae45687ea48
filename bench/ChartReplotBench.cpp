// The charts with long bursts: appending one million codes per chart in fetches of 32, one
// full replot of the four charts holding them (offscreen, the window's chart area), and what
// the charts keep besides the codes.
#include "BenchSupport.h"
#include "ui/WaveformCharts.h"
#include "widgets/FormFonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <qcustomplot.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tavrel::InstallFontSubstitutions();

    const int points = 1'000'000;
    const int fetch = 32;
    for (const QSize size : {QSize(416, 384), QSize(1016, 900)}) {
        QWidget panel;
        panel.resize(size);
        panel.show();
        tavrel::MeasurementHeader header = tavrel::DefaultMeasurementHeader();
        header.ChannelCount = 4;
        tavrel::WaveformCharts charts(&panel, header);
        charts.ChartPanelResize();
        charts.SetUpCharts("sec");

        // The block buffers the charts draw from, filled fetch by fetch as a run fills them.
        std::vector<std::vector<std::int16_t>> blocks(4, std::vector<std::int16_t>(points));
        QElapsedTimer appendTimer;
        appendTimer.start();
        for (int start = 0; start < points; start += fetch) {
            for (int ch = 0; ch < 4; ++ch) {
                auto& block = blocks[static_cast<std::size_t>(ch)];
                for (int i = 0; i < fetch; ++i) {
                    const int n = start + i;
                    block[static_cast<std::size_t>(n)] =
                        static_cast<std::int16_t>(std::sin(n * 0.0005 * (ch + 1)) * 1000 + (n % 7));
                }
                charts.AppendCodes(ch, block, start, start + fetch, {1.0, 0.0, 0.001});
            }
        }
        const double appendMs = appendTimer.nsecsElapsed() / 1e6;

        // The ranges follow the points, so every point lies in view.
        charts.ReplotNow();
        if (charts.Chart(0)->xAxis->range().upper < (points - 1) * 0.001) {
            std::fprintf(stderr, "ranges do not cover the points\n");
            return 1;
        }
        std::vector<double> replots;
        for (int run = 0; run < 11; ++run) {
            QElapsedTimer t;
            t.start();
            for (int k = 0; k < 4; ++k)
                charts.Chart(k)->replot(QCustomPlot::rpImmediateRefresh);
            replots.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("panel %dx%d, 4 charts x %d points:\n", size.width(), size.height(), points);
        std::printf("  append in fetches of %d: %8.1f ms (%.1f M points/s)\n", fetch, appendMs,
                    4.0 * points / appendMs / 1000);
        std::printf("  one full replot of the four charts, median of 11: %6.2f ms\n",
                    tavrel::bench::Median(replots));
        std::printf("  kept by the charts besides the codes: %.3f bytes per code\n",
                    static_cast<double>(charts.MemoryBytes()) / (4.0 * points));
    }
    return 0;
}
