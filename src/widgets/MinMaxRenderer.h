#pragma once

#include "model/ChannelScale.h"
#include "model/SampleStore.h"

#include <cstdint>
#include <span>
#include <vector>

class QCPGraph;
class QCPRange;

namespace tavrel {

// What one fill put into the graph.
struct MinMaxTrace {
    bool EveryCode = true;  // one point per code; else one min/max pair per pixel column
    std::int64_t Codes = 0; // codes in view, with the one beyond each side
};

// The one renderer of the live charts and the viewer: a graph's points are rebuilt from the
// codes and their min/max summary for the visible time range only, so a redraw costs by pixel
// columns whatever the number of codes.
class MinMaxRenderer {
public:
    // Replaces graph's data with codes between range.lower and range.upper (times as scale
    // gives them) drawn over `columns` pixel columns, and one code beyond each side so the line
    // runs out of the chart: every code when they are no more than the columns, else each
    // column's lowest and highest. Error data are gaps (NaN). summary was built over the
    // codes; codes shorter than it (a buffer taken away) draw nothing.
    MinMaxTrace Fill(QCPGraph& graph, std::span<const std::int16_t> codes,
                     const CodeSummary& summary, const ChannelScale& scale, const QCPRange& range,
                     int columns);
    // The same from one channel of store; nothing when there is no store or no such channel.
    MinMaxTrace Fill(QCPGraph& graph, const SampleStore* store, int channel,
                     const ChannelScale& scale, const QCPRange& range, int columns);

private:
    std::vector<CodeRange> columns_; // kept from fill to fill
};

} // namespace tavrel
