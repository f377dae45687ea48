#include "ui/MainWindow.h"

#include "acquisition/DeviceRegistry.h"
#include "acquisition/MeasurementRun.h"
#include "datafiles/DataFileFormats.h"
#include "datafiles/ParameterFile.h"
#include "model/FileError.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "ui/AboutBox.h"
#include "ui/AnalysisProgram.h"
#include "ui/HelpWindow.h"
#include "ui/MainWindowForm.h"
#include "ui/PathText.h"
#include "ui/WaveformCharts.h"
#include "widgets/FileDialogs.h"
#include "widgets/FormFonts.h"
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
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>
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

// The widest text the line edit shows whole, without scrolling it.
int TextRoom(QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents =
        edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    constexpr int lineEditMargin = 2; // QLineEdit keeps this much on each side of its text
    return contents.width() - margins.left() - margins.right() - 2 * lineEditMargin;
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
    entries_ = new EntryBinding(
        *form_, [this]() -> Prompter& { return Messages(); }, this);
    cardPage_ = new CardPage(
        *form_, device_, options_.Devices, DeviceSettingsFile(),
        [this]() -> Prompter& { return Messages(); }, this);
    // The layout stores a channel count of 0 back into the header as 1, so the set-up, the
    // run and "default.apm" all see the one channel the charts show.
    charts_ = new WaveformCharts(form_->chartPanel, data_.Header, [this] {
        if (data_.Header.ChannelCount == 0)
            data_.Header.ChannelCount = 1;
    });
    aboutBox_ = new AboutBox(this);
    progress_ = new ProgressDialog(this);

    captionClock_ = new QTimer(this);
    captionClock_->setObjectName(QStringLiteral("Timer1"));
    ConnectHandlers();
}

MainWindow::~MainWindow() = default;

void MainWindow::ConnectHandlers() {
    const MainWindowForm& f = *form_;
    connect(f.loadParametersAction, &QAction::triggered, this, &MainWindow::LoadParameters);
    connect(f.saveParametersAction, &QAction::triggered, this, &MainWindow::SaveParameters);
    connect(f.exitAction, &QAction::triggered, this, &MainWindow::ExitProgram);
    connect(f.RunApplication, &QAction::triggered, this, &MainWindow::RunApplicationClick);
    connect(f.AssignApplication, &QAction::triggered, this, &MainWindow::AssignApplicationClick);
    connect(f.viewDataFileAction, &QAction::triggered, this, &MainWindow::ViewDataFileClick);
    connect(f.helpContentsAction, &QAction::triggered, this, &MainWindow::ShowHelpContents);
    connect(f.keywordHelpAction, &QAction::triggered, this, &MainWindow::ShowKeywordHelp);
    connect(f.aboutAction, &QAction::triggered, this, &MainWindow::ShowAboutBox);

    connect(f.ComboChNum, &QComboBox::currentTextChanged, this, [this] {
        if (!entries_->Applying())
            ComboChNumChange();
    });
    connect(f.channelHelpButton, &QPushButton::clicked, this, &MainWindow::ShowChannelHelp);
    connect(f.RadioGroupFileTypeButtons, &QButtonGroup::idClicked, this, [this] {
        if (!entries_->Applying())
            RadioGroupFileTypeClick();
    });
    connect(f.browseDataFileButton, &QPushButton::clicked, this, &MainWindow::BrowseDataFile);
    connect(f.BtnAdStart, &QPushButton::clicked, this, &MainWindow::StartClicked);
    connect(f.BtnAdStop, &QPushButton::clicked, this, &MainWindow::StopClicked);
    connect(captionClock_, &QTimer::timeout, this, &MainWindow::ShowCaptionClock);

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
    scansDone_ = 0;

    // The defaults, before any parameter file.
    data_.Header = DefaultMeasurementHeader();
    settings_.RingBufferSize =
        (data_.Header.ChannelCount + data_.Header.ExtraChannelCount) * data_.Header.SampleCount +
        32;
    settings_.DriverRateUnit = 1;
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
    const bool ok = tavrel::ValidateParameters(entries, data_, settings_, Messages(), scansDone_);
    // Laid out whatever the result: a failed check keeps the channel count it had taken, and
    // the set-up shows that many charts.
    charts_->ChartPanelResize();
    return ok;
}

void MainWindow::SetUpCharts() {
    // A check that failed before the time unit was derived leaves none: the samples' own unit.
    charts_->SetUpCharts(settings_.ChartTimeUnit.empty()
                             ? std::string(TimeUnitName(data_.Header.SamplingUnit))
                             : settings_.ChartTimeUnit);
}

void MainWindow::ComboChNumChange() {
    MainEntries entries = TakeEntries();
    if (tavrel::ComboChNumChange(entries, data_.Header)) {
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
    if (type == 0 || type == 1) {
        const std::string_view ext = DataFormatOf(DataFileTypeOfChoice(type)).Extensions.front();
        fileName->setText(ChangeFileExt(fileName->text(),
                                        QString::fromLatin1(ext.data(), qsizetype(ext.size()))));
    }
}

void MainWindow::BrowseDataFile() {
    QFileDialog* dialog = form_->dataFileDialog;
    const int type = form_->RadioGroupFileTypeButtons->checkedId();
    if (type == 0)
        dialog->setNameFilters(NameFilters(tr("時系列標準ファイル (*.sdf)|*.sdf")));
    else if (type == 1)
        dialog->setNameFilters(NameFilters(tr("時系列テキストファイル (*.tsd)|*.tsd")));
    dialog->selectFile(form_->EditFileName->text());
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(dialog);
    if (!chosen.isEmpty() && entries_->AcceptPath(chosen))
        form_->EditFileName->setText(chosen);
}

void MainWindow::LoadParameters() {
    if (form_->loadParametersDialog->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(form_->loadParametersDialog);
    if (!chosen.isEmpty())
        LoadParametersFrom(chosen);
}

void MainWindow::LoadParametersFrom(const QString& fileName) {
    const QString ext = ExtractFileExt(fileName).toUpper();
    try {
        if (ext == QStringLiteral(".APM")) {
            MainEntries entries = TakeEntries();
            LoadParameterFile(entries, S(fileName));
            ApplyEntries(entries);
            ComboChNumChange();
            // The data file box opens where the loaded data file path points.
            QString dir = ExtractFileDir(form_->EditFileName->text());
            if (dir.isEmpty())
                dir = ExeDir();
            if (QDir(dir).exists())
                form_->dataFileDialog->setDirectory(dir);
        } else if (DataFormatOfName(S(fileName))) {
            MainEntries entries = TakeEntries();
            if (LoadParametersFromDataFile(entries, data_, settings_.DriverRateUnit, S(fileName),
                                           Messages(), *progress_))
                ApplyEntries(entries);
        }
    } catch (const std::exception& e) {
        Messages().ShowMessage(MessageKind::Error, MessageOf(e), MessageButtons::Ok);
    }
}

void MainWindow::SaveParameters() {
    if (form_->saveParametersDialog->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(form_->saveParametersDialog);
    if (chosen.isEmpty() || !entries_->AcceptPath(chosen))
        return;
    try {
        SaveParametersTo(chosen);
    } catch (const std::exception& e) {
        Messages().ShowMessage(MessageKind::Error, MessageOf(e), MessageButtons::Ok);
    }
}

void MainWindow::SaveParametersTo(const QString& fileName) {
    SaveParameterFile(TakeEntries(), data_.Header, S(fileName));
}

bool MainWindow::SaveDefaultParameters() {
    std::optional<Message> failure;
    for (const QString& target : location_->DefaultParameterTargets()) {
        form_->saveParametersDialog->selectFile(target);
        try {
            location_->PrepareTarget(target);
            SaveParametersTo(target);
            return true;
        } catch (const std::exception& e) {
            if (!failure)
                failure = MessageOf(e);
        }
    }
    // The program must stay closable: the operator may end it without the settings.
    const MessageAnswer answer = Messages().ShowMessage(
        MessageKind::Error,
        Verbatim(S((failure ? CoreText(*failure) : QString()) + QStringLiteral("\n\n") +
                   tr("設定を保存せずに終了しますか。"))),
        MessageButtons::YesNo);
    return answer == MessageAnswer::Yes;
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
    form_->EditPresentStatus->setText(text);
}

void MainWindow::ShowTime(const QString& text) {
    // A long count of scans takes a smaller font rather than scroll its label out of the box.
    QLineEdit* edit = form_->EditTime;
    QFont font = edit->parentWidget()->font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(font).pixelSize());
    const int room = TextRoom(edit);
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPixelSize(font.pixelSize() - 1);
    if (font != edit->font())
        edit->setFont(font);
    edit->setText(text);
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
    form_->ComboDevice->setEnabled(controls.FileMenus && options_.Devices != nullptr);
    for (QMenu* menu : {form_->fileMenu, form_->analysisMenu}) {
        menu->setEnabled(controls.FileMenus);
        menu->menuAction()->setEnabled(controls.FileMenus);
    }
}

// --- Settings, analysis program, help, about box ------------------------------------------

QString MainWindow::AnalysisProgramPath() const {
    return tavrel::AnalysisProgramPath(ApplicationPath(), ExeDir());
}

QString MainWindow::AnalysisWorkingDirectory() const {
    return ExtractFileDir(form_->EditFileName->text());
}

void MainWindow::RunApplicationClick() {
    if (StartAnalysisProgram(AnalysisProgramPath(), AnalysisWorkingDirectory()))
        return;
    if (Messages().ShowMessage(
            MessageKind::Error,
            Verbatim(S(tr("アプリケーションファイルが見つかりません。指定しますか。"))),
            MessageButtons::YesNo) == MessageAnswer::Yes)
        AssignApplicationClick();
}

void MainWindow::AssignApplicationClick() {
    QFileDialog* dialog = form_->analysisProgramDialog;
    dialog->selectFile(ApplicationPath());
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(dialog);
    if (!chosen.isEmpty() && entries_->AcceptPath(chosen))
        SetApplicationPath(chosen);
}

void MainWindow::ViewDataFileClick() {
    if (!StartViewer(ViewerProgramPath(ExeDir()), form_->EditFileName->text()))
        Messages().ShowMessage(MessageKind::Error,
                               Verbatim(S(tr("ビューア（tavrelrex-view）が見つかりません。"))),
                               MessageButtons::Ok);
}

HelpWindow& MainWindow::Help() {
    if (!help_)
        help_ = new HelpWindow(FindHelpDir(ExeDir()), this);
    return *help_;
}

void MainWindow::ShowHelpContents() {
    Help().ShowContents();
}

void MainWindow::ShowKeywordHelp() {
    Help().ShowKeywordSearch();
}

void MainWindow::ShowChannelHelp() {
    Help().ShowTopic(QStringLiteral("AD変換データ"));
}

void MainWindow::ShowAboutBox() {
    aboutBox_->exec();
}

MessageAnswer MainWindow::ShowMessage(MessageKind kind, const Message& message,
                                      MessageButtons buttons) {
    return ShowMessageBox(isVisible() ? this : nullptr, kind, message, buttons);
}

} // namespace tavrel
