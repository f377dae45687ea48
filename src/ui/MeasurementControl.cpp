#include "ui/MeasurementControl.h"

#include "ui/MainWindow.h"
#include "ui/WaveformCharts.h"
#include "widgets/Translations.h"

#include <algorithm>

#include <QCoreApplication>
#include <QThread>

namespace tavrel {

MessageAnswer MeasurementControl::FormPrompter::ShowMessage(MessageKind kind, std::string_view text,
                                                            MessageButtons buttons,
                                                            int helpContext) {
    return form_.Messages().ShowMessage(kind, text, buttons, helpContext);
}

MeasurementControl::MeasurementControl(MainWindow& form, Clock& clock)
    : form_(form), prompter_(form) {
    run_ = std::make_unique<MeasurementRun>(form.Card(), clock, form.Data(), form.Settings(),
                                            prompter_, *this);
    form.Card().SetNotifyCallback(PostingDriverNotify());
    hook_ = std::make_unique<DriverMessageHook>([this](std::uint32_t wParam, std::int32_t lParam) {
        run_->DriverNotification(wParam, lParam);
    });
    // The wake-up of a waiting yield.
    wakeUp_.setSingleShot(true);
    wakeUp_.setTimerType(Qt::PreciseTimer);
    drive_.setSingleShot(true);
    drive_.setTimerType(Qt::PreciseTimer);
    connect(&drive_, &QTimer::timeout, this, [this] { DriveNestedStep(); });
    timeText_.setSingleShot(true);
    connect(&timeText_, &QTimer::timeout, this, [this] { ShowPendingTime(); });
    sinceTimeText_.start();

    connect(&form, &MainWindow::StartClicked, this, [this] { BtnAdStartClick(); });
    connect(&form, &MainWindow::StopClicked, this, [this] { BtnAdStopClick(); });
    form.installEventFilter(this);
}

MeasurementControl::~MeasurementControl() {
    form_.removeEventFilter(this);
    form_.Card().SetNotifyCallback({});
}

void MeasurementControl::BtnAdStartClick() {
    run_->BtnAdStartClick(form_.TakeEntries());
}

void MeasurementControl::BtnAdStopClick() {
    run_->BtnAdStopClick();
}

bool MeasurementControl::eventFilter(QObject* watched, QEvent* event) {
    // Closing the window while measuring: the card is stopped and the file completed before
    // the window writes its settings and the program ends.
    if (watched == &form_ && event->type() == QEvent::Close && run_->Active())
        run_->CloseRequested();
    return false;
}

void MeasurementControl::SetPresentStatus(std::string_view text) {
    form_.ShowPresentStatus(CoreText(text));
}

void MeasurementControl::SetTimeText(std::string_view text) {
    pendingTime_ = CoreText(text);
    timePending_ = true;
    // Only the countdown of the scans is held back; every other text shows at once.
    if (!text.starts_with(RunText::ScansLeft) || sinceTimeText_.elapsed() >= TimeTextIntervalMs) {
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

void MeasurementControl::SetCardStatus(std::string_view text) {
    form_.ShowCardStatus(CoreText(text));
}

void MeasurementControl::ShowRunState(RunState state) {
    form_.ShowRunState(state);
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
                                     const ChartScale& scale) {
    form_.Charts().AppendCodes(channel, block, first, end, scale);
}

void MeasurementControl::Yield(std::int64_t waitMicroseconds) {
    if (waitMicroseconds <= 0) {
        // At full speed a fetch takes microseconds; asking the window system that often
        // would cost more than the data. Events are still handled every BusyYieldNs.
        if (sinceYield_.isValid() && sinceYield_.nsecsElapsed() < BusyYieldNs)
            return;
        const NestedDrive drive(*this, 0);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        sinceYield_.start();
        return;
    }
    // Handles what is pending, or sleeps until the next event or the wake-up.
    // Timers count whole milliseconds; a shorter wait is a millisecond.
    const int waitMs = static_cast<int>(std::max<std::int64_t>(1, (waitMicroseconds + 999) / 1000));
    const NestedDrive drive(*this, waitMs);
    wakeUp_.start(waitMs);
    waitLoop_.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    sinceYield_.start();
}

MeasurementControl::NestedDrive::NestedDrive(MeasurementControl& control, int waitMs)
    : control_(control), outerLevel_(control.yieldLevel_), outerWaitMs_(control.yieldWaitMs_) {
    // The level of the event loop that yields: a dialog opened by a handler inside the yield
    // runs one level above it.
    control_.yieldLevel_ = QThread::currentThread()->loopLevel();
    control_.yieldWaitMs_ = waitMs;
    control_.yieldClock_.start();
    control_.drive_.start(std::max(waitMs, 1));
}

MeasurementControl::NestedDrive::~NestedDrive() {
    control_.drive_.stop();
    control_.yieldLevel_ = outerLevel_;
    control_.yieldWaitMs_ = outerWaitMs_;
}

void MeasurementControl::DriveNestedStep() {
    if (yieldLevel_ < 0)
        return;
    // Held: a dialog runs its own loop above the yield's, or a handler that handles events
    // itself keeps the yield far beyond its wait.
    const bool held = QThread::currentThread()->loopLevel() > yieldLevel_ ||
                      yieldClock_.elapsed() > yieldWaitMs_ + HeldYieldMs;
    if (!held) {
        // The yield returns soon and the run's loop goes on; a dialog opened later in this
        // yield is looked for again.
        drive_.start(1);
        return;
    }
    const std::int64_t wait = run_->Step();
    if (run_->Running())
        drive_.start(static_cast<int>(
            std::clamp<std::int64_t>((wait + 999) / 1000, 0, MaxYieldWaitMicroseconds / 1000)));
}

} // namespace tavrel
