#pragma once

#include "acquisition/Clock.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/MeasurementView.h"
#include "model/Prompter.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <memory>

namespace tavrel {

class MainWindow;

// The main window's side of a measurement: the window's displays as the run's view, the start
// and stop buttons, one timer that steps the run, and the closing of the window, which first
// stops a running measurement and completes its data file.
class MeasurementControl final : public QObject, public MeasurementView {
public:
    MeasurementControl(MainWindow& form, Clock& clock);
    ~MeasurementControl() override;

    MeasurementRun& Run() { return *run_; }

    // The handlers of BtnAdStart and BtnAdStop.
    void BtnAdStartClick();
    void BtnAdStopClick();

    // MeasurementView.
    void SetPresentStatus(const Message& text) override;
    void SetTimeText(const Message& text) override;
    void SetProgress(int percent) override;
    void SetCardStatus(const Message& text) override;
    void ShowRunState(RunState state) override;
    void LayOutCharts(const MeasurementHeader& header) override;
    void SetUpCharts(const MeasurementHeader& header, const MeasurementSettings& settings) override;
    void AppendCodes(int channel, const std::vector<std::int16_t>& block, std::int64_t first,
                     std::int64_t end, const ChannelScale& scale) override;
    void ShowTrigger(const TriggerSettings& trigger, std::int64_t triggerScan) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sends the run's messages to whatever prompter the window uses at the time.
    class FormPrompter final : public Prompter {
    public:
        explicit FormPrompter(MainWindow& form) : form_(form) {}
        MessageAnswer ShowMessage(MessageKind kind, const Message& message,
                                  MessageButtons buttons) override;

    private:
        MainWindow& form_;
    };

    MainWindow& form_;
    FormPrompter prompter_;
    std::unique_ptr<MeasurementRun> run_;
    void ShowPendingTime();

    // Steps the run while it runs: the steps that are due at once are taken together for up
    // to BusyStepNs (asking the window system after every fetch would cost more than the data),
    // then the event loop has its turn and the timer comes back when the run wants it.
    void StepRun();
    void ScheduleStep(std::int64_t waitMicroseconds);
    QTimer step_;
    static constexpr qint64 BusyStepNs = 200'000;

    // The countdown of a burst changes with every fetch; it is drawn at most every
    // TimeTextIntervalMs, the last value always.
    static constexpr int TimeTextIntervalMs = 40;
    QTimer timeText_;
    QElapsedTimer sinceTimeText_;
    QString pendingTime_;
    bool timePending_ = false;
    // A run was under way: its end tells how many bursts were saved, and where.
    bool running_ = false;
};

} // namespace tavrel
