#include "acquisition/MeasurementRun.h"

#include "model/FileError.h"
#include "model/Rounding.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "text/Messages.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace tavrel {

std::int16_t MillivoltCode(double millivolts) {
    if (std::isnan(millivolts))
        return ErrorData;
    return static_cast<std::int16_t>(RoundHalfAway(std::clamp(millivolts, -32767.0, 32767.0)));
}

MeasurementRun::MeasurementRun(Device& device, Clock& clock, SDFdata& data,
                               MeasurementSettings& settings, Prompter& prompter,
                               MeasurementView& view)
    : device_(device), clock_(clock), data_(data), settings_(settings), prompter_(prompter),
      view_(view) {}

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
        prompter_.ShowMessage(MessageKind::Warning, RunText::OverwriteQuestion,
                              MessageButtons::YesNo) != MessageAnswer::Yes)
        return;

    if (!ValidateParameters(entries, data_, settings_, prompter_, ScansDone))
        return;
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
    if (const std::string refusal =
            device_.Refusal(channels_, static_cast<std::uint16_t>(data_.Header.SamplingInterval),
                            settings_.DriverRateUnit);
        !refusal.empty()) {
        prompter_.ShowMessage(MessageKind::Error, refusal, MessageButtons::Ok);
        return;
    }

    // Nothing is written unless the planned file fits, or the operator says to go on.
    KeepRunHeader();
    const DataFileType type = DataFileTypeOfChoice(entries.RadioGroupFileType);
    PlannedBytes = PlannedFileBytes(type, data_.Header);
    AvailableBytes = AvailableBytesFor(settings_.DataFileName);
    if (AvailableBytes >= 0 && PlannedBytes > AvailableBytes &&
        prompter_.ShowMessage(MessageKind::Warning, FreeSpaceQuestion(PlannedBytes, AvailableBytes),
                              MessageButtons::YesNo) != MessageAnswer::Yes)
        return;

    // A failing creation ends the start with nothing changed but the reason shown.
    auto writer = MakeDataFileWriter(type, settings_.DataFileName);
    writer->SetDurable(settings_.DurableDataFile);
    LastErrorCode = 0;
    try {
        writer->Begin(data_.Header);
    } catch (const std::exception& e) {
        writer->Discard();
        ReportError(e);
        return;
    }
    writer_ = std::move(writer);

    BlocksWritten = 0;
    BurstNumber = 0;
    lastTimeText_.clear();
    lastProgress_ = -1;
    waitBegun_ = false;
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
        if (BlocksWritten == 0 && writer_) // nothing recorded: no file left behind
            writer_->Discard();
        EnterIdle();
        view_.SetPresentStatus(IsDiskFull(e) ? DiskFullStatus : RunText::Aborted);
    }
    ReportError(e);
}

std::int64_t MeasurementRun::WaitUntil(double days) {
    // Sleeps until the moment comes, at most MaxYieldWaitMicroseconds, so the countdown and
    // the progress still move.
    const double us = days * 86400e6;
    if (!(us < static_cast<double>(MaxYieldWaitMicroseconds)))
        return MaxYieldWaitMicroseconds;
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(us)));
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
        if (!waitBegun_) {
            waitBegun_ = true;
            waitDays_ = settings_.WaitTime > 0 ? settings_.WaitTime / 86400 : 0;
            if (waitDays_ > 0) {
                waitFrom_ = clock_.Now();
                view_.SetPresentStatus(RunText::WaitingStart);
            }
        }
        if (waitDays_ > 0) {
            const double due = waitFrom_ + waitDays_;
            const double now = clock_.Now();
            if (now < due) {
                ShowProgress(ClampPercent((now - waitFrom_) * 100 / waitDays_));
                ShowTimeText(std::string(RunText::TimeToStart) + FormatCountdown(due - now));
                return WaitUntil(due - now);
            }
        }
        BeginRecording();
    }
    if (Card.Converting != 0)
        return FetchSamples();
    if (clock_.Now() >= NextBurstTime)
        return StartBurst();
    return ShowBurstWait();
}

void MeasurementRun::BeginRecording() {
    BurstNumber = 0;
    data_.Header.StartTime = clock_.Now();
    NextBurstTime = data_.Header.StartTime;
    WriteHeader();
    SetState(RunState::BetweenBursts); // the first burst is due now
}

std::int64_t MeasurementRun::StartBurst() {
    ScansDone = 0;
    SamplesFetched = 0;
    KeepRunHeader();
    AcquisitionSetup setup;
    setup.Channels = channels_;
    // The interval goes to the device in 16 bits; validation keeps it within them.
    setup.Interval = static_cast<std::uint16_t>(data_.Header.SamplingInterval);
    setup.RateUnit = settings_.DriverRateUnit;
    setup.Scans = samples_;
    setup.RingSamples = settings_.RingBufferSize;
    setup.TransferBuffer = &settings_.SampleBuffer;
    if (const StartFailure failure = device_.Start(setup); failure != StartFailure::None) {
        // Shown once, over a measurement that has ended as by the operator's stop.
        const std::string text(StartFailureText(failure));
        EndByFault(text);
        prompter_.ShowMessage(MessageKind::Error, text, MessageButtons::Ok);
        return 0;
    }
    Card.Converting = 1;
    ++BurstNumber;
    SetState(RunState::Converting);
    view_.SetPresentStatus(std::to_string(BurstNumber) + std::string(RunText::BurstRunning));
    ShowTimeText("");
    view_.SetUpCharts(data_.Header, settings_);
    return 0;
}

std::int64_t MeasurementRun::ShowBurstWait() {
    const double now = clock_.Now();
    const double left = NextBurstTime - now;
    ShowTimeText(std::string(RunText::TimeLeft) + FormatCountdown(left));
    const auto& h = data_.Header;
    const double gap =
        settings_.BurstIntervalDays - static_cast<double>(h.SamplingInterval) *
                                          static_cast<double>(TimeUnitFactor(h.SamplingUnit)) *
                                          (h.SampleCount - 1) / 86400;
    ShowProgress(gap > 0 ? ClampPercent((1 - left / gap) * 100) : 100);
    return WaitUntil(left);
}

std::int64_t MeasurementRun::FetchSamples() {
    if (Card.Converting == 0)
        return MaxYieldWaitMicroseconds;
    const std::int32_t ch = channels_;
    const std::int32_t total = ch * samples_;
    if (!BuffersHoldTheBurst()) { // taken from under the run: nothing more can be stored
        HaltCard(RunText::CardAbnormal);
        EndByFault(RunText::CardAbnormal);
        return 0;
    }
    // At most ScansPerFetch scans, counting the part of a scan already taken.
    const std::int32_t partial = SamplesFetched - ScansDone * ch;
    const std::int32_t wanted = std::min(ScansPerFetch, samples_ - ScansDone) * ch - partial;
    if (wanted <= 0)
        return MaxYieldWaitMicroseconds;
    values_.resize(static_cast<std::size_t>(wanted));
    const ReadResult read = device_.Read(values_);
    if (read.Status == ReadStatus::Overflow) {
        HaltCard(RunText::CardOverflowFetch);
        EndByFault(RunText::CardOverflowFetch);
        return 0;
    }
    if (read.Status == ReadStatus::Lost) { // the acquisition is not to be trusted
        HaltCard(RunText::CardAbnormal);
        EndByFault(RunText::CardAbnormal);
        return 0;
    }
    if (read.Count <= 0) {
        // Nothing yet: sleep about one scan, so a slow device costs no processor time.
        return std::clamp<std::int64_t>(scanMicroseconds_, 1000, MaxYieldWaitMicroseconds);
    }
    StoreValues(std::span<const double>(values_).first(
        static_cast<std::size_t>(std::min(read.Count, wanted))));
    const std::int32_t scans = SamplesFetched / ch - ScansDone;
    if (scans > 0) {
        ChartScans(ScansDone, scans);
        ScansDone += scans;
    }
    ShowProgress(ClampPercent(ScansDone * 100.0 / samples_));
    ShowTimeText(samples_ > ScansDone
                     ? std::string(RunText::ScansLeft) + std::to_string(samples_ - ScansDone)
                     : std::string(RunText::ScansComplete));
    if (SamplesFetched >= total) {
        // The block goes to the file within this step, so a stop that comes after it finds it
        // written and never writes it a second time.
        EndOfBurst();
        return 0;
    }
    return 0;
}

bool MeasurementRun::BuffersHoldTheBurst() const {
    if (settings_.SampleBuffer.size() <
        static_cast<std::size_t>(channels_) * static_cast<std::size_t>(samples_))
        return false;
    for (int c = 0; c < channels_; ++c)
        if (data_.BlockData[static_cast<std::size_t>(c)].size() <
            static_cast<std::size_t>(samples_))
            return false;
    return true;
}

void MeasurementRun::StoreValues(std::span<const double> values) {
    // The one place where a value becomes the millivolt code the files hold.
    const auto ch = static_cast<std::size_t>(channels_);
    auto sample = static_cast<std::size_t>(SamplesFetched);
    for (const double volts : values) {
        data_.BlockData[sample % ch][sample / ch] = MillivoltCode(volts * 1000);
        ++sample;
    }
    SamplesFetched = static_cast<std::int32_t>(sample);
}

void MeasurementRun::ChartScans(std::int32_t first, std::int32_t count) {
    // The charts draw from the block buffers themselves: nothing is copied for them.
    const auto& h = data_.Header;
    for (int c = 0; c < std::min<int>(channels_, MaxChannels); ++c) {
        const auto cu = static_cast<std::size_t>(c);
        view_.AppendCodes(c, data_.BlockData[cu], first, first + count,
                          {static_cast<double>(h.CoefA[cu]), static_cast<double>(h.CoefB[cu]),
                           settings_.ChartTimeScale});
    }
}

void MeasurementRun::EndOfBurst() {
    Card.Converting = 0; // the device has ended by itself
    WriteBlock(BurstNumber - 1);
    if (BurstNumber == data_.Header.BurstCount) {
        view_.SetPresentStatus(RunText::Finished);
        ShowTimeText("");
        EnterIdle();
        return;
    }
    SetState(RunState::BetweenBursts);
    NextBurstTime = BurstNumber * settings_.BurstIntervalDays + data_.Header.StartTime;
    view_.SetPresentStatus(std::to_string(BurstNumber + 1) + std::string(RunText::BurstWaiting));
}

void MeasurementRun::BtnAdStopClick() {
    if (!Running()) {
        StopConversion();
        HandleDeviceEvents();
        return;
    }
    const bool burstCut = state_ == RunState::Converting;
    SetState(RunState::Finishing);
    view_.SetPresentStatus(RunText::Aborted);
    ShowTimeText("");
    try {
        FinishDataFile(burstCut);
    } catch (const std::exception& e) {
        StopConversion();
        EnterIdle();
        if (IsDiskFull(e))
            view_.SetPresentStatus(DiskFullStatus);
        HandleDeviceEvents();
        ReportError(e);
        return;
    }
    StopConversion();
    EnterIdle();
    HandleDeviceEvents();
}

void MeasurementRun::HaltCard(std::string_view cardStatus) {
    view_.SetCardStatus(cardStatus);
    device_.Stop();
    Card.Converting = 0;
}

void MeasurementRun::EndByFault(std::string_view cardStatus) {
    BtnAdStopClick();
    view_.SetCardStatus(cardStatus);
}

void MeasurementRun::StopConversion() {
    if (Card.Converting == 1) {
        device_.Stop();
        Card.Converting = 0;
        view_.SetCardStatus(RunText::CardStopped);
    }
}

void MeasurementRun::SetState(RunState state) {
    if (state == state_)
        return;
    state_ = state;
    view_.ShowRunState(state);
}

void MeasurementRun::EnterIdle() {
    if (writer_) // the lock ends with the measurement
        writer_->Release();
    SetState(RunState::Idle);
    ShowProgress(0);
}

void MeasurementRun::FinishDataFile(bool burstCut) {
    if (!writer_)
        return; // no measurement has begun a file
    KeepRunHeader();
    std::exception_ptr failure;
    if (burstCut) {
        // The interrupted burst: every scan not converted is marked missing.
        for (int c = 0; c < channels_; ++c) {
            auto& block = data_.BlockData[static_cast<std::size_t>(c)];
            if (block.size() < static_cast<std::size_t>(samples_))
                block.resize(static_cast<std::size_t>(samples_), ErrorData);
            std::fill(block.begin() + std::clamp(ScansDone, 0, samples_), block.begin() + samples_,
                      ErrorData);
        }
        try {
            WriteBlock(BurstNumber - 1);
        } catch (const std::exception&) {
            // A full disk or a vanished file: the blocks before it are still completed.
            failure = std::current_exception();
        }
    }
    if (data_.Header.BurstCount != BlocksWritten) {
        data_.Header.BurstCount =
            static_cast<std::int16_t>(std::min<std::int32_t>(BlocksWritten, INT16_MAX));
        writer_->Complete(data_.Header, BlocksWritten);
    }
    if (failure)
        std::rethrow_exception(failure);
}

void MeasurementRun::DeviceEventArrived(const DeviceEvent& event) {
    switch (event.Kind) {
    case DeviceEventKind::Converting:
        view_.SetCardStatus(RunText::CardConverting);
        break;
    case DeviceEventKind::Overflow:
        view_.SetCardStatus(RunText::CardOverflow);
        BtnAdStopClick();
        break;
    case DeviceEventKind::Ended:
        view_.SetCardStatus(std::string(RunText::CardEnded) + std::to_string(event.Count) + "]");
        break;
    case DeviceEventKind::Abnormal:
        HaltCard(RunText::CardAbnormal);
        // The interrupted burst is kept as by the operator's stop.
        if (Active())
            EndByFault(RunText::CardAbnormal);
        break;
    }
}

void MeasurementRun::CloseRequested() {
    if (Active())
        BtnAdStopClick();
    else
        StopConversion();
}

void MeasurementRun::WriteHeader() {
    // The start time is known only now: the file, still without blocks, begins again with it.
    KeepRunHeader();
    writer_->Begin(data_.Header);
}

void MeasurementRun::WriteBlock(int k) {
    KeepRunHeader();
    writer_->AppendBlock(k, data_);
    ++BlocksWritten;
}

void MeasurementRun::KeepRunHeader() {
    // The file's layout was fixed when the measurement started.
    data_.Header.ChannelCount = channels_;
    data_.Header.SampleCount = samples_;
}

void MeasurementRun::ReportError(const std::exception& e) {
    const auto* file = dynamic_cast<const FileError*>(&e);
    LastErrorCode = file != nullptr ? file->Code() : 0;
    prompter_.ShowMessage(MessageKind::Error, e.what(), MessageButtons::Ok);
}

void MeasurementRun::ShowTimeText(const std::string& text) {
    if (text == lastTimeText_)
        return;
    lastTimeText_ = text;
    view_.SetTimeText(text);
}

void MeasurementRun::ShowProgress(int percent) {
    if (percent == lastProgress_)
        return;
    lastProgress_ = percent;
    view_.SetProgress(percent);
}

bool MeasurementRun::IsDiskFull(const std::exception& e) {
    const auto* file = dynamic_cast<const FileError*>(&e);
    return file != nullptr &&
           (file->Code() == ENOSPC || file->Code() == EFBIG || file->Code() == EDQUOT);
}

void DriveToEnd(MeasurementRun& run, const std::function<void(std::int64_t)>& pass) {
    std::int64_t wait = 0;
    while (run.Running()) {
        if (pass)
            pass(wait);
        if (!run.Running())
            break;
        wait = run.Step();
    }
}

} // namespace tavrel
