#pragma once

#include <qcustomplot.h>

#include <algorithm>

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

    // Appends points whose keys do not go below the last one's; anything else is merged in.
    void Append(const QVector<QCPGraphData>& points) {
        const qsizetype n = points.size();
        if (n == 0)
            return;
        const qsizetype old = mData.size();
        if (mPreallocSize != 0 || (old > 0 && points.first().key < mData.at(old - 1).key)) {
            add(points, false);
            return;
        }
        // Within the room made for the burst: nothing already there moves.
        mData.resize(old + n);
        std::copy(points.cbegin(), points.cend(), mData.begin() + old);
    }
};

} // namespace tavrel
