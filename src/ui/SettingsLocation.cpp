#include "ui/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

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

QString InstallBinDir() {
    return QStringLiteral(TAVREL_INSTALL_BINDIR);
}

bool IsInstalledProgramDir(const QString& exeDir, const QString& installBinDir) {
    const QString dir = QFileInfo(exeDir).canonicalFilePath();
    if (dir.isEmpty())
        return true;
    const QString bin = QFileInfo(installBinDir).canonicalFilePath();
    if (!bin.isEmpty() && dir == bin)
        return true;
    // root can write anywhere, so the rights alone do not tell a system directory.
    for (const char* prefix : {"/usr", "/opt", "/bin", "/sbin", "/snap"}) {
        const QString system = QString::fromLatin1(prefix);
        if (dir == system || dir.startsWith(system + u'/'))
            return true;
    }
    return ::access(QFile::encodeName(dir).constData(), W_OK) != 0;
}

QString ChooseSettingsDir(const QString& exeDir, const QString& configDir,
                          const QString& installBinDir) {
    if (!IsInstalledProgramDir(exeDir, installBinDir))
        return WithSeparator(exeDir);
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
