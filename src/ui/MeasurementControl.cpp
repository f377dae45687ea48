#include "ui/MeasurementControl.h"

#include "ui/MainWindow.h"
#include "ui/WaveformCharts.h"
#include "widgets/Translations.h"

#include <algorithm>

namespace tavrel {

MessageAnswer MeasurementControl::FormPrompter::ShowMessage(MessageKind kind,
                                                            const Message& message,
                                                            MessageButtons buttons) {
    // The entry a refusal is about is in front, focused and marked while the box is read.
    if (kind == MessageKind::Error)
        form_.PointAtRefusedField(message);
    return form_.Messages().ShowMessage(kind, message, buttons);
}

MeasurementControl::MeasurementControl(MainWindow& form, Clock& clock)
    : form_(form), prompter_(form) {
    run_ = std::make_unique<MeasurementRun>(form.Source(), clock, prompter_, *this);
    // Single-shot and started again only after a step: a message shown inside a step never
    // meets another step.
    step_.setSingleShot(true);
    step_.setTimerType(Qt::PreciseTimer);
    connect(&step_, &QTimer::timeout, this, [this] { StepRun(); });
    timeText_.setSingleShot(true);
    connect(&timeText_, &QTimer::timeout, this, [this] { ShowPendingTime(); });
    sinceTimeText_.start();

    connect(&form, &MainWindow::StartClicked, this, [this] { BtnAdStartClick(); });
    connect(&form, &MainWindow::StopClicked, this, [this] { BtnAdStopClick(); });
    form.installEventFilter(this);
}

MeasurementControl::~MeasurementControl() {
    form_.removeEventFilter(this);
}

void MeasurementControl::BtnAdStartClick() {
    form_.ClearRefusedFields();
    run_->BtnAdStartClick(form_.TakeEntries());
    ScheduleStep(0);
}

void MeasurementControl::BtnAdStopClick() {
    run_->BtnAdStopClick();
    ScheduleStep(0);
}

void MeasurementControl::StepRun() {
    QElapsedTimer slice;
    slice.start();
    std::int64_t wait = 0;
    do
        wait = run_->Step();
    while (wait == 0 && run_->Running() && slice.nsecsElapsed() < BusyStepNs);
    ScheduleStep(wait);
}

void MeasurementControl::ScheduleStep(std::int64_t waitMicroseconds) {
    if (!run_->Running()) {
        step_.stop();
        return;
    }
    // Timers count whole milliseconds; a shorter wait is a millisecond, none is none.
    step_.start(static_cast<int>(std::clamp<std::int64_t>((waitMicroseconds + 999) / 1000, 0,
                                                          MaxYieldWaitMicroseconds / 1000)));
}

bool MeasurementControl::eventFilter(QObject* watched, QEvent* event) {
    // Closing the window while measuring: the card is stopped and the file completed before
    // the window writes its settings and the program ends.
    if (watched == &form_ && event->type() == QEvent::Close && run_->Active())
        run_->CloseRequested();
    return false;
}

void MeasurementControl::SetPresentStatus(const Message& text) {
    form_.ShowPresentStatus(CoreText(text));
}

void MeasurementControl::SetTimeText(const Message& text) {
    pendingTime_ = CoreText(text);
    timePending_ = true;
    // Only the countdown of the scans is held back; every other text shows at once.
    if (text.Id != MessageId::ScansLeft || sinceTimeText_.elapsed() >= TimeTextIntervalMs) {
        ShowPendingTime();
        return;
    }
    if (!timeText_.isActive())
        timeText_.start(TimeTextIntervalMs);
}

void MeasurementControl::ShowPendingTime() {
    timeText_.stop();
    if (!timePending_)
        return;
    timePending_ = false;
    form_.ShowTime(pendingTime_);
    sinceTimeText_.restart();
}

void MeasurementControl::SetProgress(int percent) {
    form_.ShowProgress(percent);
}

void MeasurementControl::SetCardStatus(const Message& text) {
    form_.ShowCardStatus(CoreText(text));
}

void MeasurementControl::ShowRunState(RunState state) {
    form_.ShowRunState(state);
    if (state != RunState::Idle) {
        running_ = true;
        return;
    }
    if (!running_)
        return;
    running_ = false;
    // Beside the status text, which stays as it is: the bursts saved and the file.
    form_.ShowSavedBursts(
        CoreText(Message{MessageId::SavedBursts,
                         {std::to_string(run_->BlocksWritten), run_->Settings().DataFileName}}));
}

void MeasurementControl::LayOutCharts(const MeasurementHeader&) {
    form_.Charts().ChartPanelResize();
}

void MeasurementControl::SetUpCharts(const MeasurementHeader&,
                                     const MeasurementSettings& settings) {
    form_.Charts().SetUpCharts(settings.ChartTimeUnit);
}

void MeasurementControl::AppendCodes(int channel, const std::vector<std::int16_t>& block,
                                     std::int64_t first, std::int64_t end,
                                     const ChannelScale& scale) {
    form_.Charts().AppendCodes(channel, block, first, end, scale);
}

void MeasurementControl::ShowTrigger(const TriggerSettings& trigger, std::int64_t triggerScan) {
    form_.Charts().ShowTrigger(trigger, triggerScan);
}

} // namespace tavrel
