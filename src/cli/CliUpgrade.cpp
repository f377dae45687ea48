#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

#include "datafiles/SDFdata.h"
#include "datafiles/SdfBlockReader.h"
#include "datafiles/SdfUpgrade.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace tavrel::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
}

// A progress bar on stderr when it is a terminal; Ctrl-C cancels.
class TerminalProgress : public ProgressReporter {
public:
    TerminalProgress() : tty_(::isatty(STDERR_FILENO) != 0) {
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~TerminalProgress() override { sigaction(SIGINT, &previous_, nullptr); }

    void StartProgress(std::string_view) override {
        interrupted = 0;
        shown_ = -1;
        SetProgress(0);
    }
    void SetProgress(int percent) override {
        if (percent == 100) {
            HideProgress();
            return;
        }
        if (!tty_ || percent == shown_)
            return;
        shown_ = percent;
        constexpr int width = 40;
        const int filled = percent * width / 100;
        std::fprintf(stderr, "\r[%.*s%.*s] %3d %%", filled,
                     "########################################", width - filled,
                     "........................................", percent);
        std::fflush(stderr);
    }
    bool Cancelled() const override { return interrupted != 0; }
    void HideProgress() override {
        if (tty_ && shown_ >= 0)
            std::fprintf(stderr, "\r\033[K");
        shown_ = -1;
    }

private:
    bool tty_;
    int shown_ = -1;
    struct sigaction previous_ {};
};

int Upgrade(const std::string& fileName) {
    int version = 0;
    SDFdata data;
    {
        SdfBlockReader reader(fileName);
        if (reader.Check() != SdfHeaderCheck::Ok)
            return Fail(fileName + ": not an sdf file or unreadable header (" +
                        std::string(FormatMessage) + ")");
        version = reader.Decoded().Version;
        data.Header = reader.Decoded().Header;
    }
    if (version == SdfCurrentVersion) {
        std::printf("%s is already version %d\n", fileName.c_str(), SdfCurrentVersion);
        return 0;
    }
    TerminalProgress progress;
    if (!UpgradeSdfFile(data, version, fileName, progress)) {
        std::fprintf(stderr, "tavrelrex-cli: cancelled; %s is left as it was\n", fileName.c_str());
        return 130;
    }
    std::printf("%s upgraded from version %d to version %d\n", fileName.c_str(), version,
                SdfCurrentVersion);
    return 0;
}

} // namespace

Command AddUpgradeCommand(CLI::App& app) {
    auto fileName = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand(
        "upgrade", "Rewrite an sdf file of version 1 to 3 as version 4, in place (Ctrl-C cancels)");
    sub->add_option("FILE", *fileName, "The sdf file")->required();
    return {sub, [fileName] { return Upgrade(*fileName); }};
}

} // namespace tavrel::cli
