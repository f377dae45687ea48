#include "cli/CliSupport.h"
#include "cli/CliCommands.h"
#include "cli/CliLanguage.h"

#include <cstdio>
#include <unistd.h>
#include <utility>

namespace tavrel::cli {

std::optional<int> ParseCommandLine(CLI::App& app, int argc, const char* const* argv) {
    // The program's own options take no values, so the first other word names the subcommand;
    // CLI11 alone would only say that a subcommand is required.
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-')
            continue;
        std::string names;
        bool known = false;
        for (const CLI::App* sub : std::as_const(app).get_subcommands({})) {
            known = known || sub->get_name() == argv[i];
            names += (names.empty() ? "" : ", ") + sub->get_name();
        }
        if (!known) {
            Note(Fill(Tr("cli", "サブコマンド「%1」はありません（%2）。"), argv[i], names));
            return UsageStatus;
        }
        break;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // CLI11's own statuses (106, 109...) mean nothing to a shell script.
        return app.exit(e) == 0 ? 0 : UsageStatus;
    }
    return std::nullopt;
}

namespace {
void PrintNote(std::string line) {
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "tavrelrex-cli: %s\n", line.c_str());
}
} // namespace

void Note(const std::string& message) {
    PrintNote(Shown(message));
}

int Fail(const std::string& message) {
    Note(message);
    return 1;
}

int Fail(const Message& message) {
    PrintNote(Shown(message));
    return 1;
}

std::string Sentences(const Message& first, const Message& second) {
    // Japanese sentences follow each other without a space; English ones with one.
    return Shown(first) + (SpeaksEnglish() ? " " : "") + Shown(second);
}

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
}

} // namespace

constexpr int CancelSignals[3] = {SIGINT, SIGTERM, SIGHUP};

TerminalProgress::TerminalProgress() : tty_(::isatty(STDERR_FILENO) != 0) {
    // Kept until the program exits: a signal after the file is in place finds the work done,
    // and the program says so with status 0. Interrupted writes (the report) start again.
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : CancelSignals)
        sigaction(signal, &action, nullptr);
}

TerminalProgress::~TerminalProgress() = default;

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
