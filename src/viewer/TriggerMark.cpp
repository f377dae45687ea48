#include "viewer/TriggerMark.h"

#include "datafiles/DataFileReader.h"
#include "viewer/ChartPanel.h"
#include "widgets/ChartStyle.h"

namespace tavrel {

namespace {
const QString MarkName = QStringLiteral("TriggerMark");
} // namespace

void ShowTriggerMark(ChartPanel& panel, const DataFileReader& reader, std::int64_t k) {
    for (QCPItemStraightLine* old : panel.findChildren<QCPItemStraightLine*>(MarkName))
        panel.removeItem(old);
    const BurstTrigger trigger = reader.TriggerOf(k);
    if (reader.RecordedTrigger().Start == BurstStart::Trigger &&
        trigger.Origin == BurstOrigin::Triggered && trigger.Scan >= 0) {
        // The panel's time axis: seconds from the burst's first scan.
        const double t = static_cast<double>(trigger.Scan) * panel.SecondsPerSample();
        for (int c = 0; c < panel.Charts(); ++c) {
            QCPAxisRect* rect = panel.ChartRect(c);
            auto* line = new QCPItemStraightLine(&panel);
            line->setObjectName(MarkName);
            line->setClipAxisRect(rect);
            line->setPen(QPen(ChartColoursOf(panel.palette()).Text, 1, Qt::DashDotLine));
            line->setSelectable(false);
            for (QCPItemPosition* p : {line->point1, line->point2})
                p->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
            line->point1->setCoords(t, 0);
            line->point2->setCoords(t, 1);
        }
    }
    panel.replot(QCustomPlot::rpQueuedReplot);
}

} // namespace tavrel
