#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>

namespace tavrel::cli {

// Each command adds its subcommand to the application; Run, called when that subcommand was
// parsed, gives the exit status (0 only on success).
struct Command {
    CLI::App* Subcommand = nullptr;
    std::function<int()> Run;
};

// Exit statuses: 0 success, 1 a failure while working, 2 a command line that is wrong.
inline constexpr int UsageStatus = 2;

// Parses the command line. nullopt: go on and run the subcommand; else the exit status, after
// the help or the version was printed (0) or the mistake was reported (UsageStatus).
std::optional<int> ParseCommandLine(CLI::App& app, int argc, const char* const* argv);

Command AddInfoCommand(CLI::App& app);
Command AddConvertCommand(CLI::App& app);
Command AddUpgradeCommand(CLI::App& app);
Command AddRecordCommand(CLI::App& app);
Command AddRepairCommand(CLI::App& app);
Command AddDevicesCommand(CLI::App& app);
Command AddExportCommand(CLI::App& app);

} // namespace tavrel::cli
