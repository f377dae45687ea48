#pragma once

#include "acquisition/Clock.h"
#include "acquisition/Device.h"
#include "acquisition/DeviceSwitch.h"
#include "acquisition/MeasurementParameters.h"
#include "acquisition/RunState.h"
#include "datafiles/MainEntries.h"
#include "model/Prompter.h"
#include "model/SDFdata.h"
#include "ui/AnalysisCommands.h"
#include "ui/CardPage.h"
#include "ui/EntryBinding.h"
#include "ui/ParameterCommands.h"
#include "ui/SettingsLocation.h"

#include <QMainWindow>
#include <QString>

#include <memory>
#include <vector>

class QTimer;

namespace tavrel {

class AboutBox;
class HelpWindow;
class MeasurementControl;
class ProgressDialog;
class WaveformCharts;
struct MainWindowForm;

struct MainWindowOptions {
    // The about box as a start-up banner; tests and benchmarks start without it.
    bool ShowAboutBox = true;
    // The program file's directory; empty: the directory of the running program.
    QString ExeDir;
    // Where settings go when ExeDir cannot be written; empty: the user's configuration
    // directory of the program.
    QString ConfigDir;
    // The card when it is a switch between devices: the card page lets the operator choose.
    DeviceSwitch* Devices = nullptr;
    // The clock of the measurements; nullptr: the system's.
    Clock* RunClock = nullptr;
};

// The main window: the card, parameter, channel and save pages, the start and stop buttons
// with the status displays, the charts and the menus. It holds the measurement, whose run owns
// the data-file unit's record and the settings derived from the entries, and answers the
// core's messages with message boxes.
// Its controls are its own; others reach them through what the window does.
class MainWindow : public QMainWindow, public Prompter {
    Q_OBJECT
public:
    explicit MainWindow(Device& device, MainWindowOptions options = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up, run once when the window is first shown (queued, so that the window is up).
    void FormShow();
    bool StartUpDone() const { return startUpDone_; }

    // The entries as the window holds them, and back.
    MainEntries TakeEntries() const { return entries_->TakeEntries(); }
    void ApplyEntries(const MainEntries& entries) { entries_->ApplyEntries(entries); }

    // Takes the entries into the header and the settings and lays out the charts.
    bool ValidateParameters();
    void SetUpCharts();

    // The file operations behind the File menu, once a file was chosen.
    void LoadParametersFrom(const QString& fileName);
    void SaveParametersTo(const QString& fileName);

    // The file beside "default.apm" that remembers the chosen device.
    QString DeviceSettingsFile() const;

    // Writes "default.apm"; false when the operator chose to keep the program running after
    // a failure.
    bool SaveDefaultParameters();

    // The measurement's displays and controls, as the run drives them.
    void ShowPresentStatus(const QString& text);
    void ShowTime(const QString& text);
    void ShowProgress(int percent);
    // What the last run saved, as the status line's tooltip.
    void ShowSavedBursts(const QString& text);
    void ShowCardStatus(const QString& text);
    // Enables the start and stop buttons, the channel count box, the trigger page and the File
    // and Analysis menus as the run's state allows (start only with a card).
    void ShowRunState(RunState state);

    // Brings the entry a refusal message is about to the front, focused and marked; the
    // marks go at the next start.
    void PointAtRefusedField(const Message& message);
    void ClearRefusedFields();

    // Prompter: message boxes with the captions and buttons of their kind.
    MessageAnswer ShowMessage(MessageKind kind, const Message& message,
                              MessageButtons buttons) override;
    // Sends the messages to another prompter (tests); nullptr restores the message boxes.
    void RedirectMessages(Prompter* prompter) { redirect_ = prompter; }
    Prompter& Messages() { return redirect_ ? *redirect_ : *this; }

    // What the measurement run shares with the window.
    Device& Source() { return device_; }
    const DeviceIdentity& FoundDevice() const { return cardPage_->Found(); }
    // The measurement, which holds the header and the settings taken from the entries.
    MeasurementControl& Measurement() { return *measurement_; }
    SDFdata& Data();
    MeasurementSettings& Settings();
    WaveformCharts& Charts() { return *charts_; }
    HelpWindow& Help() { return analysis_->Help(); }

    QString ExeDir() const { return location_->ExeDir(); }
    // Where "default.apm" and the default data file live: ExeDir, or the configuration
    // directory when ExeDir cannot be written.
    QString SettingsDir() const { return location_->SettingsDir(); }
    QString ApplicationPath() const { return entries_->ApplicationPath(); }
    void SetApplicationPath(const QString& path) { entries_->SetApplicationPath(path); }
    // The program path the run command uses, and its working directory ("" = current).
    QString AnalysisProgramPath() const { return analysis_->AnalysisProgramPath(); }
    QString AnalysisWorkingDirectory() const { return analysis_->AnalysisWorkingDirectory(); }
    // True once the program end has been decided (the window may still be closing).
    bool EndRequested() const { return endRequested_; }

signals:
    // Start-up has run to its end (the window is ready for the operator).
    void StartUpFinished();
    // The program is to end: the main window was closed or quit was chosen, and the
    // settings were written (or the operator chose to end without them).
    void ProgramEnded();
    // The start and stop buttons were clicked (Esc clicks stop while it is enabled).
    void StartClicked();
    void StopClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ConnectHandlers();
    void ShowCaptionClock();
    void EndProgram();

    // Handlers.
    void ComboChNumChange();
    void RadioGroupFileTypeClick();
    void ExitProgram();
    void ShowAboutBox();

    Device& device_;
    MainWindowOptions options_;
    std::unique_ptr<SettingsLocation> location_;
    std::unique_ptr<MainWindowForm> form_;
    EntryBinding* entries_ = nullptr;
    WaveformCharts* charts_ = nullptr;
    CardPage* cardPage_ = nullptr;
    AnalysisCommands* analysis_ = nullptr;
    ParameterCommands* parameters_ = nullptr;
    std::unique_ptr<SystemClock> systemClock_;
    // Made before the pages that show its header, and gone after them.
    std::unique_ptr<MeasurementControl> measurement_;
    AboutBox* aboutBox_ = nullptr;
    ProgressDialog* progress_ = nullptr;
    QTimer* captionClock_ = nullptr; // "Timer1"
    bool formShowQueued_ = false;
    bool startUpDone_ = false;
    bool endRequested_ = false;
    Prompter* redirect_ = nullptr;
};

// The window caption's fixed part; the clock follows it.
inline constexpr const char* CaptionText =
    QT_TRANSLATE_NOOP("tavrel::MainWindow", "AD変換データ収集システム TavrelREX        ");

} // namespace tavrel
