#pragma once

#include "acquisition/BurstCutter.h"
#include "acquisition/Clock.h"
#include "acquisition/MeasurementParameters.h"
#include "acquisition/MeasurementView.h"
#include "acquisition/RunDataFile.h"
#include "acquisition/RunDisplay.h"
#include "acquisition/RunSchedule.h"
#include "acquisition/RunState.h"
#include "acquisition/SampleTransfer.h"
#include "datafiles/MainEntries.h"
#include "model/Prompter.h"
#include "model/SDFdata.h"

#include <cstdint>
#include <exception>
#include <string>

namespace tavrel {

// One measurement at a time, and the one owner of it: the start takes the entries and creates
// the data file, then the caller steps the run (the window from a timer, the command line from
// a sleep loop) until it is no longer Running. Each step does what is due and says how long
// the caller may wait before the next; displays change only inside the run's calls, and what
// the device says of its acquisition is handled at the end of the call that made it say so.
// The run never waits for events itself, so a dialog opened between two steps does not hold it.
// It holds the header and the block buffers with the settings taken from the entries; the
// window shows and edits them between measurements through Data() and Settings().
class MeasurementRun {
public:
    MeasurementRun(Device& device, Clock& clock, Prompter& prompter, MeasurementView& view);
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
    void HandleDeviceEvents(); // what the device has to say now
    // The window is closing: a running measurement is stopped and its file completed first.
    void CloseRequested();

    // One step of the run: the wait before the start, a due burst started, the pause shown or
    // one fetch. Returns how long the caller may wait before the next step (microseconds).
    // Nothing is done while nothing runs. A failing write ends the measurement here.
    std::int64_t Step();

    // One step of the loop while converting; returns the wait before the next.
    std::int64_t FetchSamples();

    // The header, block buffers and settings; changed only while the run is not Active().
    SDFdata& Data() { return data_; }
    const SDFdata& Data() const { return data_; }
    MeasurementSettings& Settings() { return settings_; }
    const MeasurementSettings& Settings() const { return settings_; }

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
    // The current burst's progress, kept by its transfer.
    const std::int32_t& ScansDone;
    const std::int32_t& SamplesFetched;
    double NextBurstTime = 0;
    // Whole blocks in the data file of the current (or last) measurement.
    const std::int32_t& BlocksWritten;
    // The last start's planned file size and the free space found for it (-1: unknown).
    std::int64_t PlannedBytes = 0;
    std::int64_t AvailableBytes = -1;

private:
    std::int64_t StepOnce();
    void BeginRecording();
    std::int64_t StartBurst();
    // Ends the measurement after a failing write and shows the error.
    void EndByWriteError(const std::exception& e);
    void EndOfBurst();
    // The trigger came: the burst begins in the file and on the displays.
    void BeginTriggeredBurst();
    // Stops the card's conversion at once after a fault, showing cardStatus.
    void HaltCard(const Message& cardStatus);
    // Ends the measurement as the operator's stop does, after a fault of the card.
    void EndByFault(const Message& cardStatus);
    // Reports a change to the view.
    void SetState(RunState state);
    void EnterIdle();
    // The completion after a stop; burstCut: the stop came in the middle of a burst, whose
    // block is written with the scans not converted marked missing.
    void FinishDataFile(bool burstCut);
    void ReportError(const std::exception& e);

    BurstCutter device_; // passes the device through unless bursts start on a trigger
    Clock& clock_;
    SDFdata data_;
    MeasurementSettings settings_;
    Prompter& prompter_;
    MeasurementView& view_;
    SampleTransfer transfer_;
    RunDisplay display_;
    // The data file of the current (or last) measurement.
    RunDataFile file_;

    RunState state_ = RunState::Idle;
    // How a burst cut short ends, as the data file records it.
    BurstEnd cutEnd_ = BurstEnd::Stopped;
    // The shape the measurement started with.
    std::int16_t channels_ = 1;
    std::int32_t samples_ = 0;
    std::int64_t scanMicroseconds_ = 0;
    // The current burst is in the file (a triggered one only once its trigger came).
    bool burstBegun_ = false;
    StartWait startWait_;
};

} // namespace tavrel
