#pragma once

#include <stdexcept>
#include <string>

namespace tavrel {

// An input/output failure, carried to the handler that started the work. The message is
// Japanese and names the file.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace tavrel
