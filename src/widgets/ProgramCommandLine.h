#pragma once

#include <QString>

namespace tavrel {

// The command line of a window program, read before any window exists so that --help and
// --version work without a display. Ends the program for --help, --version (0) and a wrong
// command line (2); else gives the one file named on it (absolute, as the working directory
// may change before it is used), or an empty text.
// description and fileHelp are source texts of the translation context "main".
QString ParseProgramCommandLine(int argc, char** argv, const char* program, const char* description,
                                const char* fileHelp);

} // namespace tavrel
