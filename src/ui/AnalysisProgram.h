#pragma once

#include <QString>

namespace tavrel {

// The analysis program of the Analysis menu: the one the operator chose, else "Vendrask.EXE"
// beside this program (exeDir ends with '/').
QString AnalysisProgramPath(const QString& chosen, const QString& exeDir);

// Starts program on its own in workDir (empty: the current directory); nothing is passed and
// nothing waited for. False, and nothing started, when program names no file.
bool StartAnalysisProgram(const QString& program, const QString& workDir);

// The viewer program beside this one (exeDir ends with '/').
QString ViewerProgramPath(const QString& exeDir);

// Starts viewer on its own with dataFile when that file exists (else with no file, so the
// viewer's own dialog can choose one). False, and nothing started, when viewer names no file.
bool StartViewer(const QString& viewer, const QString& dataFile);

} // namespace tavrel
