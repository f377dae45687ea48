#include "cli/CliCommands.h"
#include "cli/CliLanguage.h"
#include "cli/CliSupport.h"

#include "model/FileError.h"

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    using namespace tavrel::cli;
    CLI::App app{"TavrelREX command-line companion: data-file headers, conversion, upgrade and "
                 "headless recording"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "tavrelrex-cli " TAVREL_VERSION);
    const std::vector<Command> commands = {AddInfoCommand(app),    AddConvertCommand(app),
                                           AddUpgradeCommand(app), AddRecordCommand(app),
                                           AddRepairCommand(app),  AddDevicesCommand(app),
                                           AddExportCommand(app)};
    if (const auto status = ParseCommandLine(app, argc, argv))
        return *status;
    try {
        for (const Command& command : commands)
            if (command.Subcommand->parsed()) {
                const int status = command.Run();
                // What could not be written (a full disk, a closed pipe) is a failure too.
                if (std::fflush(stdout) != 0 || std::ferror(stdout))
                    return Fail(Tr("cli", "標準出力に書き込めません。"));
                return status;
            }
    } catch (const std::exception& e) {
        return Fail(tavrel::MessageOf(e));
    }
    return Fail(Tr("cli", "コマンドがありません。"));
}
