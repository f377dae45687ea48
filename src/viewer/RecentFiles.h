#pragma once

#include <QString>
#include <QStringList>

namespace tavrel {

// The files the viewer opened last, newest first, kept in a small settings file of the
// viewer's own (never in a parameter file).
class RecentFiles {
public:
    static constexpr int MaxFiles = 8;

    // settingsFile: the INI file the list lives in.
    explicit RecentFiles(QString settingsFile);

    QStringList Files() const;
    // Puts file first (absolute), dropping an older mention and the oldest beyond MaxFiles.
    void Add(const QString& file);
    void Remove(const QString& file);

    // Where the viewer keeps it: its own file in the user's configuration directory.
    static QString DefaultSettingsFile();

private:
    void Store(const QStringList& files);
    QString settingsFile_;
};

} // namespace tavrel
