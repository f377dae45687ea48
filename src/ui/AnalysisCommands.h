#pragma once

#include "model/Prompter.h"

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace tavrel {

class EntryBinding;
class HelpWindow;
struct MainWindowForm;

// The commands of the Analysis and Help menus: the analysis program (run it in the data
// file's directory, or choose it), the viewer on the data file, and the help pages, made when
// first asked for. They act on what the form shows; none of them touches a measurement.
class AnalysisCommands : public QObject {
public:
    AnalysisCommands(MainWindowForm& form, EntryBinding& entries, QString exeDir,
                     std::function<Prompter&()> messages, QWidget* parent);

    // Connects the menus' entries and the channel page's help button.
    void Connect();

    // The program path the run command uses, and its working directory ("" = current).
    QString AnalysisProgramPath() const;
    QString AnalysisWorkingDirectory() const;
    HelpWindow& Help();

    void RunApplicationClick();
    void AssignApplicationClick();
    // The viewer beside the program on the data file.
    void ViewDataFileClick();

private:
    MainWindowForm& form_;
    EntryBinding& entries_;
    QString exeDir_;
    std::function<Prompter&()> messages_;
    QWidget* parent_;
    HelpWindow* help_ = nullptr;
};

} // namespace tavrel
