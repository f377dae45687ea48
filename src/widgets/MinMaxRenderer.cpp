#include "widgets/MinMaxRenderer.h"

#include "model/SDFdata.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tavrel {

MinMaxTrace MinMaxRenderer::Fill(QCPGraph& graph, std::span<const std::int16_t> codes,
                                 const CodeSummary& summary, const ChannelScale& scale,
                                 const QCPRange& range, int columns) {
    constexpr double Gap = std::numeric_limits<double>::quiet_NaN();
    QVector<QCPGraphData> points;
    const std::int64_t n = summary.Size();
    if (columns < 1 || !(scale.TimeScale > 0) || static_cast<std::int64_t>(codes.size()) < n) {
        graph.data()->set(points, true);
        return {};
    }
    const double dt = scale.TimeScale;
    // Clamped before the conversion: a range panned far away holds no index an integer could.
    const auto index = [n](double at) {
        return static_cast<std::int64_t>(std::clamp(at, 0.0, static_cast<double>(n)));
    };
    const std::int64_t first = index(std::floor(range.lower / dt) - 1);
    const std::int64_t last = std::max(first, index(std::ceil(range.upper / dt) + 2));
    const std::int64_t count = last - first;
    if (count <= columns) {
        points.reserve(static_cast<qsizetype>(count));
        for (std::int64_t i = first; i < last; ++i) {
            const std::int16_t code = codes[static_cast<std::size_t>(i)];
            points.append(QCPGraphData(scale.Time(i), code == ErrorData ? Gap : scale.Value(code)));
        }
        graph.data()->set(points, true);
        return {true, count};
    }
    columns_.resize(static_cast<std::size_t>(columns));
    summary.Columns(codes, first, last, columns_);
    points.reserve(2 * columns);
    const double codesPerColumn = static_cast<double>(count) / columns;
    for (int j = 0; j < columns; ++j) {
        const double key = (static_cast<double>(first) + codesPerColumn * (j + 0.5)) * dt;
        const CodeRange& r = columns_[static_cast<std::size_t>(j)];
        if (r.Empty()) {
            points.append(QCPGraphData(key, Gap));
            continue;
        }
        double low = scale.Value(r.Min);
        double high = scale.Value(r.Max);
        // From the end nearer the line so far, so the column joins it without a spike.
        if (!points.isEmpty() && !std::isnan(points.last().value) &&
            std::abs(points.last().value - high) < std::abs(points.last().value - low))
            std::swap(low, high);
        points.append(QCPGraphData(key, low));
        points.append(QCPGraphData(key, high));
    }
    graph.data()->set(points, true);
    return {false, count};
}

MinMaxTrace MinMaxRenderer::Fill(QCPGraph& graph, const SampleStore* store, int channel,
                                 const ChannelScale& scale, const QCPRange& range, int columns) {
    if (!store || channel < 0 || channel >= store->Channels()) {
        graph.data()->clear();
        return {};
    }
    return Fill(graph, store->Codes(channel), store->Summary(channel), scale, range, columns);
}

} // namespace tavrel
