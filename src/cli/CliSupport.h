#pragma once

#include <string>
#include <string_view>

namespace tavrel::cli {

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
