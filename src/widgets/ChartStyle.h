#pragma once

#include <QColor>

class QCustomPlot;
class QPalette;

namespace tavrel {

// What a chart takes from the window's palette, so that it follows a light or a dark theme.
struct ChartColours {
    QColor Background; // the palette's base, behind the lines
    QColor Text;       // axes, ticks, texts and marks
    QColor Grid;
};
ChartColours ChartColoursOf(const QPalette& palette);

// Gives chart's background, every axis, grid and text element the colours of its own palette,
// and its tick labels the chart's font (the window's, a sans-serif at the window's size).
// Lines and items keep theirs: their owner colours them.
void StyleChart(QCustomPlot& chart);

} // namespace tavrel
