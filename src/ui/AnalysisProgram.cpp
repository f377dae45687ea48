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

} // namespace tavrel
