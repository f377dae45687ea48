#pragma once

#include "model/Prompter.h"
#include "viewer/CursorStatistics.h"
#include "viewer/ExportDialog.h"
#include "viewer/RecentFiles.h"

#include <QDateTime>
#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QTreeView;
class QMenu;
class QTimer;

namespace tavrel {

class BurstListModel;
class BurstSource;
class ChartPanel;
class HeaderPanel;
class HelpWindow;
class OverlayChooser;
class ProgressDialog;
class SampleStore;
class StatisticsPanel;

struct ViewerOptions {
    // The settings file of the recent-files list, of the view (the time axis) and of the
    // export dialog's last format; empty: RecentFiles::DefaultSettingsFile().
    QString RecentFilesSettings;
    // The help pages; empty: the help directory beside the program or the installed one.
    QString HelpDir;
};

// The viewer's window: a recorded sdf or tsd file's header and bursts on the left, the shown
// burst's stacked charts on the right with the statistics between the two cursors below them.
// Files come from the command line, the file dialog, a drop or the recent-files menu.
class ViewerWindow : public QMainWindow, public Prompter {
    Q_OBJECT

public:
    explicit ViewerWindow(const ViewerOptions& options = {}, QWidget* parent = nullptr);
    ~ViewerWindow() override;

    // Opens fileName and shows its first burst; false, with a message and the file shown before
    // kept, when it cannot be read.
    bool OpenFile(const QString& fileName);
    QString FileName() const { return fileName_; }
    // Shows burst k (0-based); false, with a message, when it cannot be read.
    bool ShowBurst(std::int64_t k);
    std::int64_t ShownBurst() const { return shown_; }
    // Lays burst k over the shown one; -1 removes the overlay.
    bool SetOverlayBurst(std::int64_t k);
    // Lists the bursts a reader that follows its file (a recording in progress) has taken in
    // since; FollowFile asks first. True when more came.
    bool RefreshFile();

    // Lists the bursts a recording has added since the file was read, when its size or time
    // changed; the window calls it every WatchMilliseconds.
    void FollowFile();
    static constexpr int WatchMilliseconds = 1000;

    // Writes what request asks for; false, with a message, when it fails or is cancelled (no
    // output file is then left).
    bool Export(const ExportRequest& request);
    // The files request would write; empty when the file cannot carry it out.
    QStringList ExportOutputNames(const ExportRequest& request) const;
    // The export dialog of the open file; the window's menu runs it.
    std::unique_ptr<ExportDialog> NewExportDialog();

    // The viewer's help page, in the window's language.
    HelpWindow& ShowHelp();

    ChartPanel& Charts() const { return *charts_; }
    // The statistics of every channel between the cursors, as the table shows them.
    const std::vector<ChannelStatistics>& Statistics() const;

    // Messages go to prompter instead of message boxes (tests).
    void RedirectMessages(Prompter* prompter) { redirect_ = prompter; }
    Prompter& Messages() { return redirect_ ? *redirect_ : *this; }
    MessageAnswer ShowMessage(MessageKind kind, const Message& message,
                              MessageButtons buttons) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void AddTimeAxisMenu(QMenu* view);
    QWidget* BuildSidePanel();
    void ChooseFile();
    void ChooseExport();
    void ShowAbout();
    void FillRecentMenu();
    std::optional<ExportSelection> SelectionOf(const ExportRequest& request) const;
    void UpdateStatistics();

    QString settingsFile_;
    QString helpDir_;
    RecentFiles recent_;
    std::unique_ptr<BurstSource> source_;
    std::shared_ptr<const SampleStore> burst_;
    QString fileName_;
    std::int64_t shown_ = -1;
    Prompter* redirect_ = nullptr;

    ChartPanel* charts_ = nullptr;
    BurstListModel* burstModel_ = nullptr;
    QTreeView* burstList_ = nullptr;
    OverlayChooser* overlayBox_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    HeaderPanel* headerPanel_ = nullptr;
    StatisticsPanel* statisticsPanel_ = nullptr;
    std::int64_t overlay_ = -1;
    ProgressDialog* progress_ = nullptr;
    std::vector<QAction*> fileActions_;       // enabled only with a file open
    std::optional<ExportRequest> lastExport_; // the export dialog starts from it
    HelpWindow* help_ = nullptr;
    QTimer* watch_ = nullptr;
    qint64 watchedSize_ = -1;
    QDateTime watchedTime_;
};

} // namespace tavrel
