#pragma once

#include <QString>
#include <QStringList>

class QTableWidget;

namespace tavrel {

// The viewer's tables of texts (channel entries, cursor statistics) look and fill alike: these
// make them, size them and set their cells.

// A table the user reads but cannot edit or select in, with columns titled titles.
QTableWidget* MakeReadOnlyTable(const QString& name, const QStringList& titles);
// Makes table as tall as rows rows.
void FitTableRows(QTableWidget* table, int rows);
// Sets a cell's text; every column but the first is right-aligned (numbers).
void SetTableCell(QTableWidget* table, int row, int column, const QString& text);

} // namespace tavrel
