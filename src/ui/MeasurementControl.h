#pragma once

#include "acquisition/Clock.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/MeasurementView.h"
#include "model/Prompter.h"
#include "ui/DriverMessageHook.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <memory>

namespace tavrel {

class MainWindow;

// The main window's side of a measurement: the window's displays as the run's view, the start
// and stop buttons, the driver's notifications through DriverMessageHook, and the closing of
// the window, which first stops a running measurement and completes its data file.
class MeasurementControl final : public QObject, public MeasurementView {
public:
    MeasurementControl(MainWindow& form, Clock& clock);
    ~MeasurementControl() override;

    MeasurementRun& Run() { return *run_; }

    // The handlers of BtnAdStart and BtnAdStop.
    void BtnAdStartClick();
    void BtnAdStopClick();

    // MeasurementView.
    void SetPresentStatus(std::string_view text) override;
    void SetTimeText(std::string_view text) override;
    void SetProgress(int percent) override;
    void SetCardStatus(std::string_view text) override;
    void ShowRunState(RunState state) override;
    void LayOutCharts(const MeasurementHeader& header) override;
    void SetUpCharts(const MeasurementHeader& header, const MeasurementSettings& settings) override;
    void AppendCodes(int channel, const std::vector<std::int16_t>& block, std::int64_t first,
                     std::int64_t end, const ChartScale& scale) override;
    void Yield(std::int64_t waitMicroseconds) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sends the run's messages to whatever prompter the window uses at the time.
    class FormPrompter final : public Prompter {
    public:
        explicit FormPrompter(MainWindow& form) : form_(form) {}
        MessageAnswer ShowMessage(MessageKind kind, std::string_view text, MessageButtons buttons,
                                  int helpContext) override;

    private:
        MainWindow& form_;
    };

    MainWindow& form_;
    FormPrompter prompter_;
    std::unique_ptr<MeasurementRun> run_;
    std::unique_ptr<DriverMessageHook> hook_;
    void ShowPendingTime();

    // While a yield's handler runs a nested event loop (a dialog, a message box), the run's
    // loop is held below it; drive_ steps the run from that loop meanwhile.
    class NestedDrive {
    public:
        NestedDrive(MeasurementControl& control, int waitMs);
        ~NestedDrive();
        NestedDrive(const NestedDrive&) = delete;
        NestedDrive& operator=(const NestedDrive&) = delete;

    private:
        MeasurementControl& control_;
        int outerLevel_;
        int outerWaitMs_;
    };
    void DriveNestedStep();
    QTimer drive_;
    int yieldLevel_ = -1; // the event loop level of the current yield; -1 outside one
    int yieldWaitMs_ = 0;
    QElapsedTimer yieldClock_;
    static constexpr int HeldYieldMs = 100;

    QEventLoop waitLoop_;
    QTimer wakeUp_;
    static constexpr qint64 BusyYieldNs = 200'000;
    QElapsedTimer sinceYield_;
    // The countdown of a burst changes with every fetch; it is drawn at most every
    // TimeTextIntervalMs, the last value always.
    static constexpr int TimeTextIntervalMs = 40;
    QTimer timeText_;
    QElapsedTimer sinceTimeText_;
    QString pendingTime_;
    bool timePending_ = false;
};

} // namespace tavrel
