#pragma once

#include <qcustomplot.h>

#include <algorithm>
#include <span>

namespace tavrel {

// The points of one series for one burst, with room for the whole burst made at once: a live
// append never moves the points already there, and a burst's memory is its points.
class BurstGraphData final : public QCPGraphDataContainer {
public:
    explicit BurstGraphData(qsizetype points) { mData.reserve(std::max<qsizetype>(points, 0)); }

    qsizetype Capacity() const { return mData.capacity(); }

    // Empties the series for the next burst and keeps the room, so the pages already in use
    // are used again.
    void Restart() {
        mData.resize(0);
        mPreallocSize = 0;
        mPreallocIteration = 0;
    }

    // Appends points whose x do not go below the last one's; anything else is merged in.
    void Append(std::span<const double> x, std::span<const double> y) {
        const auto n = static_cast<qsizetype>(std::min(x.size(), y.size()));
        if (n == 0)
            return;
        const qsizetype old = mData.size();
        if (mPreallocSize != 0 || (old > 0 && x[0] < mData.at(old - 1).key)) {
            QVector<QCPGraphData> points(n);
            for (qsizetype i = 0; i < n; ++i)
                points[i] =
                    QCPGraphData(x[static_cast<std::size_t>(i)], y[static_cast<std::size_t>(i)]);
            add(points, false);
            return;
        }
        mData.resize(old + n);
        QCPGraphData* out = mData.data() + old;
        for (qsizetype i = 0; i < n; ++i)
            out[i] = QCPGraphData(x[static_cast<std::size_t>(i)], y[static_cast<std::size_t>(i)]);
    }
};

} // namespace tavrel
