#include "widgets/FileDialogs.h"

#include <QFileDialog>

namespace tavrel {

QString SelectedFile(const QFileDialog* dialog) {
    const QStringList files = dialog->selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

QStringList NameFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        result.append(parts[i] + QStringLiteral(" (") + patterns + u')');
    }
    return result;
}

} // namespace tavrel
