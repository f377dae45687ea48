#include "cli/CliSupport.h"

#include <cstdio>

namespace tavrel::cli {

int Fail(const std::string& message) {
    std::string line = message;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "tavrelrex-cli: %s\n", line.c_str());
    return 1;
}

std::string TemporaryNameFor(const std::string& fileName) {
    return fileName + ".part~";
}

} // namespace tavrel::cli
