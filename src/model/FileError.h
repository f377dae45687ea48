#pragma once

#include <stdexcept>
#include <string>

namespace tavrel {

// An input/output failure, carried to the handler that started the work. The message is
// Japanese and names the file; Code() is the system's errno when one caused it (0 otherwise),
// so a caller can tell a full disk from other failures and name the reason.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& message, int code = 0)
        : std::runtime_error(message), code_(code) {}
    explicit FileError(const char* message) : std::runtime_error(message) {}

    int Code() const { return code_; }

private:
    int code_ = 0;
};

} // namespace tavrel
