#include "cli/CliSupport.h"

#include <cstdio>
#include <unistd.h>

namespace tavrel::cli {

int Fail(const std::string& message) {
    std::string line = message;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "tavrelrex-cli: %s\n", line.c_str());
    return 1;
}

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
}

} // namespace

TerminalProgress::TerminalProgress() : tty_(::isatty(STDERR_FILENO) != 0) {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
}

TerminalProgress::~TerminalProgress() {
    sigaction(SIGINT, &previous_, nullptr);
}

void TerminalProgress::StartProgress(std::string_view) {
    interrupted = 0;
    shown_ = -1;
    SetProgress(0);
}

void TerminalProgress::SetProgress(int percent) {
    if (percent == 100) {
        HideProgress();
        return;
    }
    if (!tty_ || percent == shown_)
        return;
    shown_ = percent;
    constexpr int width = 40;
    const int filled = percent * width / 100;
    std::fprintf(stderr, "\r[%.*s%.*s] %3d %%", filled, "########################################",
                 width - filled, "........................................", percent);
    std::fflush(stderr);
}

bool TerminalProgress::Cancelled() const {
    return interrupted != 0;
}

void TerminalProgress::HideProgress() {
    if (tty_ && shown_ >= 0)
        std::fprintf(stderr, "\r\033[K");
    shown_ = -1;
}

} // namespace tavrel::cli
