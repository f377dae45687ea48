#pragma once

#include "acquisition/AdLib32.h"
#include "acquisition/CardSetup.h"
#include "acquisition/MeasurementParameters.h"
#include "datafiles/MainEntries.h"
#include "datafiles/Prompter.h"
#include "datafiles/SDFdata.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QAction;
class QButtonGroup;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QTableWidgetItem;
class QTimer;

namespace tavrel {

class HelpWindow;
class AboutBox;
class ProgressDialog;
class WaveformCharts;

struct TForm1Options {
    // The about box as a start-up banner; tests and benchmarks start without it.
    bool ShowAboutBox = true;
    // The program file's directory; empty: the directory of the running program.
    QString ExeDir;
    // Where settings go when ExeDir cannot be written; empty: the user's configuration
    // directory of the program.
    QString ConfigDir;
};

// The main window: the card, parameter, channel and save pages, the start and stop buttons
// with the status displays, the charts and the menus. It owns the data-file unit's record and
// the settings derived from the entries, and answers the core's messages with message boxes.
class TForm1 : public QMainWindow, public Prompter {
    Q_OBJECT
public:
    static constexpr int MaxChannels = 4;
    static constexpr int CommentLimit = 160; // bytes of CP932

    explicit TForm1(AdLib32& card, TForm1Options options = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up, run once when the window is first shown (queued, so that the window is up).
    void FormShow();
    bool StartUpDone() const { return startUpDone_; }

    // The entries as the window holds them, and back.
    MainEntries TakeEntries() const;
    void ApplyEntries(const MainEntries& entries);

    // Takes the entries into the header and the settings and lays out the charts.
    bool ValidateParameters();
    void SetUpCharts();

    // Handlers.
    void Timer1Timer();
    void RadioGroupFileTypeClick();
    void BitBtn1Click();
    void ComboChNumChange();
    void O1Click();
    void Save1Click();
    void Exit1Click();
    void RunApplicationClick();
    void AssignApplicationClick();
    void Contents1Click();
    void K1Click();
    void BitBtn2Click();
    void Version1Click();

    // The file operations behind O1Click and Save1Click, once a file was chosen.
    void LoadParametersFrom(const QString& fileName);
    void SaveParametersTo(const QString& fileName);

    // Writes "default.apm"; false when the operator chose to keep the program running after
    // a failure.
    bool SaveDefaultParameters();

    // File1 and Analysis1 together (off while measuring).
    void EnableFileMenus(bool enabled);

    // Prompter: message boxes with the captions and buttons of their kind.
    MessageAnswer ShowMessage(MessageKind kind, std::string_view text, MessageButtons buttons,
                              int helpContext = 0) override;
    // Sends the messages to another prompter (tests); nullptr restores the message boxes.
    void RedirectMessages(Prompter* prompter) { redirect_ = prompter; }
    Prompter& Messages() { return redirect_ ? *redirect_ : *this; }

    // What the measurement run shares with the window.
    AdLib32& Card() { return card_; }
    const CardInfo& FoundCard() const { return cardInfo_; }
    CardState& CardFlags() { return cardState_; }
    SDFdata& Data() { return data_; }
    MeasurementSettings& Settings() { return settings_; }
    int& ScansDone() { return scansDone_; }
    WaveformCharts& Charts() { return *charts_; }
    HelpWindow& Help();

    QString ExeDir() const { return exeDir_; }
    // Where "default.apm" and the default data file live: ExeDir, or the configuration
    // directory when ExeDir cannot be written.
    QString SettingsDir() const { return settingsDir_; }
    QString ApplicationPath() const { return applicationPath_; }
    void SetApplicationPath(const QString& path) { applicationPath_ = path; }
    // The program path the run command uses, and its working directory ("" = current).
    QString AnalysisProgramPath() const;
    QString AnalysisWorkingDirectory() const;
    // True once the program end has been decided (the window may still be closing).
    bool EndRequested() const { return endRequested_; }

    // Controls, named as the form names them.
    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QLineEdit* TextCardType = nullptr;
    QLineEdit* TextAdrs = nullptr;
    QLineEdit* TextIrqNo = nullptr;
    QLineEdit* TextStatus = nullptr;
    QLineEdit* EditWaitTime = nullptr;
    QLineEdit* EditIteration = nullptr;
    QLineEdit* EditBurstInterval = nullptr;
    QComboBox* ComboBoxBITUnit = nullptr;
    QLineEdit* EditSInterval = nullptr;
    QComboBox* ComboSampUnit = nullptr;
    QLineEdit* EditDataNum = nullptr;
    QComboBox* ComboChNum = nullptr;
    QLineEdit* Edit1 = nullptr;
    QTableWidget* StringGridChannel = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QGroupBox* RadioGroupFileType = nullptr;
    QButtonGroup* RadioGroupFileTypeButtons = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* EditFileName = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPushButton* BtnAdStart = nullptr;
    QPushButton* BtnAdStop = nullptr;
    QLineEdit* EditPresentStatus = nullptr;
    QLineEdit* EditTime = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QMenu* File1 = nullptr;
    QMenu* Analysis1 = nullptr;
    QMenu* V1 = nullptr;
    QAction* O1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* RunApplication = nullptr;
    QAction* AssignApplication = nullptr;
    QAction* Contents1 = nullptr;
    QAction* K1 = nullptr;
    QAction* Version1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog2 = nullptr;
    QFileDialog* OpenDialogApplicationSoft = nullptr;
    QTimer* Timer1 = nullptr;

signals:
    // Start-up has run to its end (the window is ready for the operator).
    void StartUpFinished();
    // The program is to end: the main window was closed or quit was chosen, and the
    // settings were written (or the operator chose to end without them).
    void ProgramEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    void BuildCardPage();
    void BuildParameterPage();
    void BuildChannelPage();
    void BuildSavePage();
    void BuildButtonGroup();
    void BuildDialogs();
    void FormCreate();

    void ShowCardInformation();
    void SetGridRowCount(int rows);
    void SetCell(int row, int column, const QString& text);
    QString CellText(int row, int column) const;
    // The entry checks: texts that CP932 cannot hold are refused where they are typed.
    void Memo1Changed();
    void EditFileNameEdited(const QString& text);
    void GridItemChanged(QTableWidgetItem* item);
    void RefuseEntry(const QString& field);
    bool AcceptPath(const QString& path);
    void EndProgram();

    AdLib32& card_;
    TForm1Options options_;
    CardInfo cardInfo_;
    CardState cardState_;
    SDFdata data_;
    MeasurementSettings settings_;
    int scansDone_ = 0;
    QString exeDir_;
    QString settingsDir_;
    QString applicationPath_;
    int gridRowCount_ = 2;
    bool applying_ = false;
    bool formShowQueued_ = false;
    bool startUpDone_ = false;
    bool endRequested_ = false;
    QString memoText_;
    QString fileNameText_;
    Prompter* redirect_ = nullptr;
    WaveformCharts* charts_ = nullptr;
    AboutBox* aboutBox_ = nullptr;
    ProgressDialog* progress_ = nullptr;
    HelpWindow* help_ = nullptr;
};

// The window caption's fixed part; the clock follows it.
inline constexpr const char* CaptionText = "AD変換データ収集システム TavrelREX        ";

// Dialog filters written as "description|pattern;pattern" become Qt name filters that show
// the description unchanged.
QStringList NameFilters(const QString& filter);

// The directory for "default.apm": exeDir when a file can be created there, else configDir.
QString ChooseSettingsDir(const QString& exeDir, const QString& configDir);

} // namespace tavrel
