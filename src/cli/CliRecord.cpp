#include "cli/CliCommands.h"
#include "cli/CliLanguage.h"
#include "cli/CliSupport.h"

#include "acquisition/Clock.h"
#include "acquisition/DeviceRegistry.h"
#include "acquisition/MeasurementParameters.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/NullMeasurementView.h"
#include "acquisition/TriggerParameters.h"
#include "datafiles/MainEntries.h"
#include "datafiles/ParameterFile.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>

namespace tavrel::cli {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnStopSignal(int) {
    stopSignal = 1;
}

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a sleeping yield wakes at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

// Messages go to stderr as one line each. The overwrite question is answered yes, as the
// file was checked before; any other question (the free space) only with --force.
class TerminalPrompter final : public Prompter {
public:
    explicit TerminalPrompter(bool force) : force_(force) {}

    MessageAnswer ShowMessage(MessageKind kind, const Message& message,
                              MessageButtons buttons) override {
        if (AsksYesNo(buttons))
            return message.Id == MessageId::OverwriteQuestion || force_ ? MessageAnswer::Yes
                                                                        : MessageAnswer::No;
        std::string line = Shown(message);
        if (kind == MessageKind::Error) {
            ++Errors;
            // A file's failure names the system's reason too.
            if (message.SystemCode != 0)
                line += Fill(Tr("cli", "（%1）"), SystemReason(message.SystemCode));
            Fail(Verbatim(line));
            return MessageAnswer::Ok;
        }
        for (auto& c : line)
            if (c == '\n')
                c = ' ';
        std::fprintf(stderr, "%s: %s\n", Shown(Message{CaptionIdOf(kind)}).c_str(), line.c_str());
        return MessageAnswer::Ok;
    }
    int Errors = 0;

private:
    bool force_;
};

// Status changes as lines, the progress as one line rewritten in place.
class TerminalView final : public NullMeasurementView {
public:
    explicit TerminalView(const Clock& clock) : clock_(clock) {}

    void SetPresentStatus(const Message& text) override {
        EndProgressLine();
        std::fprintf(stderr, "%s\n", Shown(text).c_str());
    }
    // Shown between steps, when the step has set both the time and the percentage: a new
    // phase never shows the last one's percentage beside its own time.
    void SetTimeText(const Message& text) override {
        time_ = text;
        progressDue_ = true;
    }
    void SetProgress(int percent) override {
        percent_ = percent;
        progressDue_ = true;
    }
    void SetCardStatus(const Message& text) override {
        EndProgressLine();
        std::fprintf(stderr, "%s\n", Fill(Tr("cli", "[カード] %1"), Shown(text)).c_str());
    }
    void ShowRunState(RunState state) override { started_ = started_ || state != RunState::Idle; }

    // Between two steps of the run: the progress line, a stop by signal, and the sleep the
    // run allows (a signal ends it early).
    void Pass(std::int64_t waitMicroseconds) {
        if (progressDue_) {
            progressDue_ = false;
            ShowProgressLine(false);
        }
        if (stopSignal != 0 && !stopHandled_ && run_ != nullptr && run_->Active()) {
            stopHandled_ = true;
            StoppedBySignal = true;
            run_->BtnAdStopClick();
        }
        if (waitMicroseconds > 0 && stopSignal == 0) {
            const timespec pause{0, static_cast<long>(waitMicroseconds) * 1000};
            nanosleep(&pause, nullptr);
        }
    }

    void Attach(MeasurementRun& run) { run_ = &run; }
    void EndProgressLine() {
        if (progressShown_)
            std::fputc('\n', stderr);
        progressShown_ = false;
    }
    bool Started() const { return started_; }
    bool StoppedBySignal = false;

private:
    void ShowProgressLine(bool force) {
        if (!tty_)
            return;
        const std::int64_t now = clock_.Microseconds();
        if (!force && progressShown_ && now - lastShownUs_ < 100'000 &&
            time_.Id != MessageId::ScansComplete && !Japanese(time_).empty())
            return;
        lastShownUs_ = now;
        progressShown_ = true;
        std::fprintf(stderr, "\r\033[K[%3d%%] %s", percent_, Shown(time_).c_str());
        std::fflush(stderr);
    }

    const Clock& clock_;
    const bool tty_ = ::isatty(STDERR_FILENO) != 0;
    MeasurementRun* run_ = nullptr;
    Message time_ = Verbatim("");
    int percent_ = 0;
    bool progressShown_ = false;
    bool started_ = false;
    bool stopHandled_ = false;
    bool progressDue_ = false;
    std::int64_t lastShownUs_ = 0;
};

} // namespace

int Record(const std::string& paramFile, bool force, const std::string& deviceName,
           const std::optional<std::string>& trigger) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path paramPath = fs::absolute(fs::path(paramFile), ec);
    if (ec || !fs::is_regular_file(paramPath, ec))
        return Fail(Fill(Tr("cli", "パラメータファイル %1 が見つかりません。"), paramFile));
    const std::string paramDir = paramPath.parent_path().string() + "/";

    MainEntries entries = DefaultMainEntries(paramDir);
    try {
        if (!LoadParameterFile(entries, paramPath.string()))
            return Fail(Fill(Tr("cli", "パラメータファイル %1 を読み込めません。"), paramFile));
    } catch (const std::exception& e) {
        return Fail(MessageOf(e));
    }
    if (entries.EditFileName.empty())
        return Fail(Tr("cli", "パラメータファイルにデータファイル名がありません。"));
    if (trigger && !ParseTriggerOption(*trigger, entries.Trigger)) {
        Fail(Message{MessageId::TriggerOption});
        return UsageStatus;
    }
    fs::path dataPath(entries.EditFileName);
    if (dataPath.is_relative())
        dataPath = paramPath.parent_path() / dataPath;
    entries.EditFileName = dataPath.lexically_normal().string();
    if (fs::exists(dataPath, ec) && !force)
        return Fail(Fill(Tr("cli", "データファイル %1 は既に存在します。上書きするには --force を"
                                   "付けて下さい。"),
                         entries.EditFileName));

    const DeviceEntry device =
        FindDevice(deviceName.empty() ? std::string(SimulatedDeviceName) : deviceName);
    if (device.Name.empty())
        return Fail(Verbatim(
            Sentences(DeviceNotFoundMessage(deviceName),
                      Verbatim(Tr("cli", "「tavrelrex-cli devices」で一覧を表示できます。")))));

    InstallStopHandlers();
    SystemClock clock;
    const std::unique_ptr<Device> source = MakeDevice(device, clock);
    TerminalPrompter prompter(force);
    TerminalView view(clock);
    MeasurementRun run(*source, clock, prompter, view);
    view.Attach(run);
    try {
        run.BtnAdStartClick(entries);
        DriveToEnd(run, [&view](std::int64_t wait) { view.Pass(wait); });
    } catch (const std::exception& e) {
        view.EndProgressLine();
        return Fail(MessageOf(e));
    }
    view.EndProgressLine();
    if (!view.Started()) {
        if (prompter.Errors > 0) // the reason is shown already
            return 1;
        if (run.AvailableBytes >= 0 && run.PlannedBytes > run.AvailableBytes)
            return Fail(FreeSpaceMessage(run.PlannedBytes, run.AvailableBytes));
        return Fail(Tr("cli", "計測を開始できませんでした。"));
    }
    if (prompter.Errors > 0)
        return 1;
    std::printf("%s\n", Fill(Tr("cli", "%1: %2 バースト"), entries.EditFileName,
                             std::to_string(run.BlocksWritten))
                            .c_str());
    return 0;
}

Command AddRecordCommand(CLI::App& app) {
    auto* sub = app.add_subcommand(
        "record", "Record one measurement with the simulated card or a device; Ctrl-C stops "
                  "and completes the data file");
    auto paramFile = std::make_shared<std::string>();
    auto force = std::make_shared<bool>(false);
    auto device = std::make_shared<std::string>();
    auto trigger = std::make_shared<std::string>();
    sub->add_option("PARAMS", *paramFile, "parameter file (.apm)")->required();
    sub->add_flag("--force", *force,
                  "overwrite an existing data file; start even when the disk looks too full");
    sub->add_option("--device", *device,
                    "record from this device (a name that 'devices' lists; default: simulated)");
    sub->add_option("--trigger", *trigger,
                    "start each burst on a level crossing, CH:EDGE:LEVEL[:PRE] (channel from 1; "
                    "rising, falling or either; the level in the channel's unit; the pre-trigger "
                    "share in percent), e.g. 1:rising:0:20; hdf5 files only");
    return {sub, [paramFile, force, device, trigger, sub] {
                // Given but empty is a mistake, not the default device.
                if (sub->count("--device") > 0 && device->empty()) {
                    Fail(Tr("cli", "--device には装置の名前を指定して下さい。"));
                    return UsageStatus;
                }
                return Record(*paramFile, *force, *device,
                              sub->count("--trigger") > 0 ? std::optional(*trigger) : std::nullopt);
            }};
}

Command AddDevicesCommand(CLI::App& app) {
    auto* sub = app.add_subcommand(
        "devices", "List what can be recorded from: name, description, channels, sample rates");
    return {sub, [] {
                for (const DeviceEntry& device : ListDevices(true)) {
                    std::string channels;
                    for (const std::string& c : device.Channels)
                        channels += (channels.empty() ? "" : ",") + c;
                    std::printf("%s\t%s\t%zu ch: %s\t%s\n", device.Name.c_str(),
                                Shown(DescriptionOf(device)).c_str(), device.Channels.size(),
                                channels.c_str(), device.Rates.c_str());
                }
                return 0;
            }};
}

} // namespace tavrel::cli
