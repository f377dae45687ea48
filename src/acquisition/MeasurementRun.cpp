#include "acquisition/MeasurementRun.h"

#include "model/FileError.h"
#include "model/Rounding.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "text/Messages.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>

namespace tavrel {

MeasurementRun::MeasurementRun(Device& device, Clock& clock, Prompter& prompter,
                               MeasurementView& view)
    : ScansDone(transfer_.ScansDone), SamplesFetched(transfer_.SamplesFetched),
      BlocksWritten(file_.BlocksWritten), device_(device), clock_(clock), prompter_(prompter),
      view_(view), transfer_(device_, data_, settings_, view), display_(view), file_(data_) {}

void MeasurementRun::HandleDeviceEvents() {
    while (const std::optional<DeviceEvent> event = device_.NextEvent())
        DeviceEventArrived(*event);
}

void MeasurementRun::BtnAdStartClick(const MainEntries& entries) {
    if (Active()) // a nested start while one runs
        return;

    std::error_code ec;
    if (!entries.EditFileName.empty() &&
        std::filesystem::exists(std::filesystem::path(entries.EditFileName), ec) &&
        prompter_.ShowMessage(MessageKind::Warning, Message{MessageId::OverwriteQuestion},
                              MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
        return;

    if (!ValidateParameters(entries, data_, settings_, prompter_, transfer_.ScansDone))
        return;
    // Only a format with a time per burst can hold bursts that start on the signal.
    const DataFileType type = DataFileTypeOfChoice(entries.RadioGroupFileType);
    if (settings_.Trigger.Start == BurstStart::Trigger && type != DataFileType::Hdf5) {
        prompter_.ShowMessage(MessageKind::Error, {MessageId::TriggerNeedsHdf5},
                              MessageButtons::Ok);
        return;
    }
    view_.LayOutCharts(data_.Header);
    channels_ = data_.Header.ChannelCount;
    samples_ = data_.Header.SampleCount;
    scanMicroseconds_ =
        static_cast<std::int64_t>(static_cast<long double>(data_.Header.SamplingInterval) *
                                  TimeUnitFactor(data_.Header.SamplingUnit) * 1e6L);
    const auto needed = static_cast<std::size_t>(std::max(channels_, std::int16_t{0})) *
                        static_cast<std::size_t>(std::max(samples_, std::int32_t{0}));
    if (channels_ < 1 || channels_ > MaxSampledChannels || samples_ < 1 ||
        settings_.SampleBuffer.size() < needed)
        return; // nothing a burst could be recorded into
    // A device that cannot record these channels at this rate is refused before any file.
    if (const std::optional<Message> refusal =
            device_.Refusal(channels_, static_cast<std::uint16_t>(data_.Header.SamplingInterval),
                            settings_.DriverRateUnit)) {
        prompter_.ShowMessage(MessageKind::Error, *refusal, MessageButtons::Ok);
        return;
    }

    // Nothing is written unless the planned file fits, or the operator says to go on.
    data_.Header.ChannelCount = channels_;
    data_.Header.SampleCount = samples_;
    const TriggerSettings recorded = device_.CutOn(settings_.Trigger, data_.Header,
                                                   static_cast<double>(scanMicroseconds_) * 1e-6);
    PlannedBytes = PlannedFileBytes(type, data_.Header);
    AvailableBytes = AvailableBytesFor(settings_.DataFileName);
    if (AvailableBytes >= 0 && PlannedBytes > AvailableBytes &&
        prompter_.ShowMessage(MessageKind::Warning, FreeSpaceQuestion(PlannedBytes, AvailableBytes),
                              MessageButtons::YesNo) != MessageAnswer::Yes)
        return;

    // A failing creation ends the start with nothing changed but the reason shown.
    try {
        file_.Create(type, settings_.DataFileName, settings_.DurableDataFile, channels_, samples_,
                     [&] {
                         RecordingSource source = SourceOf(device_.Identify());
                         source.Trigger = recorded;
                         return source;
                     });
    } catch (const std::exception& e) {
        ReportError(e);
        return;
    }
    settings_.CodeSteps = file_.CodeSteps;
    BurstNumber = 0;
    display_.Reset();
    startWait_ = {};
    SetState(RunState::Waiting);
    view_.SetUpCharts(data_.Header, settings_);
    HandleDeviceEvents();
}

void MeasurementRun::EndByWriteError(const std::exception& e) {
    // A failing write ends the measurement; the file is left consistent where possible.
    StopConversion();
    if (Active()) {
        SetState(RunState::Finishing);
        try {
            FinishDataFile(false);
        } catch (const std::exception&) {
        }
        file_.Discard(); // nothing recorded: no file left behind
        EnterIdle();
        view_.SetPresentStatus({IsDiskFull(e) ? MessageId::DiskFullStatus : MessageId::Aborted});
    }
    ReportError(e);
}

std::int64_t MeasurementRun::Step() {
    if (!Running())
        return MaxYieldWaitMicroseconds;
    std::int64_t wait = 0;
    try {
        wait = StepOnce();
    } catch (const std::exception& e) {
        EndByWriteError(e);
    }
    HandleDeviceEvents();
    return wait;
}

std::int64_t MeasurementRun::StepOnce() {
    if (state_ == RunState::Waiting) {
        if (const std::optional<std::int64_t> wait =
                startWait_.Step(settings_.WaitTime, clock_, view_, display_))
            return *wait;
        BeginRecording();
    }
    if (Card.Converting != 0)
        return FetchSamples();
    if (clock_.Now() >= NextBurstTime)
        return StartBurst();
    return ShowBurstWait(NextBurstTime - clock_.Now(),
                         IdleGapDays(data_.Header, settings_.BurstIntervalDays), display_);
}

void MeasurementRun::BeginRecording() {
    BurstNumber = 0;
    cutEnd_ = BurstEnd::Stopped;
    data_.Header.StartTime = clock_.Now();
    NextBurstTime = data_.Header.StartTime;
    file_.WriteHeader();               // the start time is known only now
    SetState(RunState::BetweenBursts); // the first burst is due now
}

std::int64_t MeasurementRun::StartBurst() {
    transfer_.Begin(channels_, samples_);
    file_.KeepHeader();
    if (const StartFailure failure = device_.Start(BurstSetup(data_.Header, settings_));
        failure != StartFailure::None) {
        // Shown once, over a measurement that has ended as by the operator's stop.
        const Message text = StartFailureMessage(failure);
        EndByFault(text);
        prompter_.ShowMessage(MessageKind::Error, text, MessageButtons::Ok);
        return 0;
    }
    Card.Converting = 1;
    SetState(RunState::Converting);
    display_.NoTime();
    view_.SetUpCharts(data_.Header, settings_);
    burstBegun_ = !device_.Cutting();
    if (device_.Cutting()) {
        view_.SetPresentStatus({MessageId::TriggerWaiting});
        display_.Time({MessageId::TriggerCount, {std::to_string(BurstNumber)}});
        view_.ShowTrigger(settings_.Trigger, -1);
        return 0;
    }
    file_.BeginBurst(BurstNumber, clock_.Now(), NextBurstTime);
    ++BurstNumber;
    view_.SetPresentStatus({MessageId::BurstRunning, {std::to_string(BurstNumber)}});
    return 0;
}

void MeasurementRun::BeginTriggeredBurst() {
    // Times of the device's clock: the continuous start (in the step of the recording's start)
    // plus the scans since.
    const double start = data_.Header.StartTime;
    const double scanSeconds = static_cast<double>(scanMicroseconds_) * 1e-6;
    const BurstTrigger trigger =
        device_.TimedTrigger(EpochSecondsOf(start).value_or(NAN), scanSeconds);
    file_.BeginBurst(BurstNumber,
                     start + static_cast<double>(device_.BurstFirstScan()) * scanSeconds / 86400,
                     NAN, trigger);
    burstBegun_ = true;
    ++BurstNumber;
    view_.SetPresentStatus({MessageId::BurstRunning, {std::to_string(BurstNumber)}});
    view_.ShowTrigger(settings_.Trigger, trigger.Scan);
}

std::int64_t MeasurementRun::FetchSamples() {
    if (Card.Converting == 0)
        return MaxYieldWaitMicroseconds;
    switch (transfer_.Fetch()) {
    case SampleTransfer::Fetched::BuffersGone: // taken from under the run
    case SampleTransfer::Fetched::Lost:        // the acquisition is not to be trusted
        HaltCard({MessageId::CardAbnormal});
        EndByFault({MessageId::CardAbnormal});
        return 0;
    case SampleTransfer::Fetched::Overflow:
        HaltCard({MessageId::CardOverflowFetch});
        EndByFault({MessageId::CardOverflowFetch});
        return 0;
    case SampleTransfer::Fetched::Nothing:
        // Nothing yet: sleep about one scan, so a slow device costs no processor time.
        return std::clamp<std::int64_t>(scanMicroseconds_, 1000, MaxYieldWaitMicroseconds);
    case SampleTransfer::Fetched::Samples:
        if (!burstBegun_)
            BeginTriggeredBurst();
        file_.Values(transfer_.LastValues());
        break;
    }
    display_.Progress(ClampPercent(ScansDone * 100.0 / samples_));
    display_.Time(samples_ > ScansDone
                      ? Message{MessageId::ScansLeft, {std::to_string(samples_ - ScansDone)}}
                      : Message{MessageId::ScansComplete});
    // The block goes to the file within this step, so a stop that comes after it finds it
    // written and never writes it a second time.
    if (transfer_.BurstComplete())
        EndOfBurst();
    return 0;
}

void MeasurementRun::EndOfBurst() {
    Card.Converting = 0; // the device has ended by itself
    file_.WriteBlock(BurstNumber - 1);
    const bool last = BurstNumber == data_.Header.BurstCount;
    if (const std::optional<Message> status =
            StatusAfterBurst(BurstNumber, last, file_.Clipped, device_.Cutting()))
        view_.SetPresentStatus(*status);
    if (last) {
        display_.NoTime();
        EnterIdle();
        return;
    }
    SetState(RunState::BetweenBursts);
    // On a trigger it is armed again at once.
    NextBurstTime = device_.Cutting()
                        ? clock_.Now()
                        : BurstNumber * settings_.BurstIntervalDays + data_.Header.StartTime;
}

void MeasurementRun::BtnAdStopClick() {
    if (!Running()) {
        StopConversion();
        HandleDeviceEvents();
        return;
    }
    // A burst still waiting for its trigger has nothing in the file.
    const bool burstCut = state_ == RunState::Converting && burstBegun_;
    SetState(RunState::Finishing);
    view_.SetPresentStatus({MessageId::Aborted});
    display_.NoTime();
    try {
        FinishDataFile(burstCut);
    } catch (const std::exception& e) {
        StopConversion();
        EnterIdle();
        if (IsDiskFull(e))
            view_.SetPresentStatus({MessageId::DiskFullStatus});
        HandleDeviceEvents();
        ReportError(e);
        return;
    }
    StopConversion();
    EnterIdle();
    HandleDeviceEvents();
}

void MeasurementRun::HaltCard(const Message& cardStatus) {
    view_.SetCardStatus(cardStatus);
    device_.Stop();
    Card.Converting = 0;
}

void MeasurementRun::EndByFault(const Message& cardStatus) {
    if (cardStatus.Id == MessageId::CardAbnormal || cardStatus.Id == MessageId::CardOverflowFetch)
        cutEnd_ =
            cardStatus.Id == MessageId::CardAbnormal ? BurstEnd::DeviceLost : BurstEnd::Overflow;
    BtnAdStopClick();
    view_.SetCardStatus(cardStatus);
}

void MeasurementRun::StopConversion() {
    if (Card.Converting == 1) {
        device_.Stop();
        Card.Converting = 0;
        view_.SetCardStatus({MessageId::CardStopped});
    }
}

void MeasurementRun::SetState(RunState state) {
    if (state == state_)
        return;
    state_ = state;
    view_.ShowRunState(state);
}

void MeasurementRun::EnterIdle() {
    if (device_.Streaming())
        device_.Stop(); // the continuous acquisition runs between bursts too
    file_.Release();
    SetState(RunState::Idle);
    display_.Progress(0);
}

void MeasurementRun::FinishDataFile(bool burstCut) {
    if (!file_.Exists())
        return; // no measurement has begun a file
    std::exception_ptr failure;
    if (burstCut) {
        // The interrupted burst: every scan not converted is marked missing.
        transfer_.MarkMissing();
        try {
            file_.EndBurstAs(std::exchange(cutEnd_, BurstEnd::Stopped));
            file_.WriteBlock(BurstNumber - 1);
        } catch (const std::exception&) {
            // A full disk or a vanished file: the blocks before it are still completed.
            failure = std::current_exception();
        }
    }
    file_.Complete();
    if (failure)
        std::rethrow_exception(failure);
}

void MeasurementRun::DeviceEventArrived(const DeviceEvent& event) {
    switch (event.Kind) {
    case DeviceEventKind::Converting:
        view_.SetCardStatus({MessageId::CardConverting});
        break;
    case DeviceEventKind::Overflow:
        view_.SetCardStatus({MessageId::CardOverflow});
        cutEnd_ = BurstEnd::Overflow;
        BtnAdStopClick();
        break;
    case DeviceEventKind::Ended:
        view_.SetCardStatus({MessageId::CardEnded, {std::to_string(event.Count)}});
        break;
    case DeviceEventKind::Abnormal:
        HaltCard({MessageId::CardAbnormal});
        // The interrupted burst is kept as by the operator's stop.
        if (Active())
            EndByFault({MessageId::CardAbnormal});
        break;
    }
}

void MeasurementRun::CloseRequested() {
    if (Active())
        BtnAdStopClick();
    else
        StopConversion();
}

void MeasurementRun::ReportError(const std::exception& e) {
    prompter_.ShowMessage(MessageKind::Error, MessageOf(e), MessageButtons::Ok);
}

} // namespace tavrel
