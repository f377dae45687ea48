#pragma once

#include "viewer/CursorStatistics.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class QLabel;
class QTableWidget;

namespace tavrel {

class SampleStore;
struct MeasurementHeader;

// Below the charts: the cursor positions, the legend of a laid-over burst and, per channel, the
// statistics between the cursors. A widget of its own so the window only hands it the burst and
// the cursors.
class StatisticsPanel : public QWidget {
    Q_OBJECT

public:
    explicit StatisticsPanel(QWidget* parent = nullptr);

    // Computes and shows the statistics of burst between the samples c1 and c2, dt seconds
    // apart.
    void Update(const SampleStore& burst, const MeasurementHeader& h, std::int64_t c1,
                std::int64_t c2, double dt);
    // No burst shown: no cursors and no statistics.
    void Clear();
    // Bursts shown and laid over (0-based); the legend shows only when both are >= 0.
    void SetLegend(std::int64_t shown, std::int64_t overlay);

    // The statistics of every channel, as the table shows them.
    const std::vector<ChannelStatistics>& Statistics() const { return statistics_; }

private:
    std::vector<ChannelStatistics> statistics_;
    QLabel* cursorText_ = nullptr;
    QLabel* legend_ = nullptr;
    QTableWidget* statisticsTable_ = nullptr;
};

} // namespace tavrel
