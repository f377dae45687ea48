#pragma once

#include "model/ProgressReporter.h"
#include "text/Message.h"

#include <csignal>
#include <string>
#include <string_view>

namespace tavrel::cli {

// Prints "tavrelrex-cli: message" as one line on stderr, in the user's language, and gives the
// failure status.
int Fail(const std::string& message);
int Fail(const Message& message);
// The same line for a note or a cancellation, with no status.
void Note(const std::string& message);
// Two messages as one, each in the user's language.
std::string Sentences(const Message& first, const Message& second);

// A progress bar on stderr when it is a terminal; Ctrl-C, SIGTERM and SIGHUP cancel, so the
// work removes its temporary file before the program exits. From the first one made to the
// program's exit, those signals only ask the work to stop: once its file is in place, the
// work is done.
class TerminalProgress : public ProgressReporter {
public:
    TerminalProgress();
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void StartProgress(std::string_view) override;
    void SetProgress(int percent) override;
    bool Cancelled() const override;
    void HideProgress() override;

private:
    bool tty_;
    int shown_ = -1;
};

} // namespace tavrel::cli
