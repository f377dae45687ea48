#pragma once

#include <CLI/CLI.hpp>

#include <functional>

namespace tavrel::cli {

// Each command adds its subcommand to the application; Run, called when that subcommand was
// parsed, gives the exit status (0 only on success).
struct Command {
    CLI::App* Subcommand = nullptr;
    std::function<int()> Run;
};

Command AddInfoCommand(CLI::App& app);
Command AddConvertCommand(CLI::App& app);
Command AddUpgradeCommand(CLI::App& app);
Command AddRecordCommand(CLI::App& app);

} // namespace tavrel::cli
