#include "ui/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tavrel {

namespace {

QString ProgramDirectory() {
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty())
        dir = QDir::currentPath();
    return dir;
}

QString WithSeparator(const QString& dir) {
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

QString DefaultFileIn(const QString& dir) {
    return dir + QString::fromLatin1(SettingsLocation::DefaultParameterFile);
}

} // namespace

QString ChooseSettingsDir(const QString& exeDir, const QString& configDir) {
    if (QDir(exeDir).exists()) {
        QTemporaryFile probe(QDir(exeDir).filePath(QStringLiteral("tavrel-probe-XXXXXX")));
        if (probe.open())
            return WithSeparator(exeDir);
    }
    QDir().mkpath(configDir);
    return WithSeparator(configDir);
}

SettingsLocation::SettingsLocation(const QString& exeDir, const QString& configDir)
    : exeDir_(WithSeparator(exeDir.isEmpty() ? ProgramDirectory() : exeDir)),
      configDir_(configDir.isEmpty()
                     ? QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
                     : configDir),
      settingsDir_(ChooseSettingsDir(exeDir_, configDir_)) {}

QString SettingsLocation::DefaultParametersToLoad() const {
    QString defaults = DefaultFileIn(settingsDir_);
    if (!QFile::exists(defaults) && settingsDir_ != exeDir_)
        defaults = DefaultFileIn(exeDir_);
    return QFile::exists(defaults) ? defaults : QString();
}

QStringList SettingsLocation::DefaultParameterTargets() const {
    QStringList targets{DefaultFileIn(settingsDir_)};
    const QString fallback = DefaultFileIn(WithSeparator(configDir_));
    if (!targets.contains(fallback))
        targets.append(fallback);
    return targets;
}

void SettingsLocation::PrepareTarget(const QString& target) const {
    if (target == DefaultFileIn(WithSeparator(configDir_)))
        QDir().mkpath(configDir_);
}

} // namespace tavrel
