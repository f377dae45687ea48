#include "viewer/ChartPanel.h"
#include "viewer/OverlayChooser.h"
#include "viewer/ViewerWindow.h"
#include "widgets/HelpWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>

#include <functional>

// The viewer's menus: every command, with the key that does it too.
namespace tavrel {

void ViewerWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("ファイル(&F)"));
    file->setObjectName(QStringLiteral("FileMenu"));
    QAction* open = file->addAction(tr("開く(&O)..."), this, &ViewerWindow::ChooseFile);
    open->setObjectName(QStringLiteral("OpenAction"));
    open->setShortcut(QKeySequence::Open);
    file->addSeparator();
    QAction* exportAction =
        file->addAction(tr("エクスポート(&E)..."), this, &ViewerWindow::ChooseExport);
    exportAction->setObjectName(QStringLiteral("ExportAction"));
    exportAction->setShortcut(Qt::CTRL | Qt::Key_E);
    file->addSeparator();
    recentMenu_ = file->addMenu(tr("最近使ったファイル(&R)"));
    recentMenu_->setObjectName(QStringLiteral("RecentMenu"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &ViewerWindow::FillRecentMenu);
    FillRecentMenu();
    file->addSeparator();
    QAction* quit = file->addAction(tr("終了(&Q)"), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("QuitAction"));
    quit->setShortcut(QKeySequence::Quit);

    QMenu* view = menuBar()->addMenu(tr("表示(&V)"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    QAction* fit = view->addAction(tr("全体を表示(&A)"), charts_, &ChartPanel::FitAll);
    fit->setObjectName(QStringLiteral("FitAllAction"));
    fit->setShortcut(Qt::Key_Home);
    // The charts' own keys, listed with the menu: they act while the charts have the focus,
    // so the arrows still move in the burst list.
    const struct {
        QString Text;
        const char* Name;
        QKeySequence Key;
        std::function<void()> Do;
    } chartKeys[] = {
        {tr("拡大(&I)"), "ZoomInAction", Qt::Key_Plus, [this] { charts_->ZoomTime(2.0); }},
        {tr("縮小(&U)"), "ZoomOutAction", Qt::Key_Minus, [this] { charts_->ZoomTime(0.5); }},
        {tr("左へ移動(&L)"), "PanLeftAction", Qt::Key_Left, [this] { charts_->PanTime(-0.1); }},
        {tr("右へ移動(&R)"), "PanRightAction", Qt::Key_Right, [this] { charts_->PanTime(0.1); }},
    };
    std::vector<QAction*> keyed = {fit};
    for (const auto& k : chartKeys) {
        QAction* action = view->addAction(k.Text, this, k.Do);
        action->setObjectName(QString::fromLatin1(k.Name));
        action->setShortcut(k.Key);
        keyed.push_back(action);
    }
    for (QAction* action : keyed) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        charts_->addAction(action);
    }
    view->addSeparator();
    QAction* cursors =
        view->addAction(tr("カーソルを表示範囲に置く(&C)"), charts_, &ChartPanel::CursorsIntoView);
    cursors->setObjectName(QStringLiteral("CursorsIntoViewAction"));
    cursors->setShortcut(Qt::CTRL | Qt::Key_K);
    view->addSeparator();
    QAction* overlay = view->addAction(tr("重ねるバーストを選ぶ(&O)"), this, [this] {
        overlayBox_->setFocus();
        overlayBox_->showPopup();
    });
    overlay->setObjectName(QStringLiteral("ChooseOverlayAction"));
    overlay->setShortcut(Qt::CTRL | Qt::Key_L);
    QAction* noOverlay =
        view->addAction(tr("重ねて表示をやめる(&N)"), this, [this] { SetOverlayBurst(-1); });
    noOverlay->setObjectName(QStringLiteral("RemoveOverlayAction"));
    noOverlay->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_L);
    view->addSeparator();
    AddTimeAxisMenu(view);
    fileActions_ = {exportAction, fit, cursors, overlay, noOverlay};
    fileActions_.insert(fileActions_.end(), keyed.begin() + 1, keyed.end());

    QMenu* help = menuBar()->addMenu(tr("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    QAction* viewerHelp = help->addAction(tr("ビューアのヘルプ(&H)"), this, [this] { ShowHelp(); });
    viewerHelp->setObjectName(QStringLiteral("ViewerHelpAction"));
    viewerHelp->setShortcut(QKeySequence::HelpContents);
    help->addSeparator();
    QAction* about = help->addAction(tr("バージョン情報(&A)"), this, &ViewerWindow::ShowAbout);
    about->setObjectName(QStringLiteral("AboutAction"));
}

HelpWindow& ViewerWindow::ShowHelp() {
    if (!help_)
        help_ = new HelpWindow(helpDir_, this);
    help_->ShowHelpPage(QStringLiteral("viewer.html"));
    return *help_;
}

void ViewerWindow::AddTimeAxisMenu(QMenu* view) {
    QMenu* menu = view->addMenu(tr("時間軸(&T)"));
    menu->setObjectName(QStringLiteral("TimeAxisMenu"));
    const struct {
        QString Text;
        const char* Name;
        const char* Key; // in the settings
        TimeAxisMode Mode;
    } modes[] = {
        {tr("経過時間 (s, ms, µs)(&E)"), "TimeSecondsAction", "elapsed", TimeAxisMode::Seconds},
        {tr("時刻(&C)"), "TimeClockAction", "clock", TimeAxisMode::Clock},
        {tr("サンプル番号(&S)"), "TimeSampleAction", "sample", TimeAxisMode::SampleIndex}};
    const QString setting = QStringLiteral("Charts/TimeAxis");
    const QString stored = QSettings(settingsFile_, QSettings::IniFormat).value(setting).toString();
    auto* group = new QActionGroup(menu);
    for (const auto& m : modes) {
        QAction* action = menu->addAction(m.Text);
        action->setObjectName(QString::fromLatin1(m.Name));
        action->setCheckable(true);
        group->addAction(action);
        const QString key = QString::fromLatin1(m.Key);
        const TimeAxisMode mode = m.Mode;
        connect(action, &QAction::triggered, this, [this, setting, key, mode] {
            charts_->SetTimeAxisMode(mode);
            QSettings(settingsFile_, QSettings::IniFormat).setValue(setting, key);
        });
        if (key == stored) {
            action->setChecked(true);
            charts_->SetTimeAxisMode(mode);
        }
    }
    // Nothing stored, or a value of another version: the charts' own start, elapsed time.
    if (!group->checkedAction())
        group->actions().constFirst()->setChecked(true);
}

void ViewerWindow::ShowAbout() {
    QMessageBox::about(this, tr("バージョン情報"),
                       tr("TavrelREX ビューア") + QStringLiteral(" ") +
                           QCoreApplication::applicationVersion());
}

void ViewerWindow::FillRecentMenu() {
    recentMenu_->clear();
    const QStringList files = recent_.Files();
    for (int i = 0; i < files.size(); ++i) {
        const QString file = files[i];
        recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(file), this, [this, file] {
            if (!OpenFile(file))
                recent_.Remove(file);
        });
    }
    if (files.isEmpty())
        recentMenu_->addAction(tr("（なし）"))->setEnabled(false);
}

} // namespace tavrel
