#include "widgets/ChartStyle.h"

#include <QPalette>
#include <qcustomplot.h>

namespace tavrel {

ChartColours ChartColoursOf(const QPalette& palette) {
    ChartColours colours;
    colours.Background = palette.color(QPalette::Active, QPalette::Base);
    colours.Text = palette.color(QPalette::Active, QPalette::Text);
    colours.Grid = colours.Text;
    colours.Grid.setAlpha(50); // faint on either theme
    return colours;
}

void StyleChart(QCustomPlot& chart) {
    const ChartColours colours = ChartColoursOf(chart.palette());
    chart.setBackground(colours.Background);
    const QPen line(colours.Text, 0);
    for (QCPAxisRect* rect : chart.axisRects()) {
        rect->setBackground(Qt::NoBrush);
        for (QCPAxis* axis : rect->axes()) {
            axis->setBasePen(line);
            axis->setTickPen(line);
            axis->setSubTickPen(line);
            axis->setTickLabelColor(colours.Text);
            axis->setLabelColor(colours.Text);
            axis->setTickLabelFont(chart.font());
            axis->grid()->setPen(QPen(colours.Grid, 0, Qt::DotLine));
            QColor zero = colours.Grid;
            zero.setAlpha(90); // the zero line a little stronger than the grid
            axis->grid()->setZeroLinePen(QPen(zero, 0));
        }
    }
    for (QCPLayoutElement* element : chart.plotLayout()->elements(true))
        if (auto* text = qobject_cast<QCPTextElement*>(element))
            text->setTextColor(colours.Text);
}

} // namespace tavrel
