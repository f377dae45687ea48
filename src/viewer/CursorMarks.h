#pragma once

#include <QFont>
#include <qcustomplot.h>

namespace tavrel {

// The items that show a cursor of the viewer's charts.

// A vertical line through rect at a time of its axes, clipped to it; named "Cursor<number>".
QCPItemStraightLine* NewCursorLine(QCustomPlot& plot, QCPAxisRect* rect, int number);
// The cursor's number at the top of rect, in bold font.
QCPItemText* NewCursorLabel(QCustomPlot& plot, QCPAxisRect* rect, const QFont& font);
// Puts label beside the cursor at time t, or at the edge of shown that t lies beyond, with an
// arrow towards it ("◀1", "2▶").
void PlaceCursorLabel(QCPItemText& label, int number, double t, const QCPRange& shown);

} // namespace tavrel
