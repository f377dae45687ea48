#pragma once

#include <QString>
#include <QStringList>

namespace tavrel {

// Where the program keeps "default.apm" and the default data file: beside the program file
// when it runs from a build or portable directory the user can write, else (an installed
// program) in the user's configuration directory. Directory texts end with '/'.
class SettingsLocation {
public:
    static constexpr const char* DefaultParameterFile = "default.apm";

    // exeDir empty: the running program's directory; configDir empty: the user's
    // configuration directory of the program.
    SettingsLocation(const QString& exeDir, const QString& configDir);

    QString ExeDir() const { return exeDir_; }
    QString SettingsDir() const { return settingsDir_; }

    // The "default.apm" read at start-up: the settings directory's, else the one beside the
    // program; empty when there is none.
    QString DefaultParametersToLoad() const;
    // Where "default.apm" is written, the first that works: the settings directory, then the
    // configuration directory.
    QStringList DefaultParameterTargets() const;
    // Creates the directory a target needs (the configuration directory may not exist yet).
    void PrepareTarget(const QString& target) const;

private:
    QString exeDir_;
    QString configDir_;
    QString settingsDir_;
};

// The bin directory the program is installed to (CMAKE_INSTALL_FULL_BINDIR).
QString InstallBinDir();

// True when exeDir holds an installed program: it is installBinDir, or lies under a system
// prefix (/usr, /opt, /bin, /sbin, /snap), or the user cannot write it (or it does not exist).
// Only access rights are asked; no file is created to find out.
bool IsInstalledProgramDir(const QString& exeDir, const QString& installBinDir = InstallBinDir());

// The directory for "default.apm": exeDir for a build or portable program, else configDir
// (created when missing).
QString ChooseSettingsDir(const QString& exeDir, const QString& configDir,
                          const QString& installBinDir = InstallBinDir());

} // namespace tavrel
