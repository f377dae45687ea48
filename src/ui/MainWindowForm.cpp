#include "ui/MainWindowForm.h"

#include "acquisition/MeasurementParameters.h"
#include "ui/TriggerPage.h"
#include "widgets/FormFonts.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>

#include <QTableWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

namespace tavrel {

namespace {

const QString CaptionColours = QStringLiteral("QLineEdit { color: white; background: #0a246a; }");
const QString StatusColours = QStringLiteral("QLineEdit { color: yellow; background: black; }");

QLabel* AddLabel(QWidget* page, const QString& name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, page);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// A label whose text must end before the control at rightEdge.
void FitLabel(QLabel* label, int rightEdge) {
    FitFontToWidth(label, label->text(), rightEdge - label->x() - 2);
    label->adjustSize();
}

QLineEdit* AddEdit(QWidget* page, const QString& name, const QRect& geometry,
                   const QString& text = QString()) {
    auto* edit = new QLineEdit(text, page);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    return edit;
}

QComboBox* AddCombo(QWidget* page, const QString& name, const QRect& geometry) {
    auto* box = new QComboBox(page);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setGeometry(geometry);
    // A narrow arrow leaves room for "msec" in the 49-pixel box.
    box->setStyleSheet(QStringLiteral("QComboBox { padding-left: 2px; padding-right: 0px; }"
                                      "QComboBox::drop-down { width: 13px; }"));
    return box;
}

QFileDialog* MakeFileDialog(QWidget* parent, const QString& name, QFileDialog::AcceptMode mode) {
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(name);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                        : QFileDialog::ExistingFile);
    if (mode == QFileDialog::AcceptSave)
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    // Qt sizes the detail columns for Latin samples ("128.88 GB", "mp3Folder"); Japanese
    // sizes and file types are wider, so those columns follow their contents and the name
    // takes what is left.
    dialog->resize(720, 440);
    if (auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int c = 1; c < header->count(); ++c)
            header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    // Room for the Japanese place names ("コンピューター") in the side bar.
    if (auto* splitter = dialog->findChild<QSplitter*>(QStringLiteral("splitter")))
        splitter->setSizes({160, 560});
    return dialog;
}

} // namespace

void SelectItem(QComboBox* box, int index) {
    if (index >= 0 && index < box->count()) {
        box->setCurrentIndex(index);
        box->setEditText(box->itemText(index));
    } else {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
}

int ItemIndexOf(const QComboBox* box) {
    return box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

MainWindowForm::MainWindowForm(QMainWindow& window) {
    auto* central = new QWidget(&window);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    chartPanel = new QWidget(central);
    chartPanel->setObjectName(QStringLiteral("Panel2"));
    auto* sidePanel = new QWidget(central); // "Panel1": the pages over the run's group
    sidePanel->setObjectName(QStringLiteral("Panel1"));
    sidePanel->setFixedWidth(264);
    layout->addWidget(chartPanel, 1);
    layout->addWidget(sidePanel);
    window.setCentralWidget(central);

    auto* sideLayout = new QVBoxLayout(sidePanel);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->setSpacing(0);
    auto* pages = new QTabWidget(sidePanel);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->setUsesScrollButtons(false);
    pages->setElideMode(Qt::ElideNone);
    // All five tabs in the panel's width, as the tabs cannot wrap onto rows here.
    pages->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 3px; }"));
    auto* runBox = new QGroupBox(sidePanel);
    runBox->setObjectName(QStringLiteral("GroupBox2"));
    runBox->setFixedHeight(90);
    sideLayout->addWidget(pages, 1);
    sideLayout->addWidget(runBox);

    BuildMenus(window);
    BuildCardPage(pages);
    BuildParameterPage(pages);
    BuildChannelPage(pages);
    QWidget* savePage = BuildSavePage(pages);
    triggerPage = new TriggerPage(pages);
    BuildRunBox(runBox);
    BuildDialogs(window);
    pages->setCurrentWidget(savePage);
}

void MainWindowForm::BuildMenus(QMainWindow& window) {
    QMenuBar* bar = window.menuBar();
    fileMenu = bar->addMenu(tr("ファイル(&F)"));
    fileMenu->setObjectName(QStringLiteral("File1"));
    loadParametersAction = fileMenu->addAction(tr("計測パラメータの読込み(&O)"));
    loadParametersAction->setObjectName(QStringLiteral("O1"));
    saveParametersAction = fileMenu->addAction(tr("計測パラメータの保存(&S)"));
    saveParametersAction->setObjectName(QStringLiteral("Save1"));
    fileMenu->addSeparator()->setObjectName(QStringLiteral("N1"));
    exitAction = fileMenu->addAction(tr("終了(&Q)"));
    exitAction->setObjectName(QStringLiteral("Exit1"));

    analysisMenu = bar->addMenu(tr("データ解析(&A)"));
    analysisMenu->setObjectName(QStringLiteral("Analysis1"));
    RunApplication = analysisMenu->addAction(tr("Vendraskの実行(&E)"));
    RunApplication->setObjectName(QStringLiteral("RunApplication"));
    analysisMenu->addSeparator()->setObjectName(QStringLiteral("N3"));
    AssignApplication = analysisMenu->addAction(tr("プログラムファイルの指定(&A)"));
    AssignApplication->setObjectName(QStringLiteral("AssignApplication"));
    analysisMenu->addSeparator()->setObjectName(QStringLiteral("N4"));
    viewDataFileAction = analysisMenu->addAction(tr("ビューアで表示(&V)"));
    viewDataFileAction->setObjectName(QStringLiteral("ViewDataFile"));

    QMenu* helpMenu = bar->addMenu(tr("ヘルプ(&H)"));
    helpMenu->setObjectName(QStringLiteral("V1"));
    helpContentsAction = helpMenu->addAction(tr("目次(&C)"));
    helpContentsAction->setObjectName(QStringLiteral("Contents1"));
    keywordHelpAction = helpMenu->addAction(tr("キーワード検索(&K)"));
    keywordHelpAction->setObjectName(QStringLiteral("K1"));
    helpMenu->addSeparator()->setObjectName(QStringLiteral("N2"));
    aboutAction = helpMenu->addAction(tr("バージョン情報(&V)"));
    aboutAction->setObjectName(QStringLiteral("Version1"));
}

void MainWindowForm::BuildCardPage(QTabWidget* pages) {
    auto* cardPage = new QWidget;
    cardPage->setObjectName(QStringLiteral("TabSheet1"));
    pages->addTab(cardPage, tr("カード情報"));
    FitLabel(AddLabel(cardPage, QStringLiteral("Label1"), tr("カードの種類："), 8, 20), 112);
    TextCardType = AddEdit(cardPage, QStringLiteral("TextCardType"), {112, 16, 105, 20});
    FitLabel(AddLabel(cardPage, QStringLiteral("Label2"), tr("I/Oベースアドレス："), 8, 53), 112);
    TextAdrs = AddEdit(cardPage, QStringLiteral("TextAdrs"), {112, 49, 57, 20});
    FitLabel(AddLabel(cardPage, QStringLiteral("Label3"), tr("IRQ番号："), 8, 86), 112);
    TextIrqNo = AddEdit(cardPage, QStringLiteral("TextIrqNo"), {112, 83, 57, 20});
    FitLabel(AddLabel(cardPage, QStringLiteral("Label12"), tr("現在の状態："), 8, 119), 112);
    TextStatus = AddEdit(cardPage, QStringLiteral("TextStatus"), {112, 116, 97, 20});
    for (QLineEdit* edit : {TextCardType, TextAdrs, TextIrqNo, TextStatus}) {
        edit->setStyleSheet(CaptionColours);
        if (edit != TextStatus)
            edit->setReadOnly(true);
    }
    FitLabel(AddLabel(cardPage, QStringLiteral("LabelDevice"), tr("計測する装置："), 8, 156), 112);
    ComboDevice = new QComboBox(cardPage);
    ComboDevice->setObjectName(QStringLiteral("ComboDevice"));
    ComboDevice->setGeometry(112, 152, 137, 22);
}

void MainWindowForm::BuildParameterPage(QTabWidget* pages) {
    auto* parameterPage = new QWidget;
    parameterPage->setObjectName(QStringLiteral("TabSheet2"));
    pages->addTab(parameterPage, tr("計測ﾊﾟﾗﾒｰﾀ"));
    FitLabel(AddLabel(parameterPage, QStringLiteral("Label8"), tr("計測待ち時間(sec):"), 8, 20),
             112);
    EditWaitTime = AddEdit(parameterPage, QStringLiteral("EditWaitTime"), {112, 16, 57, 20},
                           QStringLiteral("0"));
    FitLabel(AddLabel(parameterPage, QStringLiteral("Label11"), tr("バースト記録回数："), 8, 44),
             112);
    EditIteration = AddEdit(parameterPage, QStringLiteral("EditIteration"), {112, 40, 57, 20},
                            QStringLiteral("1"));
    FitLabel(AddLabel(parameterPage, QStringLiteral("Label9"), tr("バースト時間間隔："), 8, 68),
             112);
    EditBurstInterval = AddEdit(parameterPage, QStringLiteral("EditBurstInterval"),
                                {112, 64, 57, 20}, QStringLiteral("1"));
    ComboBoxBITUnit = AddCombo(parameterPage, QStringLiteral("ComboBoxBITUnit"), {176, 64, 49, 20});
    FitLabel(AddLabel(parameterPage, QStringLiteral("Label4"), tr("サンプリング間隔："), 8, 132),
             112);
    EditSInterval = AddEdit(parameterPage, QStringLiteral("EditSInterval"), {112, 128, 57, 20},
                            QStringLiteral("100"));
    ComboSampUnit = AddCombo(parameterPage, QStringLiteral("ComboSampUnit"), {176, 128, 49, 20});
    FitLabel(AddLabel(parameterPage, QStringLiteral("Label6"), tr("サンプリング個数："), 8, 158),
             112);
    EditDataNum = AddEdit(parameterPage, QStringLiteral("EditDataNum"), {112, 152, 57, 20},
                          QStringLiteral("512"));
    for (const char* item : BitUnitItems)
        ComboBoxBITUnit->addItem(QString::fromLatin1(item));
    for (const char* item : SampUnitItems)
        ComboSampUnit->addItem(QString::fromLatin1(item));
    SelectItem(ComboBoxBITUnit, 2);
    SelectItem(ComboSampUnit, 1);
    for (QComboBox* box : {ComboBoxBITUnit, ComboSampUnit}) {
        FitFontToWidth(box, QStringLiteral("msec"), box->width() - 13 - 14);
        box->lineEdit()->setFont(box->font());
    }

    // Tab order: sampling interval first, the burst entries last.
    QWidget::setTabOrder(EditSInterval, ComboSampUnit);
    QWidget::setTabOrder(ComboSampUnit, EditDataNum);
    QWidget::setTabOrder(EditDataNum, EditWaitTime);
    QWidget::setTabOrder(EditWaitTime, EditBurstInterval);
    QWidget::setTabOrder(EditBurstInterval, ComboBoxBITUnit);
    QWidget::setTabOrder(ComboBoxBITUnit, EditIteration);
}

void MainWindowForm::BuildChannelPage(QTabWidget* pages) {
    auto* channelPage = new QWidget;
    channelPage->setObjectName(QStringLiteral("TabSheet4"));
    pages->addTab(channelPage, tr("記録ﾁｬﾝﾈﾙ"));
    FitLabel(AddLabel(channelPage, QStringLiteral("Label5"), tr("チャンネル数："), 8, 27), 88);
    ComboChNum = AddCombo(channelPage, QStringLiteral("ComboChNum"), {88, 24, 49, 20});
    for (const char* item : ChNumItems)
        ComboChNum->addItem(QString::fromLatin1(item));
    SelectItem(ComboChNum, 0);
    QLineEdit* formulaText =
        AddEdit(channelPage, QStringLiteral("Edit1"), {136, 48, 113, 20}, tr("変換式：Y = AX + B"));
    formulaText->setReadOnly(true);
    formulaText->setStyleSheet(CaptionColours);
    FitFontToWidth(formulaText, formulaText->text(), formulaText->width() - 8);
    formulaText->setCursorPosition(0);

    StringGridChannel = new QTableWidget(MaxChannels, GridColumns, channelPage);
    StringGridChannel->setObjectName(QStringLiteral("StringGridChannel"));
    StringGridChannel->setGeometry(0, 72, 278, 109);
    // The titles are entries too: they keep their Japanese text beside the one shown.
    const char* const titles[GridColumns] = {"No.", QT_TR_NOOP("項目名"), QT_TR_NOOP("単位"), "A",
                                             "B"};
    for (int c = 0; c < GridColumns; ++c) {
        auto* title = new QTableWidgetItem(tr(titles[c]));
        title->setData(Qt::UserRole, QString::fromUtf8(titles[c]));
        StringGridChannel->setHorizontalHeaderItem(c, title);
    }
    StringGridChannel->verticalHeader()->setVisible(false);
    StringGridChannel->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGridChannel->verticalHeader()->setDefaultSectionSize(20);
    StringGridChannel->verticalHeader()->setMinimumSectionSize(20);
    StringGridChannel->horizontalHeader()->setFixedHeight(20);
    StringGridChannel->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGridChannel->horizontalHeader()->setHighlightSections(false);
    StringGridChannel->horizontalHeader()->setMinimumSectionSize(10);
    const int widths[GridColumns] = {30, 63, 44, 57, 53};
    for (int c = 0; c < GridColumns; ++c)
        StringGridChannel->setColumnWidth(c, widths[c]);
    StringGridChannel->setShowGrid(true);
    StringGridChannel->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGridChannel->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGridChannel->setEditTriggers(QAbstractItemView::AllEditTriggers);

    channelHelpButton = new QPushButton(tr("ヘルプ(&H)"), channelPage);
    channelHelpButton->setObjectName(QStringLiteral("BitBtn2"));
    channelHelpButton->setGeometry(184, 192, 57, 25);
}

QWidget* MainWindowForm::BuildSavePage(QTabWidget* pages) {
    auto* savePage = new QWidget;
    savePage->setObjectName(QStringLiteral("TabSheet3"));
    pages->addTab(savePage, tr("保存"));
    AddLabel(savePage, QStringLiteral("Label7"), tr("コメント："), 8, 8);
    commentEdit = new QPlainTextEdit(savePage);
    commentEdit->setObjectName(QStringLiteral("Memo1"));
    commentEdit->setGeometry(8, 24, 233, 73);

    auto* RadioGroupFileType = new QGroupBox(tr("保存形式"), savePage);
    RadioGroupFileType->setObjectName(QStringLiteral("RadioGroupFileType"));
    // Room for the three formats.
    RadioGroupFileType->setGeometry(8, 104, 225, 75);
    RadioGroupFileTypeButtons = new QButtonGroup(RadioGroupFileType);
    RadioGroupFileTypeButtons->setObjectName(QStringLiteral("RadioGroupFileTypeButtons"));
    const QString items[3] = {tr("sdf （標準時系列データファイル）"),
                              tr("tsd （時系列テキストデータファイル）"),
                              tr("hdf5 （全分解能HDF5ファイル）")};
    // Which item is longest depends on the language.
    const QFontMetrics metrics(RadioGroupFileType->font());
    const QString& longer = *std::max_element(
        std::begin(items), std::end(items), [&](const QString& a, const QString& b) {
            return metrics.horizontalAdvance(a) < metrics.horizontalAdvance(b);
        });
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(items[i], RadioGroupFileType);
        button->setObjectName(QStringLiteral("RadioGroupFileTypeItem%1").arg(i));
        button->setGeometry(8, 16 + i * 18, 212, 18);
        // All items in the size that the longest one fits.
        FitFontToWidth(button, longer, 212 - 22);
        RadioGroupFileTypeButtons->addButton(button, i);
    }
    RadioGroupFileTypeButtons->button(0)->setChecked(true);

    auto* fileNameBox = new QGroupBox(tr("ファイル名"), savePage);
    fileNameBox->setObjectName(QStringLiteral("GroupBox1"));
    fileNameBox->setGeometry(8, 186, 233, 49);
    EditFileName = AddEdit(fileNameBox, QStringLiteral("EditFileName"), {8, 16, 161, 20});
    browseDataFileButton = new QPushButton(tr("参照"), fileNameBox);
    browseDataFileButton->setObjectName(QStringLiteral("BitBtn1"));
    browseDataFileButton->setGeometry(176, 16, 43, 25);
    // A longer translation gets a smaller font rather than losing its ends.
    FitFontToWidth(browseDataFileButton, browseDataFileButton->text(), 43 - 6);
    return savePage;
}

void MainWindowForm::BuildRunBox(QGroupBox* runBox) {
    BtnAdStart = new QPushButton(tr("計測開始"), runBox);
    BtnAdStart->setObjectName(QStringLiteral("BtnAdStart"));
    BtnAdStart->setGeometry(40, 12, 65, 25);
    BtnAdStop = new QPushButton(tr("計測中止"), runBox);
    BtnAdStop->setObjectName(QStringLiteral("BtnAdStop"));
    BtnAdStop->setGeometry(144, 12, 65, 25);
    EditPresentStatus = AddEdit(runBox, QStringLiteral("EditPresentStatus"), {8, 45, 113, 20});
    EditTime = AddEdit(runBox, QStringLiteral("EditTime"), {128, 45, 121, 20});
    for (QLineEdit* edit : {EditPresentStatus, EditTime}) {
        edit->setReadOnly(true);
        edit->setStyleSheet(StatusColours);
    }
    runProgress = new QProgressBar(runBox);
    runProgress->setObjectName(QStringLiteral("ProgressBar1"));
    runProgress->setGeometry(2, 90 - 16 - 2, 264 - 4, 16);
    runProgress->setRange(0, 100);
    runProgress->setValue(0);
    runProgress->setTextVisible(false);
}

void MainWindowForm::BuildDialogs(QMainWindow& window) {
    dataFileDialog =
        MakeFileDialog(&window, QStringLiteral("SaveDialog1"), QFileDialog::AcceptSave);
    loadParametersDialog =
        MakeFileDialog(&window, QStringLiteral("OpenDialog1"), QFileDialog::AcceptOpen);
    saveParametersDialog =
        MakeFileDialog(&window, QStringLiteral("SaveDialog2"), QFileDialog::AcceptSave);
    analysisProgramDialog = MakeFileDialog(&window, QStringLiteral("OpenDialogApplicationSoft"),
                                           QFileDialog::AcceptOpen);
}

} // namespace tavrel
