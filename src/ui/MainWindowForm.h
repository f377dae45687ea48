#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QAction;
class QButtonGroup;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QWidget;

namespace tavrel {

class TriggerPage;

// The main window's controls at their fixed places: the chart panel on the left, on the right
// the four pages over the start and stop group, the menus and the file dialogs. Built in code
// page by page; nothing is connected here. Each control carries the form's name as its object
// name, which is how tests and the style find it.
struct MainWindowForm {
    Q_DECLARE_TR_FUNCTIONS(tavrel::MainWindowForm)

public:
    static constexpr int MaxChannels = 4;
    static constexpr int GridColumns = 5;

    // Builds everything on window, which owns the controls.
    explicit MainWindowForm(QMainWindow& window);

    QWidget* chartPanel = nullptr; // "Panel2": the charts

    // The card page.
    QLineEdit* TextCardType = nullptr;
    QLineEdit* TextAdrs = nullptr;
    QLineEdit* TextIrqNo = nullptr;
    QLineEdit* TextStatus = nullptr;
    // The device recorded from: the simulated card or a libsigrok device.
    QComboBox* ComboDevice = nullptr;

    // The parameter page.
    QLineEdit* EditWaitTime = nullptr;
    QLineEdit* EditIteration = nullptr;
    QLineEdit* EditBurstInterval = nullptr;
    QComboBox* ComboBoxBITUnit = nullptr;
    QLineEdit* EditSInterval = nullptr;
    QComboBox* ComboSampUnit = nullptr;
    QLineEdit* EditDataNum = nullptr;

    // The channel page.
    QComboBox* ComboChNum = nullptr;
    QTableWidget* StringGridChannel = nullptr;
    QPushButton* channelHelpButton = nullptr; // "BitBtn2"

    // The save page.
    QPlainTextEdit* commentEdit = nullptr; // "Memo1"
    QButtonGroup* RadioGroupFileTypeButtons = nullptr;
    QLineEdit* EditFileName = nullptr;
    QPushButton* browseDataFileButton = nullptr; // "BitBtn1"

    TriggerPage* triggerPage = nullptr; // after the save page

    // Under the pages: start, stop and the run's displays.
    QPushButton* BtnAdStart = nullptr;
    QPushButton* BtnAdStop = nullptr;
    QLineEdit* EditPresentStatus = nullptr;
    QLineEdit* EditTime = nullptr;
    QProgressBar* runProgress = nullptr; // "ProgressBar1"

    // The menus. Their object names are the form's: "File1", "O1", "Save1", "Exit1",
    // "Analysis1", "RunApplication", "AssignApplication", "Contents1", "K1", "Version1"; the
    // viewer's entry (no form of its own) is "ViewDataFile".
    QMenu* fileMenu = nullptr;
    QAction* loadParametersAction = nullptr;
    QAction* saveParametersAction = nullptr;
    QAction* exitAction = nullptr;
    QMenu* analysisMenu = nullptr;
    QAction* RunApplication = nullptr;
    QAction* AssignApplication = nullptr;
    QAction* viewDataFileAction = nullptr; // "ViewDataFile"
    QAction* helpContentsAction = nullptr;
    QAction* keywordHelpAction = nullptr;
    QAction* aboutAction = nullptr;

    // The file dialogs: "SaveDialog1", "OpenDialog1", "SaveDialog2", "OpenDialogApplicationSoft".
    QFileDialog* dataFileDialog = nullptr;
    QFileDialog* loadParametersDialog = nullptr;
    QFileDialog* saveParametersDialog = nullptr;
    QFileDialog* analysisProgramDialog = nullptr;

private:
    void BuildMenus(QMainWindow& window);
    void BuildCardPage(QTabWidget* pages);
    void BuildParameterPage(QTabWidget* pages);
    void BuildChannelPage(QTabWidget* pages);
    QWidget* BuildSavePage(QTabWidget* pages);
    void BuildRunBox(QGroupBox* runBox);
    void BuildDialogs(QMainWindow& window);
};

// Chooses the item of an editable drop-down box and shows its text; an index outside the
// items leaves the box with no item and no text.
void SelectItem(QComboBox* box, int index);
// The item the box's text names: a box whose text was typed differently reports none (-1).
int ItemIndexOf(const QComboBox* box);

} // namespace tavrel
