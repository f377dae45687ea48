#include "ui/MainUnit.h"

#include "datafiles/DateTime.h"
#include "datafiles/FileError.h"
#include "datafiles/ParameterFile.h"
#include "datafiles/ShiftJis.h"
#include "ui/AboutBox.h"
#include "ui/FormFonts.h"
#include "ui/HelpWindow.h"
#include "ui/PathText.h"
#include "ui/ProgramIcon.h"
#include "ui/ProgressDialog.h"
#include "ui/WaveformCharts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryFile>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

namespace tavrel {

namespace {

const QString DefaultParameterFile = QStringLiteral("default.apm");
const QString DefaultApplication = QStringLiteral("Vendrask.EXE");
const QString LoadFilter = QStringLiteral("Parameter files (*.apm,*.sdf,*.tsd)|*.apm;*.sdf;*.tsd");
const QString SaveFilter = QStringLiteral("Parameter files (*.apm)|*.apm");
const QString SdfFilter = QStringLiteral("時系列標準ファイル (*.sdf)|*.sdf");
const QString TsdFilter = QStringLiteral("時系列テキストファイル (*.tsd)|*.tsd");
const QString CaptionColours = QStringLiteral("QLineEdit { color: white; background: #0a246a; }");
const QString StatusColours = QStringLiteral("QLineEdit { color: yellow; background: black; }");
constexpr int GridColumns = 5;

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}
std::string S(const QString& text) {
    return text.toStdString();
}

bool FitsCp932(const QString& text) {
    return Utf8ToCp932(S(text)).has_value();
}

// The comment box holds Windows line ends, so that its byte count is the file's.
std::string MemoToEntry(const QString& text) {
    QString crlf = text;
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return S(crlf);
}
QString EntryToMemo(const std::string& text) {
    QString plain = Q(text);
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return plain;
}

// An editable drop-down box reports no item once its text was typed differently.
int ItemIndexOf(const QComboBox* box) {
    return box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void SelectItem(QComboBox* box, int index) {
    if (index >= 0 && index < box->count()) {
        box->setCurrentIndex(index);
        box->setEditText(box->itemText(index));
    } else {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
}

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
    return dialog;
}

QString ProgramDirectory() {
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty())
        dir = QDir::currentPath();
    return dir;
}

QString WithSeparator(const QString& dir) {
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

QString SelectedFile(const QFileDialog* dialog) {
    const QStringList files = dialog->selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace

QStringList NameFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        result.append(parts[i] + QStringLiteral(" (") + patterns + u')');
    }
    return result;
}

QString ChooseSettingsDir(const QString& exeDir, const QString& configDir) {
    if (QDir(exeDir).exists()) {
        QTemporaryFile probe(QDir(exeDir).filePath(QStringLiteral("tavrel-probe-XXXXXX")));
        if (probe.open())
            return WithSeparator(exeDir);
    }
    QDir().mkpath(configDir);
    return WithSeparator(configDir);
}

TForm1::TForm1(AdLib32& card, TForm1Options options, QWidget* parent)
    : QMainWindow(parent), card_(card), options_(std::move(options)) {
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(ProgramIcon());
    setFont(GothicFont(12));
    setWindowTitle(QString::fromUtf8(CaptionText).trimmed());
    resize(680, 409);
    move(219, 108);

    exeDir_ = WithSeparator(options_.ExeDir.isEmpty() ? ProgramDirectory() : options_.ExeDir);
    QString configDir = options_.ConfigDir;
    if (configDir.isEmpty())
        configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    settingsDir_ = ChooseSettingsDir(exeDir_, configDir);

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel2 = new QWidget(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(264);
    layout->addWidget(Panel2, 1);
    layout->addWidget(Panel1);
    setCentralWidget(central);

    auto* panel1Layout = new QVBoxLayout(Panel1);
    panel1Layout->setContentsMargins(0, 0, 0, 0);
    panel1Layout->setSpacing(0);
    PageControl1 = new QTabWidget(Panel1);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);
    // All four tabs in the panel's width, as the tabs cannot wrap onto rows here.
    PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
    GroupBox2 = new QGroupBox(Panel1);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setFixedHeight(90);
    panel1Layout->addWidget(PageControl1, 1);
    panel1Layout->addWidget(GroupBox2);

    BuildMenu();
    BuildCardPage();
    BuildParameterPage();
    BuildChannelPage();
    BuildSavePage();
    BuildButtonGroup();
    BuildDialogs();
    PageControl1->setCurrentWidget(TabSheet3);

    charts_ = new WaveformCharts(Panel2, data_.Header);
    aboutBox_ = new AboutBox(this);
    progress_ = new ProgressDialog(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    // The stop button is the window's cancel button.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (BtnAdStop->isEnabled())
            BtnAdStop->click();
    });
}

void TForm1::BuildMenu() {
    QMenuBar* bar = menuBar();
    File1 = bar->addMenu(QStringLiteral("ファイル(&F)"));
    File1->setObjectName(QStringLiteral("File1"));
    O1 = File1->addAction(QStringLiteral("計測パラメータの読込み(&O)"), this, &TForm1::O1Click);
    O1->setObjectName(QStringLiteral("O1"));
    Save1 = File1->addAction(QStringLiteral("計測パラメータの保存(&S)"), this, &TForm1::Save1Click);
    Save1->setObjectName(QStringLiteral("Save1"));
    File1->addSeparator()->setObjectName(QStringLiteral("N1"));
    Exit1 = File1->addAction(QStringLiteral("終了(&Q)"), this, &TForm1::Exit1Click);
    Exit1->setObjectName(QStringLiteral("Exit1"));

    Analysis1 = bar->addMenu(QStringLiteral("データ解析(&A)"));
    Analysis1->setObjectName(QStringLiteral("Analysis1"));
    RunApplication = Analysis1->addAction(QStringLiteral("Vendraskの実行(&E)"), this,
                                          &TForm1::RunApplicationClick);
    RunApplication->setObjectName(QStringLiteral("RunApplication"));
    Analysis1->addSeparator()->setObjectName(QStringLiteral("N3"));
    AssignApplication = Analysis1->addAction(QStringLiteral("プログラムファイルの指定(&A)"), this,
                                             &TForm1::AssignApplicationClick);
    AssignApplication->setObjectName(QStringLiteral("AssignApplication"));

    V1 = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    V1->setObjectName(QStringLiteral("V1"));
    Contents1 = V1->addAction(QStringLiteral("目次(&C)"), this, &TForm1::Contents1Click);
    Contents1->setObjectName(QStringLiteral("Contents1"));
    K1 = V1->addAction(QStringLiteral("キーワード検索(&K)"), this, &TForm1::K1Click);
    K1->setObjectName(QStringLiteral("K1"));
    V1->addSeparator()->setObjectName(QStringLiteral("N2"));
    Version1 = V1->addAction(QStringLiteral("バージョン情報(&V)"), this, &TForm1::Version1Click);
    Version1->setObjectName(QStringLiteral("Version1"));
}

void TForm1::BuildCardPage() {
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("カード情報"));
    FitLabel(AddLabel(TabSheet1, QStringLiteral("Label1"), QStringLiteral("カードの種類："), 8, 20),
             112);
    TextCardType = AddEdit(TabSheet1, QStringLiteral("TextCardType"), {112, 16, 105, 20});
    FitLabel(
        AddLabel(TabSheet1, QStringLiteral("Label2"), QStringLiteral("I/Oベースアドレス："), 8, 53),
        112);
    TextAdrs = AddEdit(TabSheet1, QStringLiteral("TextAdrs"), {112, 49, 57, 20});
    FitLabel(AddLabel(TabSheet1, QStringLiteral("Label3"), QStringLiteral("IRQ番号："), 8, 86),
             112);
    TextIrqNo = AddEdit(TabSheet1, QStringLiteral("TextIrqNo"), {112, 83, 57, 20});
    FitLabel(AddLabel(TabSheet1, QStringLiteral("Label12"), QStringLiteral("現在の状態："), 8, 119),
             112);
    TextStatus = AddEdit(TabSheet1, QStringLiteral("TextStatus"), {112, 116, 97, 20});
    for (QLineEdit* edit : {TextCardType, TextAdrs, TextIrqNo, TextStatus}) {
        edit->setStyleSheet(CaptionColours);
        if (edit != TextStatus)
            edit->setReadOnly(true);
    }
}

void TForm1::BuildParameterPage() {
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("計測ﾊﾟﾗﾒｰﾀ"));
    FitLabel(
        AddLabel(TabSheet2, QStringLiteral("Label8"), QStringLiteral("計測待ち時間(sec):"), 8, 20),
        112);
    EditWaitTime =
        AddEdit(TabSheet2, QStringLiteral("EditWaitTime"), {112, 16, 57, 20}, QStringLiteral("0"));
    FitLabel(
        AddLabel(TabSheet2, QStringLiteral("Label11"), QStringLiteral("バースト記録回数："), 8, 44),
        112);
    EditIteration =
        AddEdit(TabSheet2, QStringLiteral("EditIteration"), {112, 40, 57, 20}, QStringLiteral("1"));
    FitLabel(
        AddLabel(TabSheet2, QStringLiteral("Label9"), QStringLiteral("バースト時間間隔："), 8, 68),
        112);
    EditBurstInterval = AddEdit(TabSheet2, QStringLiteral("EditBurstInterval"), {112, 64, 57, 20},
                                QStringLiteral("1"));
    ComboBoxBITUnit = AddCombo(TabSheet2, QStringLiteral("ComboBoxBITUnit"), {176, 64, 49, 20});
    FitLabel(
        AddLabel(TabSheet2, QStringLiteral("Label4"), QStringLiteral("サンプリング間隔："), 8, 132),
        112);
    EditSInterval = AddEdit(TabSheet2, QStringLiteral("EditSInterval"), {112, 128, 57, 20},
                            QStringLiteral("100"));
    ComboSampUnit = AddCombo(TabSheet2, QStringLiteral("ComboSampUnit"), {176, 128, 49, 20});
    FitLabel(
        AddLabel(TabSheet2, QStringLiteral("Label6"), QStringLiteral("サンプリング個数："), 8, 158),
        112);
    EditDataNum = AddEdit(TabSheet2, QStringLiteral("EditDataNum"), {112, 152, 57, 20},
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

void TForm1::BuildChannelPage() {
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    PageControl1->addTab(TabSheet4, QStringLiteral("記録ﾁｬﾝﾈﾙ"));
    FitLabel(AddLabel(TabSheet4, QStringLiteral("Label5"), QStringLiteral("チャンネル数："), 8, 27),
             88);
    ComboChNum = AddCombo(TabSheet4, QStringLiteral("ComboChNum"), {88, 24, 49, 20});
    for (const char* item : ChNumItems)
        ComboChNum->addItem(QString::fromLatin1(item));
    SelectItem(ComboChNum, 0);
    connect(ComboChNum, &QComboBox::currentTextChanged, this, [this] {
        if (!applying_)
            ComboChNumChange();
    });
    Edit1 = AddEdit(TabSheet4, QStringLiteral("Edit1"), {136, 48, 113, 20},
                    QStringLiteral("変換式：Y = AX + B"));
    Edit1->setReadOnly(true);
    Edit1->setStyleSheet(CaptionColours);
    FitFontToWidth(Edit1, Edit1->text(), Edit1->width() - 8);
    Edit1->setCursorPosition(0);

    StringGridChannel = new QTableWidget(MaxChannels, GridColumns, TabSheet4);
    StringGridChannel->setObjectName(QStringLiteral("StringGridChannel"));
    StringGridChannel->setGeometry(0, 72, 278, 109);
    StringGridChannel->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("項目名"),
                                                  QStringLiteral("単位"), QStringLiteral("A"),
                                                  QStringLiteral("B")});
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
    for (int r = 0; r < MaxChannels; ++r)
        for (int c = 0; c < GridColumns; ++c)
            SetCell(r + 1, c, QString());
    connect(StringGridChannel, &QTableWidget::itemChanged, this, &TForm1::GridItemChanged);

    BitBtn2 = new QPushButton(QStringLiteral("ヘルプ(&H)"), TabSheet4);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(184, 192, 57, 25);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
}

void TForm1::BuildSavePage() {
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addTab(TabSheet3, QStringLiteral("保存"));
    AddLabel(TabSheet3, QStringLiteral("Label7"), QStringLiteral("コメント："), 8, 8);
    Memo1 = new QPlainTextEdit(TabSheet3);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 24, 233, 73);
    connect(Memo1, &QPlainTextEdit::textChanged, this, &TForm1::Memo1Changed);

    RadioGroupFileType = new QGroupBox(QStringLiteral("保存形式"), TabSheet3);
    RadioGroupFileType->setObjectName(QStringLiteral("RadioGroupFileType"));
    RadioGroupFileType->setGeometry(8, 104, 225, 57);
    RadioGroupFileTypeButtons = new QButtonGroup(RadioGroupFileType);
    RadioGroupFileTypeButtons->setObjectName(QStringLiteral("RadioGroupFileTypeButtons"));
    const QString items[2] = {QStringLiteral("sdf （標準時系列データファイル）"),
                              QStringLiteral("tsd （時系列テキストデータファイル）")};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QRadioButton(items[i], RadioGroupFileType);
        button->setObjectName(QStringLiteral("RadioGroupFileTypeItem%1").arg(i));
        button->setGeometry(8, 16 + i * 18, 212, 18);
        // Both items in the size that the longer one fits.
        FitFontToWidth(button, items[1], 212 - 22);
        RadioGroupFileTypeButtons->addButton(button, i);
    }
    RadioGroupFileTypeButtons->button(0)->setChecked(true);
    connect(RadioGroupFileTypeButtons, &QButtonGroup::idClicked, this, [this] {
        if (!applying_)
            RadioGroupFileTypeClick();
    });

    GroupBox1 = new QGroupBox(QStringLiteral("ファイル名"), TabSheet3);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 168, 233, 49);
    EditFileName = AddEdit(GroupBox1, QStringLiteral("EditFileName"), {8, 16, 161, 20});
    connect(EditFileName, &QLineEdit::textEdited, this, &TForm1::EditFileNameEdited);
    connect(EditFileName, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (FitsCp932(text))
            fileNameText_ = text;
    });
    BitBtn1 = new QPushButton(QStringLiteral("参照"), GroupBox1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(176, 16, 43, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
}

void TForm1::BuildButtonGroup() {
    BtnAdStart = new QPushButton(QStringLiteral("計測開始"), GroupBox2);
    BtnAdStart->setObjectName(QStringLiteral("BtnAdStart"));
    BtnAdStart->setGeometry(40, 12, 65, 25);
    BtnAdStop = new QPushButton(QStringLiteral("計測中止"), GroupBox2);
    BtnAdStop->setObjectName(QStringLiteral("BtnAdStop"));
    BtnAdStop->setGeometry(144, 12, 65, 25);
    EditPresentStatus = AddEdit(GroupBox2, QStringLiteral("EditPresentStatus"), {8, 45, 113, 20});
    EditTime = AddEdit(GroupBox2, QStringLiteral("EditTime"), {128, 45, 121, 20});
    for (QLineEdit* edit : {EditPresentStatus, EditTime}) {
        edit->setReadOnly(true);
        edit->setStyleSheet(StatusColours);
    }
    ProgressBar1 = new QProgressBar(GroupBox2);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(2, 90 - 16 - 2, 264 - 4, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
}

void TForm1::BuildDialogs() {
    SaveDialog1 = MakeFileDialog(this, QStringLiteral("SaveDialog1"), QFileDialog::AcceptSave);
    OpenDialog1 = MakeFileDialog(this, QStringLiteral("OpenDialog1"), QFileDialog::AcceptOpen);
    SaveDialog2 = MakeFileDialog(this, QStringLiteral("SaveDialog2"), QFileDialog::AcceptSave);
    OpenDialogApplicationSoft =
        MakeFileDialog(this, QStringLiteral("OpenDialogApplicationSoft"), QFileDialog::AcceptOpen);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!formShowQueued_) {
        formShowQueued_ = true;
        QTimer::singleShot(0, this, &TForm1::FormShow);
    }
}

void TForm1::FormShow() {
    if (startUpDone_)
        return;
    formShowQueued_ = true;
    if (options_.ShowAboutBox)
        aboutBox_->exec();
    Timer1->setInterval(100);
    Timer1->start();
    Timer1Timer();
    scansDone_ = 0;

    // The defaults, before any parameter file.
    data_.Header = DefaultMeasurementHeader();
    settings_.RingBufferSize =
        (data_.Header.ChannelCount + data_.Header.ExtraChannelCount) * data_.Header.SampleCount +
        32;
    settings_.DriverRateUnit = 1;
    ApplyEntries(DefaultMainEntries(S(settingsDir_)));

    ShowCardInformation();
    BtnAdStop->setEnabled(false);
    ComboChNumChange();
    EditPresentStatus->setText(QStringLiteral("未変換"));
    TextStatus->setText(QStringLiteral("停止"));
    EditTime->clear();

    for (QFileDialog* dialog : {OpenDialog1, SaveDialog2})
        dialog->setDirectory(settingsDir_);
    OpenDialog1->setNameFilters(NameFilters(LoadFilter));
    SaveDialog2->setNameFilters(NameFilters(SaveFilter));

    QString defaults = settingsDir_ + DefaultParameterFile;
    if (!QFile::exists(defaults) && settingsDir_ != exeDir_)
        defaults = exeDir_ + DefaultParameterFile;
    if (QFile::exists(defaults)) {
        OpenDialog1->selectFile(defaults);
        LoadParametersFrom(defaults);
    }
    ValidateParameters();
    SetUpCharts();
    startUpDone_ = true;
    emit StartUpFinished();
}

void TForm1::ShowCardInformation() {
    cardInfo_ = DetectCard(card_);
    if (cardInfo_.Found) {
        TextCardType->setText(Q(std::string(CardTypeName(cardInfo_.CardType))));
        TextAdrs->setText(QString::number(cardInfo_.IoAddress));
        TextIrqNo->setText(QString::number(cardInfo_.Irq));
        BtnAdStart->setEnabled(true);
    } else {
        TextCardType->setText(QStringLiteral("No Card in Slot"));
        BtnAdStart->setEnabled(false);
        Messages().ShowMessage(MessageKind::Information, "AD変換カードが入っていません。",
                               MessageButtons::Ok);
    }
}

void TForm1::Timer1Timer() {
    setWindowTitle(QString::fromUtf8(CaptionText) + Q(FormatFileDateTime(NowDateTime())));
}

// --- The entries --------------------------------------------------------------------------

void TForm1::SetCell(int row, int column, const QString& text) {
    QTableWidgetItem* item = StringGridChannel->item(row - 1, column);
    if (!item) {
        item = new QTableWidgetItem;
        if (column == 0) {
            // The fixed first column: not editable, drawn like the title row.
            item->setFlags(Qt::ItemIsEnabled);
            item->setBackground(StringGridChannel->palette().button());
        }
        StringGridChannel->setItem(row - 1, column, item);
    }
    item->setText(text);
    item->setData(Qt::UserRole, text); // the last accepted text
}

QString TForm1::CellText(int row, int column) const {
    const QTableWidgetItem* item = StringGridChannel->item(row - 1, column);
    return item ? item->text() : QString();
}

void TForm1::SetGridRowCount(int rows) {
    // rows counts the title row. Rows beyond it are hidden and keep their texts.
    gridRowCount_ = std::max(1, rows);
    const int needed = gridRowCount_ - 1;
    if (StringGridChannel->rowCount() < needed) {
        const bool wasApplying = std::exchange(applying_, true);
        const int old = StringGridChannel->rowCount();
        StringGridChannel->setRowCount(needed);
        for (int r = old; r < needed; ++r)
            for (int c = 0; c < GridColumns; ++c)
                SetCell(r + 1, c, QString());
        applying_ = wasApplying;
    }
    for (int r = 0; r < StringGridChannel->rowCount(); ++r)
        StringGridChannel->setRowHidden(r, r >= needed);
}

MainEntries TForm1::TakeEntries() const {
    MainEntries e;
    e.EditWaitTime = S(EditWaitTime->text());
    e.EditIteration = S(EditIteration->text());
    e.EditBurstInterval = S(EditBurstInterval->text());
    e.ComboBoxBITUnit = ItemIndexOf(ComboBoxBITUnit);
    e.EditSInterval = S(EditSInterval->text());
    e.ComboSampUnit = ItemIndexOf(ComboSampUnit);
    e.EditDataNum = S(EditDataNum->text());
    e.ComboChNumText = S(ComboChNum->currentText());
    e.ComboChNumIndex = ItemIndexOf(ComboChNum);
    const int rows = StringGridChannel->rowCount();
    e.GridCells.resize(static_cast<std::size_t>(rows + 1));
    for (int c = 0; c < GridColumns; ++c)
        e.GridCells[0][static_cast<std::size_t>(c)] =
            S(StringGridChannel->horizontalHeaderItem(c)->text());
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < GridColumns; ++c)
            e.GridCells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                S(CellText(r, c));
    e.GridRowCount = gridRowCount_;
    e.Memo1 = MemoToEntry(Memo1->toPlainText());
    e.RadioGroupFileType = RadioGroupFileTypeButtons->checkedId();
    e.EditFileName = S(EditFileName->text());
    e.ApplicationPath = S(applicationPath_);
    return e;
}

void TForm1::ApplyEntries(const MainEntries& e) {
    const bool wasApplying = std::exchange(applying_, true);
    EditWaitTime->setText(Q(e.EditWaitTime));
    EditIteration->setText(Q(e.EditIteration));
    EditBurstInterval->setText(Q(e.EditBurstInterval));
    SelectItem(ComboBoxBITUnit, e.ComboBoxBITUnit);
    EditSInterval->setText(Q(e.EditSInterval));
    SelectItem(ComboSampUnit, e.ComboSampUnit);
    EditDataNum->setText(Q(e.EditDataNum));
    if (e.ComboChNumIndex >= 0 && e.ComboChNumIndex < ComboChNum->count())
        ComboChNum->setCurrentIndex(e.ComboChNumIndex);
    else
        ComboChNum->setCurrentIndex(-1);
    ComboChNum->setEditText(Q(e.ComboChNumText));

    const int rows = static_cast<int>(e.GridCells.size()) - 1;
    if (rows > StringGridChannel->rowCount())
        SetGridRowCount(rows + 1);
    if (!e.GridCells.empty())
        for (int c = 0; c < GridColumns; ++c)
            StringGridChannel->horizontalHeaderItem(c)->setText(
                Q(e.GridCells[0][static_cast<std::size_t>(c)]));
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < GridColumns; ++c)
            SetCell(r, c, Q(e.GridCells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
    SetGridRowCount(e.GridRowCount);

    memoText_ = EntryToMemo(e.Memo1);
    Memo1->setPlainText(memoText_);
    if (QAbstractButton* button = RadioGroupFileTypeButtons->button(e.RadioGroupFileType)) {
        button->setChecked(true);
    } else {
        RadioGroupFileTypeButtons->setExclusive(false);
        for (QAbstractButton* b : RadioGroupFileTypeButtons->buttons())
            b->setChecked(false);
        RadioGroupFileTypeButtons->setExclusive(true);
    }
    EditFileName->setText(Q(e.EditFileName));
    EditFileName->setCursorPosition(0); // the path shown from its start
    applicationPath_ = Q(e.ApplicationPath);
    applying_ = wasApplying;
}

// --- Entry checks -------------------------------------------------------------------------

void TForm1::RefuseEntry(const QString& field) {
    // Shown after the edit has been undone, outside the widget's own signal.
    const std::string text =
        S(field + QStringLiteral("にShift-JISで表せない文字は入力できません。"));
    QTimer::singleShot(0, this, [this, text] {
        Messages().ShowMessage(MessageKind::Warning, text, MessageButtons::Ok);
    });
}

void TForm1::Memo1Changed() {
    if (applying_)
        return;
    const QString text = Memo1->toPlainText();
    if (text == memoText_)
        return;
    const auto bytes = Utf8ToCp932(MemoToEntry(text));
    if (bytes && bytes->size() <= static_cast<std::size_t>(CommentLimit)) {
        memoText_ = text;
        return;
    }
    // Undo the edit, keeping the cursor where the refused text was typed.
    const int cursor = Memo1->textCursor().position();
    const int back = static_cast<int>(text.size() - memoText_.size());
    const bool wasApplying = std::exchange(applying_, true);
    Memo1->setPlainText(memoText_);
    QTextCursor c = Memo1->textCursor();
    c.setPosition(std::clamp(cursor - back, 0, static_cast<int>(memoText_.size())));
    Memo1->setTextCursor(c);
    applying_ = wasApplying;
    if (!bytes)
        RefuseEntry(QStringLiteral("コメント"));
    else
        QApplication::beep(); // the byte limit: refused like a full box
}

void TForm1::EditFileNameEdited(const QString& text) {
    if (FitsCp932(text))
        return;
    const int cursor = EditFileName->cursorPosition();
    const int back = static_cast<int>(text.size() - fileNameText_.size());
    EditFileName->setText(fileNameText_);
    EditFileName->setCursorPosition(std::max(0, cursor - back));
    RefuseEntry(QStringLiteral("ファイル名"));
}

bool TForm1::AcceptPath(const QString& path) {
    if (FitsCp932(path))
        return true;
    RefuseEntry(QStringLiteral("ファイル名"));
    return false;
}

void TForm1::GridItemChanged(QTableWidgetItem* item) {
    if (applying_ || !item)
        return;
    if (FitsCp932(item->text())) {
        item->setData(Qt::UserRole, item->text());
        return;
    }
    const bool wasApplying = std::exchange(applying_, true);
    item->setText(item->data(Qt::UserRole).toString());
    applying_ = wasApplying;
    RefuseEntry(QStringLiteral("チャンネル表"));
}

// --- Handlers -----------------------------------------------------------------------------

bool TForm1::ValidateParameters() {
    const MainEntries entries = TakeEntries();
    const bool ok = tavrel::ValidateParameters(entries, data_, settings_, Messages(), scansDone_);
    if (ok)
        charts_->Panel2Resize();
    return ok;
}

void TForm1::SetUpCharts() {
    charts_->SetUpCharts(settings_.ChartTimeUnit);
}

void TForm1::ComboChNumChange() {
    MainEntries entries = TakeEntries();
    if (tavrel::ComboChNumChange(entries, data_.Header)) {
        const bool wasApplying = std::exchange(applying_, true);
        SetGridRowCount(entries.GridRowCount);
        applying_ = wasApplying;
        return;
    }
    // A box being typed into passes through the empty text; only a text that names no
    // channel count is reported.
    if (!entries.ComboChNumText.empty())
        Messages().ShowMessage(MessageKind::Error, "チャンネル数は1～4の整数で設定して下さい。",
                               MessageButtons::Ok);
}

void TForm1::RadioGroupFileTypeClick() {
    const int type = RadioGroupFileTypeButtons->checkedId();
    if (type == 0)
        EditFileName->setText(ChangeFileExt(EditFileName->text(), QStringLiteral(".sdf")));
    else if (type == 1)
        EditFileName->setText(ChangeFileExt(EditFileName->text(), QStringLiteral(".tsd")));
}

void TForm1::BitBtn1Click() {
    const int type = RadioGroupFileTypeButtons->checkedId();
    if (type == 0)
        SaveDialog1->setNameFilters(NameFilters(SdfFilter));
    else if (type == 1)
        SaveDialog1->setNameFilters(NameFilters(TsdFilter));
    SaveDialog1->selectFile(EditFileName->text());
    if (SaveDialog1->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(SaveDialog1);
    if (!chosen.isEmpty() && AcceptPath(chosen))
        EditFileName->setText(chosen);
}

void TForm1::O1Click() {
    if (OpenDialog1->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(OpenDialog1);
    if (!chosen.isEmpty())
        LoadParametersFrom(chosen);
}

void TForm1::LoadParametersFrom(const QString& fileName) {
    const QString ext = ExtractFileExt(fileName).toUpper();
    try {
        if (ext == QStringLiteral(".APM")) {
            MainEntries entries = TakeEntries();
            LoadParameterFile(entries, S(fileName));
            ApplyEntries(entries);
            ComboChNumChange();
            // The data file box opens where the loaded data file path points.
            QString dir = ExtractFileDir(EditFileName->text());
            if (dir.isEmpty())
                dir = exeDir_;
            if (QDir(dir).exists())
                SaveDialog1->setDirectory(dir);
        } else if (ext == QStringLiteral(".SDF") || ext == QStringLiteral(".TSD")) {
            MainEntries entries = TakeEntries();
            if (LoadParametersFromDataFile(entries, data_, settings_.DriverRateUnit, S(fileName),
                                           Messages(), *progress_))
                ApplyEntries(entries);
        }
    } catch (const std::exception& e) {
        Messages().ShowMessage(MessageKind::Error, e.what(), MessageButtons::Ok);
    }
}

void TForm1::Save1Click() {
    if (SaveDialog2->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(SaveDialog2);
    if (chosen.isEmpty() || !AcceptPath(chosen))
        return;
    try {
        SaveParametersTo(chosen);
    } catch (const std::exception& e) {
        Messages().ShowMessage(MessageKind::Error, e.what(), MessageButtons::Ok);
    }
}

void TForm1::SaveParametersTo(const QString& fileName) {
    SaveParameterFile(TakeEntries(), data_.Header, S(fileName));
}

bool TForm1::SaveDefaultParameters() {
    QString configDir = options_.ConfigDir;
    if (configDir.isEmpty())
        configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QStringList targets{settingsDir_ + DefaultParameterFile};
    const QString fallback = WithSeparator(configDir) + DefaultParameterFile;
    if (!targets.contains(fallback))
        targets.append(fallback);
    std::string failure;
    for (const QString& target : targets) {
        SaveDialog2->selectFile(target);
        try {
            if (target == fallback)
                QDir().mkpath(configDir);
            SaveParametersTo(target);
            return true;
        } catch (const std::exception& e) {
            if (failure.empty())
                failure = e.what();
        }
    }
    // The program must stay closable: the operator may end it without the settings.
    const MessageAnswer answer = Messages().ShowMessage(
        MessageKind::Error, failure + "\n\n設定を保存せずに終了しますか。", MessageButtons::YesNo);
    return answer == MessageAnswer::Yes;
}

void TForm1::Exit1Click() {
    if (endRequested_)
        return;
    if (!SaveDefaultParameters())
        return;
    EndProgram();
}

void TForm1::EndProgram() {
    endRequested_ = true;
    Timer1->stop();
    close();
    emit ProgramEnded();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (endRequested_) {
        event->accept();
        return;
    }
    if (!SaveDefaultParameters()) {
        event->ignore();
        return;
    }
    endRequested_ = true;
    Timer1->stop();
    event->accept();
    emit ProgramEnded();
}

void TForm1::EnableFileMenus(bool enabled) {
    File1->setEnabled(enabled);
    File1->menuAction()->setEnabled(enabled);
    Analysis1->setEnabled(enabled);
    Analysis1->menuAction()->setEnabled(enabled);
}

// --- Analysis program, help, about box ----------------------------------------------------

QString TForm1::AnalysisProgramPath() const {
    return applicationPath_.isEmpty() ? exeDir_ + DefaultApplication : applicationPath_;
}

QString TForm1::AnalysisWorkingDirectory() const {
    return ExtractFileDir(EditFileName->text());
}

void TForm1::RunApplicationClick() {
    const QString program = AnalysisProgramPath();
    if (!QFileInfo(program).isFile()) {
        if (Messages().ShowMessage(MessageKind::Error,
                                   "アプリケーションファイルが見つかりません。指定しますか。",
                                   MessageButtons::YesNo) == MessageAnswer::Yes)
            AssignApplicationClick();
        return;
    }
    QString workDir = AnalysisWorkingDirectory();
    if (workDir.isEmpty())
        workDir = QDir::currentPath();
    // Started on its own; nothing is passed and nothing waited for.
    QProcess::startDetached(program, {}, workDir);
}

void TForm1::AssignApplicationClick() {
    OpenDialogApplicationSoft->selectFile(applicationPath_);
    if (OpenDialogApplicationSoft->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(OpenDialogApplicationSoft);
    if (!chosen.isEmpty() && AcceptPath(chosen))
        applicationPath_ = chosen;
}

HelpWindow& TForm1::Help() {
    if (!help_)
        help_ = new HelpWindow(FindHelpDir(exeDir_), this);
    return *help_;
}

void TForm1::Contents1Click() {
    Help().ShowContents();
}

void TForm1::K1Click() {
    Help().ShowKeywordSearch();
}

void TForm1::BitBtn2Click() {
    Help().ShowTopic(QStringLiteral("AD変換データ"));
}

void TForm1::Version1Click() {
    aboutBox_->exec();
}

MessageAnswer TForm1::ShowMessage(MessageKind kind, std::string_view text, MessageButtons buttons,
                                  int /*helpContext*/) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case MessageKind::Warning:
        icon = QMessageBox::Warning;
        break;
    case MessageKind::Error:
        icon = QMessageBox::Critical;
        break;
    case MessageKind::Information:
        icon = QMessageBox::Information;
        break;
    case MessageKind::Confirmation:
        icon = QMessageBox::Question;
        break;
    }
    const std::string_view caption = CaptionOf(kind);
    QMessageBox box(icon, QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                    QMessageBox::NoButton, isVisible() ? this : nullptr);
    box.setFont(GothicFont(12));
    QAbstractButton* yes = nullptr;
    if (buttons == MessageButtons::YesNo) {
        yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setEscapeButton(no);
    } else {
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setEscapeButton(ok);
    }
    box.exec();
    if (buttons == MessageButtons::YesNo)
        return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::Ok;
}

} // namespace tavrel
