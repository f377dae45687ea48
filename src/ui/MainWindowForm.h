#pragma once

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

// The main window's controls at their fixed places: the chart panel on the left, on the right
// the four pages over the start and stop group, the menus and the file dialogs. Built in code
// page by page; nothing is connected here. Each control carries the form's name as its object
// name, which is how tests and the style find it.
struct MainWindowForm {
    static constexpr int MaxChannels = 4;
    static constexpr int GridColumns = 5;

    // Builds everything on window, which owns the controls.
    explicit MainWindowForm(QMainWindow& window);

    QWidget* sidePanel = nullptr;  // "Panel1": the pages and the start and stop group
    QWidget* chartPanel = nullptr; // "Panel2": the charts
    QTabWidget* pages = nullptr;   // "PageControl1"

    QWidget* cardPage = nullptr; // "TabSheet1"
    QLineEdit* TextCardType = nullptr;
    QLineEdit* TextAdrs = nullptr;
    QLineEdit* TextIrqNo = nullptr;
    QLineEdit* TextStatus = nullptr;

    QWidget* parameterPage = nullptr; // "TabSheet2"
    QLineEdit* EditWaitTime = nullptr;
    QLineEdit* EditIteration = nullptr;
    QLineEdit* EditBurstInterval = nullptr;
    QComboBox* ComboBoxBITUnit = nullptr;
    QLineEdit* EditSInterval = nullptr;
    QComboBox* ComboSampUnit = nullptr;
    QLineEdit* EditDataNum = nullptr;

    QWidget* channelPage = nullptr; // "TabSheet4"
    QComboBox* ComboChNum = nullptr;
    QLineEdit* formulaText = nullptr; // "Edit1": the conversion formula of the coefficients
    QTableWidget* StringGridChannel = nullptr;
    QPushButton* channelHelpButton = nullptr; // "BitBtn2"

    QWidget* savePage = nullptr;           // "TabSheet3"
    QPlainTextEdit* commentEdit = nullptr; // "Memo1"
    QGroupBox* RadioGroupFileType = nullptr;
    QButtonGroup* RadioGroupFileTypeButtons = nullptr;
    QGroupBox* fileNameBox = nullptr; // "GroupBox1"
    QLineEdit* EditFileName = nullptr;
    QPushButton* browseDataFileButton = nullptr; // "BitBtn1"

    QGroupBox* runBox = nullptr; // "GroupBox2": start, stop and the run's displays
    QPushButton* BtnAdStart = nullptr;
    QPushButton* BtnAdStop = nullptr;
    QLineEdit* EditPresentStatus = nullptr;
    QLineEdit* EditTime = nullptr;
    QProgressBar* runProgress = nullptr; // "ProgressBar1"

    QMenu* fileMenu = nullptr;               // "File1"
    QAction* loadParametersAction = nullptr; // "O1"
    QAction* saveParametersAction = nullptr; // "Save1"
    QAction* exitAction = nullptr;           // "Exit1"
    QMenu* analysisMenu = nullptr;           // "Analysis1"
    QAction* RunApplication = nullptr;
    QAction* AssignApplication = nullptr;
    QMenu* helpMenu = nullptr;             // "V1"
    QAction* helpContentsAction = nullptr; // "Contents1"
    QAction* keywordHelpAction = nullptr;  // "K1"
    QAction* aboutAction = nullptr;        // "Version1"

    QFileDialog* dataFileDialog = nullptr;        // "SaveDialog1"
    QFileDialog* loadParametersDialog = nullptr;  // "OpenDialog1"
    QFileDialog* saveParametersDialog = nullptr;  // "SaveDialog2"
    QFileDialog* analysisProgramDialog = nullptr; // "OpenDialogApplicationSoft"

private:
    void BuildMenus(QMainWindow& window);
    void BuildCardPage();
    void BuildParameterPage();
    void BuildChannelPage();
    void BuildSavePage();
    void BuildRunBox();
    void BuildDialogs(QMainWindow& window);
};

// Chooses the item of an editable drop-down box and shows its text; an index outside the
// items leaves the box with no item and no text.
void SelectItem(QComboBox* box, int index);
// The item the box's text names: a box whose text was typed differently reports none (-1).
int ItemIndexOf(const QComboBox* box);

// Dialog filters written as "description|pattern;pattern" become Qt name filters that show
// the description unchanged.
QStringList NameFilters(const QString& filter);
// The file a closed dialog chose; empty when none.
QString SelectedFile(const QFileDialog* dialog);

} // namespace tavrel
