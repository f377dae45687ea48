#pragma once

#include "model/FileError.h"
#include "model/ProgressReporter.h"
#include "model/Prompter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include <stdlib.h>

namespace tavrel::test {

// A fresh directory per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavrelXXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::filesystem::path& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& fileName, const std::string& bytes) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Little-endian fields of a file's bytes, read independently of the program's own readers.
inline std::uint8_t ByteAt(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes.at(at));
}

inline std::int16_t I16(const std::string& bytes, std::size_t at) {
    return static_cast<std::int16_t>(ByteAt(bytes, at) | (ByteAt(bytes, at + 1) << 8));
}

inline std::int32_t I32(const std::string& bytes, std::size_t at) {
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | ByteAt(bytes, at + static_cast<std::size_t>(i));
    return static_cast<std::int32_t>(u);
}

inline double F64(const std::string& bytes, std::size_t at) {
    std::uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = (u << 8) | ByteAt(bytes, at + static_cast<std::size_t>(i));
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

// The lines of a CR LF text; a last line without CR LF fails the test.
inline std::vector<std::string> CrlfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            ADD_FAILURE() << "line without CR LF";
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

} // namespace tavrel::test

namespace tavrel {
// gtest shows a message by its Japanese sentence.
inline void PrintTo(const Message& message, std::ostream* os) {
    *os << Japanese(message);
}
} // namespace tavrel

namespace tavrel::test {

// The message f failed with, without the system's code the expected messages do not name.
inline Message Thrown(const std::function<void()>& f) {
    try {
        f();
    } catch (const FileError& e) {
        Message m = e.GetMessage();
        m.SystemCode = 0;
        return m;
    }
    return Verbatim("(no error)");
}

struct ShownMessage {
    MessageKind Kind;
    std::string Text; // in Japanese
    MessageButtons Buttons;
    int HelpContext;
    Message Sent; // as the core sent it
};

// Records every message. Questions take the scripted Answers in turn, then Answer.
class RecordingPrompter : public Prompter {
public:
    explicit RecordingPrompter(MessageAnswer answer = MessageAnswer::Yes) : Answer(answer) {}
    MessageAnswer Answer;
    std::deque<MessageAnswer> Answers;
    std::vector<ShownMessage> Messages;
    MessageAnswer ShowMessage(MessageKind kind, const Message& message,
                              MessageButtons buttons) override {
        Messages.push_back({kind, Japanese(message), buttons, HelpContextOf(message.Id), message});
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (Answers.empty())
            return Answer;
        const MessageAnswer a = Answers.front();
        Answers.pop_front();
        return a;
    }
};

// Records the calls; cancels when asked for the percentage CancelAt.
class RecordingProgress : public ProgressReporter {
public:
    int CancelAt = -1;
    std::vector<std::string> Calls;
    std::vector<int> Percents;
    bool cancelled = false;
    void StartProgress(std::string_view caption) override {
        Calls.push_back("start:" + std::string(caption));
        cancelled = false;
    }
    void SetProgress(int percent) override {
        Calls.push_back("set");
        Percents.push_back(percent);
        if (percent == CancelAt)
            cancelled = true;
    }
    bool Cancelled() const override { return cancelled; }
    void HideProgress() override { Calls.push_back("hide"); }
};

} // namespace tavrel::test
