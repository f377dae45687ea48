#include "ui/AnalysisCommands.h"

#include "ui/AnalysisProgram.h"
#include "ui/EntryBinding.h"
#include "ui/MainWindowForm.h"
#include "ui/PathText.h"
#include "widgets/FileDialogs.h"
#include "widgets/HelpWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

namespace tavrel {

namespace {

// The window's own texts, in the window's translation context.
Message WindowText(const char* text) {
    return Verbatim(QCoreApplication::translate("tavrel::MainWindow", text).toStdString());
}

} // namespace

AnalysisCommands::AnalysisCommands(MainWindowForm& form, EntryBinding& entries, QString exeDir,
                                   std::function<Prompter&()> messages, QWidget* parent)
    : QObject(parent), form_(form), entries_(entries), exeDir_(std::move(exeDir)),
      messages_(std::move(messages)), parent_(parent) {}

void AnalysisCommands::Connect() {
    connect(form_.RunApplication, &QAction::triggered, this,
            &AnalysisCommands::RunApplicationClick);
    connect(form_.AssignApplication, &QAction::triggered, this,
            &AnalysisCommands::AssignApplicationClick);
    connect(form_.viewDataFileAction, &QAction::triggered, this,
            &AnalysisCommands::ViewDataFileClick);
    connect(form_.helpContentsAction, &QAction::triggered, this, [this] { Help().ShowContents(); });
    connect(form_.keywordHelpAction, &QAction::triggered, this,
            [this] { Help().ShowKeywordSearch(); });
    connect(form_.channelHelpButton, &QPushButton::clicked, this,
            [this] { Help().ShowTopic(QStringLiteral("AD変換データ")); });
}

QString AnalysisCommands::AnalysisProgramPath() const {
    return tavrel::AnalysisProgramPath(entries_.ApplicationPath(), exeDir_);
}

QString AnalysisCommands::AnalysisWorkingDirectory() const {
    return ExtractFileDir(form_.EditFileName->text());
}

HelpWindow& AnalysisCommands::Help() {
    if (!help_)
        help_ = new HelpWindow(FindHelpDir(exeDir_), parent_);
    return *help_;
}

void AnalysisCommands::RunApplicationClick() {
    if (StartAnalysisProgram(AnalysisProgramPath(), AnalysisWorkingDirectory()))
        return;
    if (messages_().ShowMessage(
            MessageKind::Error,
            WindowText(QT_TRANSLATE_NOOP(
                "tavrel::MainWindow", "アプリケーションファイルが見つかりません。指定しますか。")),
            MessageButtons::YesNo) == MessageAnswer::Yes)
        AssignApplicationClick();
}

void AnalysisCommands::AssignApplicationClick() {
    QFileDialog* dialog = form_.analysisProgramDialog;
    dialog->selectFile(entries_.ApplicationPath());
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(dialog);
    if (!chosen.isEmpty() && entries_.AcceptPath(chosen))
        entries_.SetApplicationPath(chosen);
}

void AnalysisCommands::ViewDataFileClick() {
    if (!StartViewer(ViewerProgramPath(exeDir_), form_.EditFileName->text()))
        messages_().ShowMessage(
            MessageKind::Error,
            WindowText(QT_TRANSLATE_NOOP("tavrel::MainWindow",
                                         "ビューア（tavrelrex-view）が見つかりません。")),
            MessageButtons::Ok);
}

} // namespace tavrel
