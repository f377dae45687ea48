#pragma once

#include "ProgressReporter.h"
#include "Prompter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

inline std::string ReadBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& fileName, const std::string& bytes) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct ShownMessage {
    MessageKind Kind;
    std::string Text;
    MessageButtons Buttons;
    int HelpContext;
};

// Records every message and gives a preset answer to questions.
class RecordingPrompter : public Prompter {
public:
    MessageAnswer Answer = MessageAnswer::Yes;
    std::vector<ShownMessage> Shown;
    MessageAnswer ShowMessage(MessageKind kind, std::string_view text, MessageButtons buttons,
                              int helpContext) override {
        Shown.push_back({kind, std::string(text), buttons, helpContext});
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : Answer;
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
