#include "viewer/ViewerWindow.h"

#include "datafiles/DataFileReader.h"
#include "export/Exporters.h"
#include "model/FileError.h"
#include "text/DateTime.h"
#include "viewer/BurstListModel.h"
#include "viewer/BurstSource.h"
#include "viewer/ChartPanel.h"
#include "viewer/HeaderPanel.h"
#include "viewer/OverlayChooser.h"
#include "viewer/StatisticsPanel.h"
#include "viewer/TimeScrollBar.h"
#include "viewer/TriggerMark.h"
#include "widgets/FileDialogs.h"
#include "widgets/HelpWindow.h"
#include "widgets/MessageBoxes.h"
#include "widgets/ProgressDialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <exception>
#include <functional>

namespace tavrel {

ViewerWindow::ViewerWindow(const ViewerOptions& options, QWidget* parent)
    : QMainWindow(parent),
      settingsFile_(options.RecentFilesSettings.isEmpty() ? RecentFiles::DefaultSettingsFile()
                                                          : options.RecentFilesSettings),
      helpDir_(options.HelpDir.isEmpty() ? FindHelpDir(QCoreApplication::applicationDirPath())
                                         : options.HelpDir),
      recent_(settingsFile_) {
    setObjectName(QStringLiteral("ViewerWindow"));
    setWindowTitle(tr("TavrelREX ビューア"));
    setAcceptDrops(true);
    resize(1024, 720);

    charts_ = new ChartPanel;
    charts_->setFocusPolicy(Qt::StrongFocus);
    auto* chartBox = new QWidget;
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->setSpacing(0);
    chartLayout->addWidget(charts_, 1);
    chartLayout->addWidget(new TimeScrollBar(charts_));
    auto* right = new QSplitter(Qt::Vertical);
    right->addWidget(chartBox);
    statisticsPanel_ = new StatisticsPanel;
    right->addWidget(statisticsPanel_);
    right->setStretchFactor(0, 1);
    right->setSizes({520, 170});
    auto* main = new QSplitter(Qt::Horizontal);
    main->addWidget(BuildSidePanel());
    main->addWidget(right);
    main->setStretchFactor(1, 1);
    main->setSizes({330, 694});
    setCentralWidget(main);
    BuildMenus();
    statusBar()->showMessage(
        tr("ホイール：時間軸の拡大縮小　左ドラッグ：範囲を拡大　"
           "中ドラッグ：移動　ダブルクリック：カーソル1　右クリック：カーソル2"));
    progress_ = new ProgressDialog(this);
    connect(charts_, &ChartPanel::CursorsMoved, this, &ViewerWindow::UpdateStatistics);
    for (QAction* action : fileActions_)
        action->setEnabled(false);
    // A poll, not a file watcher: it sees a file that another process rewrites in place or
    // replaces, on every file system, and costs one stat a second.
    watch_ = new QTimer(this);
    watch_->setInterval(WatchMilliseconds);
    connect(watch_, &QTimer::timeout, this, &ViewerWindow::FollowFile);
}

void ViewerWindow::FollowFile() {
    if (!source_ || RefreshFile()) // a reader that follows its file takes the new bursts in
        return;
    const QFileInfo info(fileName_);
    if (info.size() == watchedSize_ && info.lastModified() == watchedTime_)
        return;
    watchedSize_ = info.size();
    watchedTime_ = info.lastModified();
    burstModel_->SetReader(nullptr);
    try {
        source_->Reread();
    } catch (const std::exception&) {
        // A file caught in the middle of a write: the next poll reads it again.
        watchedSize_ = -1;
    }
    burstModel_->SetReader(&source_->Reader());
    overlayBox_->SetBursts(source_->Bursts(), shown_, overlay_);
    headerPanel_->Show(*source_);
    if (shown_ < 0 && source_->Bursts() > 0) {
        ShowBurst(0);
        return;
    }
    if (shown_ >= 0) {
        const QSignalBlocker blocker(burstList_->selectionModel());
        burstList_->setCurrentIndex(burstModel_->IndexOf(shown_));
    }
}

ViewerWindow::~ViewerWindow() {
    // The list model reads the reader: it lets go first.
    burstModel_->SetReader(nullptr);
}

QWidget* ViewerWindow::BuildSidePanel() {
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);

    headerPanel_ = new HeaderPanel;
    layout->addWidget(headerPanel_, 0);

    auto* burstBox = new QGroupBox(tr("バースト"));
    auto* burstLayout = new QVBoxLayout(burstBox);
    auto* overlayRow = new QHBoxLayout;
    overlayRow->addWidget(new QLabel(tr("重ねて表示：")));
    overlayBox_ = new OverlayChooser;
    overlayRow->addWidget(overlayBox_, 1);
    burstLayout->addLayout(overlayRow);
    burstModel_ = new BurstListModel(this);
    burstList_ = NewBurstListView(burstModel_);
    burstLayout->addWidget(burstList_);
    layout->addWidget(burstBox, 1);

    connect(burstList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && burstModel_->BurstAt(current.row()) != shown_)
                    ShowBurst(burstModel_->BurstAt(current.row()));
            });
    connect(overlayBox_, &OverlayChooser::OverlayChosen, this,
            [this](std::int64_t k) { SetOverlayBurst(k); });
    return panel;
}

bool ViewerWindow::OpenFile(const QString& fileName) {
    std::unique_ptr<BurstSource> source;
    try {
        source = std::make_unique<BurstSource>(fileName.toStdString());
    } catch (const std::exception& e) {
        Messages().ShowMessage(MessageKind::Error, MessageOf(e), MessageButtons::Ok);
        return false;
    }
    burstModel_->SetReader(nullptr);
    charts_->SetOverlay(nullptr);
    burst_.reset();
    overlay_ = -1;
    source_ = std::move(source);
    fileName_ = QFileInfo(fileName).absoluteFilePath();
    shown_ = -1;
    burstModel_->SetReader(&source_->Reader());
    overlayBox_->SetBursts(source_->Bursts(), shown_, overlay_);
    headerPanel_->Show(*source_);
    recent_.Add(fileName_);
    setWindowTitle(tr("TavrelREX ビューア") + QStringLiteral(" - ") +
                   QFileInfo(fileName_).fileName());
    for (QAction* action : fileActions_)
        action->setEnabled(true);
    const QFileInfo info(fileName_);
    watchedSize_ = info.size();
    watchedTime_ = info.lastModified();
    watch_->start();
    if (source_->Bursts() > 0)
        return ShowBurst(0);
    charts_->Clear();
    UpdateStatistics();
    return true;
}

bool ViewerWindow::RefreshFile() {
    bool more = false;
    try {
        more = source_ && source_->Refresh();
    } catch (const std::exception&) {
        return false; // the file is read as it was; the next turn tries again
    }
    if (!more)
        return false;
    const bool none = shown_ < 0;
    burstModel_->BurstsAdded();
    overlayBox_->SetBursts(source_->Bursts(), shown_, overlay_);
    headerPanel_->Show(*source_);
    if (none)
        ShowBurst(0);
    return true;
}

bool ViewerWindow::ShowBurst(std::int64_t k) {
    if (!source_ || k < 0 || k >= source_->Bursts())
        return false;
    std::shared_ptr<const SampleStore> burst;
    try {
        burst = source_->Burst(k);
    } catch (const std::exception& e) {
        Messages().ShowMessage(MessageKind::Error, MessageOf(e), MessageButtons::Ok);
        return false;
    }
    const MeasurementHeader& h = source_->Header();
    std::vector<ChartChannel> channels; // the one sampling interval in each scale
    for (int c = 0; c < h.ChannelCount; ++c) {
        const auto e = static_cast<std::size_t>(c);
        channels.push_back({{h.CoefA[e], h.CoefB[e], source_->Reader().SamplingSeconds()},
                            HeaderPanel::ChannelLabel(h, c)});
    }
    // A burst is not laid over itself.
    if (k == overlay_)
        SetOverlayBurst(-1);
    charts_->SetStartTime(source_->Reader().BurstStartTime(k));
    charts_->SetTitle(
        tr("バースト %1（%2）")
            .arg(k + 1)
            .arg(QString::fromStdString(FormatFileDateTime(source_->Reader().BurstStartTime(k)))));
    // Another burst of the same file keeps the zoom, so bursts compare at a glance.
    charts_->SetBurst(burst, std::move(channels), shown_ >= 0);
    ShowTriggerMark(*charts_, source_->Reader(), k);
    burst_ = std::move(burst);
    shown_ = k;
    overlayBox_->SetBursts(source_->Bursts(), shown_, overlay_);
    statisticsPanel_->SetLegend(shown_, overlay_);
    const QModelIndex index = burstModel_->IndexOf(k);
    if (burstList_->currentIndex() != index) {
        const QSignalBlocker blocker(burstList_->selectionModel());
        burstList_->setCurrentIndex(index);
    }
    UpdateStatistics();
    return true;
}

bool ViewerWindow::SetOverlayBurst(std::int64_t k) {
    if (!source_)
        return false;
    std::shared_ptr<const SampleStore> overlay;
    if (k >= 0) {
        if (k >= source_->Bursts() || k == shown_)
            return false;
        try {
            overlay = source_->Burst(k);
        } catch (const std::exception& e) {
            Messages().ShowMessage(MessageKind::Error, MessageOf(e), MessageButtons::Ok);
            return false;
        }
    }
    charts_->SetOverlay(std::move(overlay));
    overlay_ = k;
    statisticsPanel_->SetLegend(shown_, overlay_);
    overlayBox_->Choose(k);
    return true;
}

const std::vector<ChannelStatistics>& ViewerWindow::Statistics() const {
    return statisticsPanel_->Statistics();
}

void ViewerWindow::UpdateStatistics() {
    if (!burst_) {
        statisticsPanel_->Clear();
        return;
    }
    statisticsPanel_->Update(*burst_, source_->Header(), charts_->CursorSample(0),
                             charts_->CursorSample(1), charts_->SecondsPerSample());
}

void ViewerWindow::ChooseFile() {
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        NameFilters(tr("時系列データファイル (*.sdf,*.tsd,*.h5)|*.sdf;*.tsd;*.h5;*.hdf5|"
                       "時系列標準ファイル (*.sdf)|*.sdf|時系列テキストファイル (*.tsd)|*.tsd|"
                       "HDF5ファイル (*.h5)|*.h5;*.hdf5|すべてのファイル (*.*)|*")));
    if (!fileName_.isEmpty())
        dialog.setDirectory(QFileInfo(fileName_).absolutePath());
    dialog.resize(720, 440);
    if (dialog.exec() == QDialog::Accepted)
        if (const QString file = SelectedFile(&dialog); !file.isEmpty())
            OpenFile(file);
}

std::unique_ptr<ExportDialog> ViewerWindow::NewExportDialog() {
    if (!source_)
        return nullptr;
    ExportChoices choices;
    const MeasurementHeader& h = source_->Header();
    for (int c = 0; c < h.ChannelCount; ++c)
        choices.Channels.append(HeaderPanel::ChannelLabel(h, c));
    choices.OutputNames = [this](const ExportRequest& r) { return ExportOutputNames(r); };
    choices.SettingsFile = settingsFile_;
    return std::make_unique<ExportDialog>(fileName_, std::max<std::int64_t>(shown_, 0), this,
                                          lastExport_ ? &*lastExport_ : nullptr,
                                          std::move(choices));
}

void ViewerWindow::ChooseExport() {
    // After a failure the dialog comes back with the entries as they were.
    while (const auto dialog = NewExportDialog()) {
        if (dialog->exec() != QDialog::Accepted)
            return;
        lastExport_ = dialog->Request();
        if (Export(*lastExport_))
            return;
    }
}

std::optional<ExportSelection> ViewerWindow::SelectionOf(const ExportRequest& request) const {
    ExportSelection selection;
    selection.Channels = request.Channels;
    switch (request.Scope) {
    case ExportScope::WholeFile:
        break;
    case ExportScope::ChosenBursts:
        selection.Bursts = request.Bursts;
        break;
    case ExportScope::CursorRange: {
        if (shown_ < 0)
            return std::nullopt;
        const std::int64_t c1 = charts_->CursorSample(0), c2 = charts_->CursorSample(1);
        selection.Bursts = {shown_};
        selection.FirstSample = std::min(c1, c2);
        selection.EndSample = std::max(c1, c2) + 1;
        break;
    }
    }
    return selection;
}

QStringList ViewerWindow::ExportOutputNames(const ExportRequest& request) const {
    const auto selection = SelectionOf(request);
    QStringList names;
    if (!source_ || !selection)
        return names;
    try {
        const ResolvedSelection resolved = ResolveSelection(*selection, source_->Reader());
        for (const std::string& name :
             OutputNames(ExporterOf(request.Format), request.Out.toStdString(), resolved))
            names.append(QString::fromStdString(name));
    } catch (const std::exception&) {
        names.clear(); // a selection the file cannot give: nothing would be written
    }
    return names;
}

bool ViewerWindow::Export(const ExportRequest& request) {
    const auto selection = source_ ? SelectionOf(request) : std::nullopt;
    if (!selection)
        return false;
    const std::string out = request.Out.toStdString();
    const Exporter& exporter = ExporterOf(request.Format);
    try {
        // An existing output is replaced only when the operator says so; Enter keeps it.
        const ResolvedSelection resolved = ResolveSelection(*selection, source_->Reader());
        for (const std::string& name : OutputNames(exporter, out, resolved))
            if (QFileInfo(QString::fromStdString(name)).isFile()) {
                if (Messages().ShowMessage(MessageKind::Confirmation,
                                           {MessageId::ExportOverwriteQuestion, {name}},
                                           MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
                    return false;
                break;
            }
        ExportOptions options;
        options.Encoding = request.Encoding;
        return exporter.Write(source_->Reader(), *selection, out, options, *progress_);
    } catch (const std::exception& e) {
        progress_->HideProgress();
        Messages().ShowMessage(MessageKind::Error, MessageOf(e), MessageButtons::Ok);
    }
    return false;
}

void ViewerWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void ViewerWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    OpenFile(urls.first().toLocalFile());
}

MessageAnswer ViewerWindow::ShowMessage(MessageKind kind, const Message& message,
                                        MessageButtons buttons) {
    return ShowMessageBox(isVisible() ? this : nullptr, kind, message, buttons);
}

} // namespace tavrel
