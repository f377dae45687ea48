#include "viewer/CursorMarks.h"

namespace tavrel {

QCPItemStraightLine* NewCursorLine(QCustomPlot& plot, QCPAxisRect* rect, int number) {
    auto* line = new QCPItemStraightLine(&plot);
    line->setClipAxisRect(rect);
    line->setObjectName(QStringLiteral("Cursor%1").arg(number));
    for (QCPItemPosition* p : {line->point1, line->point2})
        p->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    line->setSelectable(false);
    return line;
}

QCPItemText* NewCursorLabel(QCustomPlot& plot, QCPAxisRect* rect, const QFont& font) {
    auto* label = new QCPItemText(&plot);
    label->setClipToAxisRect(false);
    label->position->setAxisRect(rect);
    label->position->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    label->position->setTypeX(QCPItemPosition::ptPlotCoords);
    label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    label->position->setCoords(0, 0);
    QFont bold = font;
    bold.setBold(true);
    label->setFont(bold);
    label->setSelectable(false);
    label->setPadding(QMargins(3, 0, 3, 0));
    return label;
}

void PlaceCursorLabel(QCPItemText& label, int number, double t, const QCPRange& shown) {
    const QString text = QString::number(number);
    if (t < shown.lower) {
        label.setText(QStringLiteral("◀") + text);
        label.setPositionAlignment(Qt::AlignTop | Qt::AlignLeft);
        label.position->setCoords(shown.lower, 0);
    } else if (t > shown.upper) {
        label.setText(text + QStringLiteral("▶"));
        label.setPositionAlignment(Qt::AlignTop | Qt::AlignRight);
        label.position->setCoords(shown.upper, 0);
    } else {
        label.setText(text); // beside its line, not on it
        label.setPositionAlignment(Qt::AlignTop | Qt::AlignLeft);
        label.position->setCoords(t, 0);
    }
}

} // namespace tavrel
