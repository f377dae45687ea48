#include "viewer/StatisticsPanel.h"

#include "model/MeasurementHeader.h"
#include "model/SampleStore.h"
#include "viewer/HeaderPanel.h"
#include "viewer/ReadOnlyTable.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cstdlib>

namespace tavrel {

namespace {

QString Number(double value) {
    return QString::number(value, 'g', 7);
}

} // namespace

StatisticsPanel::StatisticsPanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    cursorText_ = new QLabel;
    cursorText_->setObjectName(QStringLiteral("CursorText"));
    cursorText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    legend_ = new QLabel;
    legend_->setObjectName(QStringLiteral("Legend"));
    auto* row = new QHBoxLayout;
    row->addWidget(cursorText_, 1);
    row->addWidget(legend_);
    layout->addLayout(row);
    statisticsTable_ = MakeReadOnlyTable(QStringLiteral("StatisticsTable"),
                                         {tr("チャンネル"), QStringLiteral("Δy"), tr("最小"),
                                          tr("最大"), tr("平均"), tr("実効値"), tr("ピーク間"),
                                          tr("サンプル数"), tr("カーソル1"), tr("カーソル2")});
    statisticsTable_->horizontalHeader()->setStretchLastSection(false);
    layout->addWidget(statisticsTable_);
}

void StatisticsPanel::Clear() {
    statistics_.clear();
    cursorText_->clear();
    statisticsTable_->setRowCount(0);
}

void StatisticsPanel::Update(const SampleStore& burst, const MeasurementHeader& h, std::int64_t c1,
                             std::int64_t c2, double dt) {
    statistics_.clear();
    // 1/Δt reads a period between the cursors as a frequency.
    const double span = static_cast<double>(c2 - c1) * dt;
    cursorText_->setText(
        tr("カーソル1：%1 s　カーソル2：%2 s　Δt：%3 s（%4 サンプル）　1/Δt：%5 Hz")
            .arg(Number(static_cast<double>(c1) * dt), Number(static_cast<double>(c2) * dt),
                 Number(span))
            .arg(std::abs(c2 - c1) + 1)
            .arg(span != 0 ? Number(1 / std::abs(span)) : QStringLiteral("―")));
    const int channels = burst.Channels();
    statisticsTable_->setRowCount(channels);
    const QString none = QStringLiteral("―");
    for (int c = 0; c < channels; ++c) {
        const auto e = static_cast<std::size_t>(c);
        const ChannelStatistics s =
            ComputeStatistics(burst.Codes(c), c1, c2, c1, c2, h.CoefA[e], h.CoefB[e]);
        statistics_.push_back(s);
        const bool any = s.Count > 0;
        SetTableCell(statisticsTable_, c, 0, HeaderPanel::ChannelLabel(h, c));
        SetTableCell(statisticsTable_, c, 1, s.DeltaY ? Number(*s.DeltaY) : none);
        SetTableCell(statisticsTable_, c, 2, any ? Number(s.Min) : none);
        SetTableCell(statisticsTable_, c, 3, any ? Number(s.Max) : none);
        SetTableCell(statisticsTable_, c, 4, any ? Number(s.Mean) : none);
        SetTableCell(statisticsTable_, c, 5, any ? Number(s.Rms) : none);
        SetTableCell(statisticsTable_, c, 6, any ? Number(s.PeakToPeak) : none);
        SetTableCell(statisticsTable_, c, 7, QString::number(s.Count));
        // Every channel's value at each cursor, as a scope's readout gives them.
        SetTableCell(statisticsTable_, c, 8, s.At1 ? Number(*s.At1) : none);
        SetTableCell(statisticsTable_, c, 9, s.At2 ? Number(*s.At2) : none);
    }
}

void StatisticsPanel::SetLegend(std::int64_t shown, std::int64_t overlay) {
    if (shown < 0 || overlay < 0) {
        legend_->clear();
        return;
    }
    // Each channel has its colour: the line's style tells the bursts apart.
    legend_->setText(tr("━━ バースト %1　╍╍ バースト %2").arg(shown + 1).arg(overlay + 1));
}

} // namespace tavrel
