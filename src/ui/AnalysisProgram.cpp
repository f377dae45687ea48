#include "ui/AnalysisProgram.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace tavrel {

QString AnalysisProgramPath(const QString& chosen, const QString& exeDir) {
    return chosen.isEmpty() ? exeDir + QStringLiteral("Vendrask.EXE") : chosen;
}

bool StartAnalysisProgram(const QString& program, const QString& workDir) {
    if (!QFileInfo(program).isFile())
        return false;
    QProcess::startDetached(program, {}, workDir.isEmpty() ? QDir::currentPath() : workDir);
    return true;
}

QString ViewerProgramPath(const QString& exeDir) {
    return exeDir + QStringLiteral("tavrelrex-view");
}

bool StartViewer(const QString& viewer, const QString& dataFile) {
    if (!QFileInfo(viewer).isFile())
        return false;
    const QFileInfo data(dataFile);
    QStringList arguments;
    if (!dataFile.isEmpty() && data.isFile())
        arguments << data.absoluteFilePath();
    QProcess::startDetached(viewer, arguments,
                            data.isFile() ? data.absolutePath() : QDir::currentPath());
    return true;
}

} // namespace tavrel
