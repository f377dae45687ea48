#include "CliRecord.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavrelrex-cli COMMAND ...\n");
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "record")
        return tavrel::CliRecord(args);
    std::fprintf(stderr, "tavrelrex-cli: unknown command\n");
    return 2;
}
