#include "ui/MainWindow.h"

#include "acquisition/DeviceRegistry.h"
#include "acquisition/MeasurementRun.h"
#include "datafiles/DataFileFormats.h"
#include "datafiles/ParameterFile.h"
#include "model/FileError.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "ui/AboutBox.h"
#include "ui/AnalysisCommands.h"
#include "ui/AnalysisProgram.h"
#include "ui/MainWindowForm.h"
#include "ui/MeasurementControl.h"
#include "ui/ParameterCommands.h"
#include "ui/PathText.h"
#include "ui/RefusedField.h"
#include "ui/TriggerPage.h"
#include "ui/WaveformCharts.h"
#include "widgets/FileDialogs.h"
#include "widgets/FormFonts.h"
#include "widgets/HelpWindow.h"
#include "widgets/MessageBoxes.h"
#include "widgets/ProgramIcon.h"
#include "widgets/ProgressDialog.h"
#include "widgets/Translations.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <exception>
#include <string>
#include <utility>

namespace tavrel {

namespace {

const QString LoadFilter = QStringLiteral("Parameter files (*.apm,*.sdf,*.tsd)|*.apm;*.sdf;*.tsd");
const QString SaveFilter = QStringLiteral("Parameter files (*.apm)|*.apm");

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}
std::string S(const QString& text) {
    return text.toStdString();
}

} // namespace

MainWindow::MainWindow(Device& device, MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), device_(device), options_(std::move(options)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(ProgramIcon());
    setFont(GothicFont(12));
    setWindowTitle(tr(CaptionText).trimmed());
    resize(680, 409);
    move(219, 108);
    location_ = std::make_unique<SettingsLocation>(options_.ExeDir, options_.ConfigDir);

    form_ = std::make_unique<MainWindowForm>(*this);
    if (!options_.RunClock) {
        systemClock_ = std::make_unique<SystemClock>();
        options_.RunClock = systemClock_.get();
    }
    measurement_ = std::make_unique<MeasurementControl>(*this, *options_.RunClock);
    SDFdata& data = Data();
    entries_ = new EntryBinding(
        *form_, [this]() -> Prompter& { return Messages(); }, this);
    analysis_ = new AnalysisCommands(
        *form_, *entries_, ExeDir(), [this]() -> Prompter& { return Messages(); }, this);
    cardPage_ = new CardPage(
        *form_, device_, options_.Devices, DeviceSettingsFile(),
        [this]() -> Prompter& { return Messages(); }, this);
    // The layout stores a channel count of 0 back into the header as 1, so the set-up, the
    // run and "default.apm" all see the one channel the charts show.
    charts_ = new WaveformCharts(form_->chartPanel, data.Header, [&data] {
        if (data.Header.ChannelCount == 0)
            data.Header.ChannelCount = 1;
    });
    aboutBox_ = new AboutBox(this);
    progress_ = new ProgressDialog(this);
    parameters_ = new ParameterCommands(
        *form_, *entries_, data, Settings(), *location_, *progress_, [this] { ComboChNumChange(); },
        [this]() -> Prompter& { return Messages(); }, this);

    captionClock_ = new QTimer(this);
    captionClock_->setObjectName(QStringLiteral("Timer1"));
    ConnectHandlers();
}

MainWindow::~MainWindow() {
    // The pages that show the run's header go before the run.
    delete parameters_;
    delete charts_;
}

SDFdata& MainWindow::Data() {
    return measurement_->Run().Data();
}

MeasurementSettings& MainWindow::Settings() {
    return measurement_->Run().Settings();
}

void MainWindow::ConnectHandlers() {
    const MainWindowForm& f = *form_;
    parameters_->Connect();
    connect(f.exitAction, &QAction::triggered, this, &MainWindow::ExitProgram);
    analysis_->Connect();
    connect(f.aboutAction, &QAction::triggered, this, &MainWindow::ShowAboutBox);

    connect(f.ComboChNum, &QComboBox::currentTextChanged, this, [this] {
        if (!entries_->Applying())
            ComboChNumChange();
    });
    connect(f.RadioGroupFileTypeButtons, &QButtonGroup::idClicked, this, [this] {
        if (!entries_->Applying())
            RadioGroupFileTypeClick();
    });
    connect(f.BtnAdStart, &QPushButton::clicked, this, &MainWindow::StartClicked);
    connect(f.BtnAdStop, &QPushButton::clicked, this, &MainWindow::StopClicked);
    connect(captionClock_, &QTimer::timeout, this, &MainWindow::ShowCaptionClock);

    // A long path shows its end (the file's name) while the box is not being edited; the
    // whole path is the tooltip. The text itself stays whole: it is the setting.
    QLineEdit* fileName = f.EditFileName;
    connect(fileName, &QLineEdit::textChanged, this, [fileName](const QString& text) {
        fileName->setToolTip(text);
        if (!fileName->hasFocus())
            fileName->setCursorPosition(static_cast<int>(text.size()));
    });
    connect(fileName, &QLineEdit::editingFinished, this,
            [fileName] { fileName->setCursorPosition(static_cast<int>(fileName->text().size())); });

    // F5 starts as in other recorders; the menus' standard keys.
    auto* start = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(start, &QShortcut::activated, this, [this] {
        if (form_->BtnAdStart->isEnabled())
            form_->BtnAdStart->click();
    });
    f.loadParametersAction->setShortcut(QKeySequence::Open);
    f.saveParametersAction->setShortcut(QKeySequence::Save);
    f.exitAction->setShortcut(QKeySequence::Quit);

    // The stop button is the window's cancel button.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (form_->BtnAdStop->isEnabled())
            form_->BtnAdStop->click();
    });
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!formShowQueued_) {
        formShowQueued_ = true;
        QTimer::singleShot(0, this, &MainWindow::FormShow);
    }
}

void MainWindow::FormShow() {
    if (startUpDone_)
        return;
    formShowQueued_ = true;
    if (options_.ShowAboutBox)
        aboutBox_->exec();
    captionClock_->setInterval(100);
    captionClock_->start();
    ShowCaptionClock();

    // The defaults, before any parameter file.
    MeasurementHeader& header = Data().Header;
    header = DefaultMeasurementHeader();
    Settings().RingBufferSize =
        (header.ChannelCount + header.ExtraChannelCount) * header.SampleCount + 32;
    Settings().DriverRateUnit = 1;
    ApplyEntries(DefaultMainEntries(S(SettingsDir())));

    cardPage_->FillDeviceChoice();
    cardPage_->ShowCardInformation();
    form_->BtnAdStop->setEnabled(false);
    ComboChNumChange();
    form_->EditPresentStatus->setText(tr("未変換"));
    form_->TextStatus->setText(CoreText(Message{MessageId::CardStopped}));
    form_->EditTime->clear();

    for (QFileDialog* dialog : {form_->loadParametersDialog, form_->saveParametersDialog})
        dialog->setDirectory(SettingsDir());
    form_->loadParametersDialog->setNameFilters(NameFilters(LoadFilter));
    form_->saveParametersDialog->setNameFilters(NameFilters(SaveFilter));

    const QString defaults = location_->DefaultParametersToLoad();
    if (!defaults.isEmpty()) {
        form_->loadParametersDialog->selectFile(defaults);
        LoadParametersFrom(defaults);
    }
    ValidateParameters();
    SetUpCharts();
    startUpDone_ = true;
    emit StartUpFinished();
}

QString MainWindow::DeviceSettingsFile() const {
    return SettingsDir() + QStringLiteral("tavrelrex.ini");
}

void MainWindow::ShowCaptionClock() {
    setWindowTitle(tr(CaptionText) + Q(FormatFileDateTime(NowDateTime())));
}

// --- Handlers -----------------------------------------------------------------------------

bool MainWindow::ValidateParameters() {
    const MainEntries entries = TakeEntries();
    MeasurementRun& run = measurement_->Run();
    const bool ok =
        tavrel::ValidateParameters(entries, run.Data(), run.Settings(), Messages(), run.ScansDone);
    // Laid out whatever the result: a failed check keeps the channel count it had taken, and
    // the set-up shows that many charts.
    charts_->ChartPanelResize();
    return ok;
}

void MainWindow::SetUpCharts() {
    // A check that failed before the time unit was derived leaves none: the samples' own unit.
    const MeasurementSettings& settings = Settings();
    charts_->SetUpCharts(settings.ChartTimeUnit.empty()
                             ? std::string(TimeUnitName(Data().Header.SamplingUnit))
                             : settings.ChartTimeUnit);
}

void MainWindow::ComboChNumChange() {
    MainEntries entries = TakeEntries();
    if (tavrel::ComboChNumChange(entries, Data().Header)) {
        entries_->ShowGridRows(entries.GridRowCount);
        return;
    }
    // A box being typed into passes through the empty text; only a text that names no
    // channel count is reported.
    if (!entries.ComboChNumText.empty())
        Messages().ShowMessage(MessageKind::Error,
                               Verbatim(S(tr("チャンネル数は1～4の整数で設定して下さい。"))),
                               MessageButtons::Ok);
}

void MainWindow::RadioGroupFileTypeClick() {
    QLineEdit* fileName = form_->EditFileName;
    const int type = form_->RadioGroupFileTypeButtons->checkedId();
    if (type >= 0 && type <= 2) {
        const std::string_view ext = DataFormatOf(DataFileTypeOfChoice(type)).Extensions.front();
        fileName->setText(ChangeFileExt(fileName->text(),
                                        QString::fromLatin1(ext.data(), qsizetype(ext.size()))));
    }
}

void MainWindow::LoadParametersFrom(const QString& fileName) {
    parameters_->LoadParametersFrom(fileName);
}

void MainWindow::SaveParametersTo(const QString& fileName) {
    parameters_->SaveParametersTo(fileName);
}

bool MainWindow::SaveDefaultParameters() {
    return parameters_->SaveDefaultParameters();
}

void MainWindow::ExitProgram() {
    if (endRequested_)
        return;
    if (!SaveDefaultParameters())
        return;
    EndProgram();
}

void MainWindow::EndProgram() {
    endRequested_ = true;
    captionClock_->stop();
    close();
    emit ProgramEnded();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (endRequested_) {
        event->accept();
        return;
    }
    if (!SaveDefaultParameters()) {
        event->ignore();
        return;
    }
    endRequested_ = true;
    captionClock_->stop();
    event->accept();
    emit ProgramEnded();
}

// --- The measurement's displays -----------------------------------------------------------

void MainWindow::ShowPresentStatus(const QString& text) {
    ShowShrunkToFit(form_->EditPresentStatus, text); // a translation may be longer
}

void MainWindow::ShowSavedBursts(const QString& text) {
    form_->EditPresentStatus->setToolTip(text);
}

void MainWindow::ShowTime(const QString& text) {
    // A long count of scans takes a smaller font rather than scroll its label out of the box.
    ShowShrunkToFit(form_->EditTime, text);
}

void MainWindow::ShowProgress(int percent) {
    form_->runProgress->setValue(percent);
}

void MainWindow::ShowCardStatus(const QString& text) {
    form_->TextStatus->setText(text);
}

void MainWindow::ShowRunState(RunState state) {
    const RunControls controls = ControlsFor(state);
    form_->BtnAdStart->setEnabled(controls.Start && cardPage_->Found().Found);
    form_->BtnAdStop->setEnabled(controls.Stop);
    form_->ComboChNum->setEnabled(controls.ChannelBox);
    form_->triggerPage->setEnabled(controls.ChannelBox); // locked like the channel count
    form_->ComboDevice->setEnabled(controls.FileMenus && options_.Devices != nullptr);
    for (QMenu* menu : {form_->fileMenu, form_->analysisMenu}) {
        menu->setEnabled(controls.FileMenus);
        menu->menuAction()->setEnabled(controls.FileMenus);
    }
    // A disabled menu does not stop its actions' keys.
    for (QAction* action :
         {form_->loadParametersAction, form_->saveParametersAction, form_->exitAction})
        action->setEnabled(controls.FileMenus);
}

// --- Settings, analysis program, help, about box ------------------------------------------

void MainWindow::ShowAboutBox() {
    aboutBox_->exec();
}

void MainWindow::PointAtRefusedField(const Message& message) {
    tavrel::PointAtRefusedField(*form_, message);
}

void MainWindow::ClearRefusedFields() {
    tavrel::ClearRefusedFields(*form_);
}

MessageAnswer MainWindow::ShowMessage(MessageKind kind, const Message& message,
                                      MessageButtons buttons) {
    return ShowMessageBox(isVisible() ? this : nullptr, kind, message, buttons);
}

} // namespace tavrel
