#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <string_view>

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

// Prints "tavrelrex-cli: message" as one line on stderr and gives the failure status.
int Fail(const std::string& message);

// An sdf comment without the spaces that pad its field.
inline std::string_view WithoutPadding(std::string_view comment) {
    while (!comment.empty() && comment.back() == ' ')
        comment.remove_suffix(1);
    return comment;
}

// Where the output of a command that writes a whole file goes first: beside the file, renamed
// into place at the end.
std::string TemporaryNameFor(const std::string& fileName);

} // namespace tavrel::cli
