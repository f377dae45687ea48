#include "CliCommands.h"

#include "FileError.h"

#include <cstdio>
#include <vector>

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

int main(int argc, char** argv) {
    using namespace tavrel::cli;
    CLI::App app{"TavrelREX command-line companion: data-file headers, conversion, upgrade and "
                 "headless recording"};
    app.require_subcommand(1);
    const std::vector<Command> commands = {AddInfoCommand(app), AddConvertCommand(app),
                                           AddUpgradeCommand(app), AddRecordCommand(app)};
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    try {
        for (const Command& command : commands)
            if (command.Subcommand->parsed())
                return command.Run();
    } catch (const tavrel::FileError& e) {
        return Fail(e.what());
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    return Fail("no command given");
}
