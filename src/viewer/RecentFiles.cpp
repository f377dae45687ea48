#include "viewer/RecentFiles.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <utility>

namespace tavrel {

namespace {
const QString Key = QStringLiteral("RecentFiles");
}

RecentFiles::RecentFiles(QString settingsFile) : settingsFile_(std::move(settingsFile)) {}

QStringList RecentFiles::Files() const {
    const QSettings settings(settingsFile_, QSettings::IniFormat);
    QStringList files = settings.value(Key).toStringList();
    files.removeAll(QString());
    if (files.size() > MaxFiles)
        files = files.mid(0, MaxFiles);
    return files;
}

void RecentFiles::Add(const QString& file) {
    const QString path = QFileInfo(file).absoluteFilePath();
    QStringList files = Files();
    files.removeAll(path);
    files.prepend(path);
    Store(files.mid(0, MaxFiles));
}

void RecentFiles::Remove(const QString& file) {
    QStringList files = Files();
    files.removeAll(QFileInfo(file).absoluteFilePath());
    Store(files);
}

void RecentFiles::Store(const QStringList& files) {
    QSettings settings(settingsFile_, QSettings::IniFormat);
    settings.setValue(Key, files);
    settings.sync();
}

QString RecentFiles::DefaultSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/TavrelREX/tavrelrex-view.ini");
}

} // namespace tavrel
