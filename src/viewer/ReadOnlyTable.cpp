#include "viewer/ReadOnlyTable.h"

#include <QHeaderView>
#include <QTableWidget>

namespace tavrel {

QTableWidget* MakeReadOnlyTable(const QString& name, const QStringList& titles) {
    auto* table = new QTableWidget(0, static_cast<int>(titles.size()));
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(titles);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(20);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void FitTableRows(QTableWidget* table, int rows) {
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() + 20 * rows +
                          2 * table->frameWidth() + 2);
}

void SetTableCell(QTableWidget* table, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    if (column > 0)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, column, item);
}

} // namespace tavrel
