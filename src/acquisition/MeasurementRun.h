#pragma once

#include "acquisition/Clock.h"
#include "acquisition/Device.h"
#include "acquisition/MeasurementParameters.h"
#include "acquisition/MeasurementView.h"
#include "acquisition/RunState.h"
#include "datafiles/DataFileFormats.h"
#include "datafiles/MainEntries.h"
#include "model/Prompter.h"
#include "model/SDFdata.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavrel {

// Texts of the measurement displays.
namespace RunText {
inline constexpr std::string_view OverwriteQuestion =
    "同名のファイルが存在します。\n上書きしてよろしいですか。";
inline constexpr std::string_view WaitingStart = "計測待ち";
inline constexpr std::string_view TimeToStart = "開始まであと";
inline constexpr std::string_view BurstRunning = "回目の計測";
inline constexpr std::string_view BurstWaiting = "回目の計測待ち";
inline constexpr std::string_view TimeLeft = "残り時間：";
inline constexpr std::string_view ScansLeft = "残り変換回数：";
inline constexpr std::string_view ScansComplete = "終了";
inline constexpr std::string_view Finished = "変換終了";
inline constexpr std::string_view Aborted = "変換中止";
inline constexpr std::string_view CardStopped = "停止";
inline constexpr std::string_view CardConverting = "変換中";
inline constexpr std::string_view CardOverflow = "リングバッファオーバーフロー";
inline constexpr std::string_view CardOverflowFetch = "リングバッファオーバーフロー!";
inline constexpr std::string_view CardEnded = "変換終了[";
inline constexpr std::string_view CardAbnormal = "変換異常で終了";
} // namespace RunText

// At most this many scans are taken from the ring buffer per fetch.
inline constexpr int ScansPerFetch = 32;

// Millivolts to the 16-bit code of a block: rounded halves away from zero, limited to
// -32767..32767 so a value out of range is never wrapped nor taken for ErrorData.
std::int16_t MillivoltCode(double millivolts);

// One measurement at a time, and the one owner of it: the start takes the entries and creates
// the data file, then the caller steps the run (the window from a timer, the command line from
// a sleep loop) until it is no longer Running. Each step does what is due and says how long
// the caller may wait before the next; displays change only inside the run's calls, and what
// the device says of its acquisition is handled at the end of the call that made it say so.
// The run never waits for events itself, so a dialog opened between two steps does not hold it.
class MeasurementRun {
public:
    MeasurementRun(Device& device, Clock& clock, SDFdata& data, MeasurementSettings& settings,
                   Prompter& prompter, MeasurementView& view);
    MeasurementRun(const MeasurementRun&) = delete;
    MeasurementRun& operator=(const MeasurementRun&) = delete;

    // Starts a measurement with the entries (file type and data file included): asks what is
    // to be asked, creates the data file and leaves the run Waiting for its first step.
    // Ignored while a measurement runs.
    void BtnAdStartClick(const MainEntries& entries);
    // The operator's stop: completes the data file and returns the displays to Idle.
    void BtnAdStopClick();
    // Stops a running conversion.
    void StopConversion();
    // What the device said of its acquisition: the card status, and for an overflow or an
    // abnormal end the end of the measurement.
    void DeviceEventArrived(const DeviceEvent& event);
    // Handles what the device has to say now.
    void HandleDeviceEvents();
    // The window is closing: a running measurement is stopped and its file completed first.
    void CloseRequested();

    // One step of the run: the wait before the start, a due burst started, the pause shown or
    // one fetch. Returns how long the caller may wait before the next step (microseconds).
    // Nothing is done while nothing runs. A failing write ends the measurement here.
    std::int64_t Step();

    // One step of the loop while converting; returns the wait before the next.
    std::int64_t FetchSamples();

    RunState State() const { return state_; }
    // True from the start of a measurement until it is Idle again.
    bool Active() const { return state_ != RunState::Idle; }
    // The wait, a burst or the pause between bursts: the loop goes on.
    bool Running() const {
        return state_ == RunState::Waiting || state_ == RunState::Converting ||
               state_ == RunState::BetweenBursts;
    }

    // Whether the device's acquisition runs, as the run sees it.
    struct AcquisitionState {
        int Converting = 0;
    } Card;
    std::int32_t BurstNumber = 0;
    std::int32_t ScansDone = 0;
    std::int32_t SamplesFetched = 0;
    double NextBurstTime = 0;
    // Whole blocks in the data file of the current (or last) measurement.
    std::int32_t BlocksWritten = 0;
    // The last start's planned file size and the free space found for it (-1: unknown).
    std::int64_t PlannedBytes = 0;
    std::int64_t AvailableBytes = -1;
    // The system's errno behind the last error shown (0: none or not a file's).
    int LastErrorCode = 0;

private:
    static std::int64_t WaitUntil(double days);
    std::int64_t StepOnce();
    void BeginRecording();
    std::int64_t StartBurst();
    std::int64_t ShowBurstWait();
    // Ends the measurement after a failing write and shows the error.
    void EndByWriteError(const std::exception& e);
    void EndOfBurst();
    bool BuffersHoldTheBurst() const;
    // Puts read values into the block buffers from sample SamplesFetched on, as codes.
    void StoreValues(std::span<const double> values);
    void ChartScans(std::int32_t first, std::int32_t count);
    // Stops the card's conversion at once after a fault, showing cardStatus.
    void HaltCard(std::string_view cardStatus);
    // Ends the measurement as the operator's stop does, after a fault of the card.
    void EndByFault(std::string_view cardStatus);
    // Reports a change to the view.
    void SetState(RunState state);
    void EnterIdle();
    // The completion after a stop; burstCut: the stop came in the middle of a burst, whose
    // block is written with the scans not converted marked missing.
    void FinishDataFile(bool burstCut);
    void WriteHeader();
    void WriteBlock(int k);
    void KeepRunHeader();
    void ReportError(const std::exception& e);
    static bool IsDiskFull(const std::exception& e);
    void ShowTimeText(const std::string& text);
    void ShowProgress(int percent);

    Device& device_;
    Clock& clock_;
    SDFdata& data_;
    MeasurementSettings& settings_;
    Prompter& prompter_;
    MeasurementView& view_;

    RunState state_ = RunState::Idle;
    // The data file of the current (or last) measurement, in the format chosen at its start.
    std::unique_ptr<DataFileWriter> writer_;
    // The shape the measurement started with: the header is held to it while it runs.
    std::int16_t channels_ = 1;
    std::int32_t samples_ = 0;
    std::int64_t scanMicroseconds_ = 0;
    // The values of one fetch.
    std::vector<double> values_;
    // The wait before the first burst, taken at the first step.
    bool waitBegun_ = false;
    double waitFrom_ = 0;
    double waitDays_ = 0;

    std::string lastTimeText_;
    int lastProgress_ = -1;
};

// The loop of a program without an event loop: steps the run until it no longer runs, calling
// pass(wait) before each step with the wait the last step allowed (0 before the first), where
// the caller sleeps and looks for a stop.
void DriveToEnd(MeasurementRun& run, const std::function<void(std::int64_t)>& pass);

} // namespace tavrel
