#pragma once

#include "text/Message.h"

#include <cerrno>
#include <stdexcept>
#include <utility>

namespace tavrel {

// An input/output failure, carried to the handler that started the work. What() is the
// Japanese sentence for logs only; callers decide by GetMessage().Id and show it at the edge.
class FileError : public std::runtime_error {
public:
    explicit FileError(Message message, int code = 0)
        : std::runtime_error(Japanese(message)), message_(std::move(message)) {
        if (code != 0)
            message_.SystemCode = code;
    }

    const Message& GetMessage() const { return message_; }
    // The system's errno when one caused it (0 otherwise).
    int Code() const { return message_.SystemCode; }

private:
    Message message_;
};

// What a handler shows for a failure it caught: a file's message, or any other's own text.
inline Message MessageOf(const std::exception& e) {
    if (const auto* file = dynamic_cast<const FileError*>(&e))
        return file->GetMessage();
    return Verbatim(e.what());
}

// True when the failure was a full disk (or a file or quota limit, which is the same to the
// operator).
inline bool IsDiskFull(const std::exception& e) {
    const auto* file = dynamic_cast<const FileError*>(&e);
    return file != nullptr &&
           (file->Code() == ENOSPC || file->Code() == EFBIG || file->Code() == EDQUOT);
}

} // namespace tavrel
