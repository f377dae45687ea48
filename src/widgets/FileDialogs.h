#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;

namespace tavrel {

// Dialog filters written as "description|pattern;pattern" become Qt name filters that show
// the description unchanged.
QStringList NameFilters(const QString& filter);
// The file a closed dialog chose; empty when none.
QString SelectedFile(const QFileDialog* dialog);

} // namespace tavrel
