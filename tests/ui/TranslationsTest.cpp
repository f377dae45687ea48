#include "widgets/Translations.h"
#include "UiTestSupport.h"
#include "acquisition/MeasurementParameters.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/simulated/CardSetup.h"
#include "datafiles/MainEntries.h"
#include "text/Messages.h"
#include "text/TextForms.h"
#include "ui/MainWindow.h"
#include "ui/WaveformCharts.h"
#include "widgets/MessageBoxes.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QXmlStreamReader>
#include <qcustomplot.h>

#include <memory>

using namespace tavrel;
using namespace tavrel::test;

namespace {

bool HasJapanese(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x30ff) || (u >= 0x3400 && u <= 0x9fff) ||
            (u >= 0xff00 && u <= 0xffef))
            return true;
    }
    return false;
}

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Every text a window shows to the operator, with where it was found.
QStringList ShownTexts(const QWidget& root) {
    QStringList texts;
    const auto add = [&](const QObject* owner, const QString& text) {
        if (!text.isEmpty())
            texts.append(owner->objectName() + u'|' + owner->metaObject()->className() + u'|' +
                         text);
    };
    QList<const QWidget*> widgets{&root};
    for (const QWidget* w : root.findChildren<QWidget*>())
        widgets.append(w);
    for (const QWidget* w : widgets) {
        if (w->isWindow())
            add(w, w->windowTitle());
        if (const auto* label = qobject_cast<const QLabel*>(w))
            add(w, label->text());
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            add(w, button->text());
        if (const auto* group = qobject_cast<const QGroupBox*>(w))
            add(w, group->title());
        if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            add(w, edit->text());
        if (const auto* tabs = qobject_cast<const QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                add(w, tabs->tabText(i));
        if (const auto* menu = qobject_cast<const QMenu*>(w))
            add(w, menu->title());
        if (const auto* box = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < box->count(); ++i)
                add(w, box->itemText(i));
        if (const auto* grid = qobject_cast<const QTableWidget*>(w))
            for (int c = 0; c < grid->columnCount(); ++c)
                if (const QTableWidgetItem* title = grid->horizontalHeaderItem(c))
                    add(w, title->text());
        if (const auto* dialog = qobject_cast<const QFileDialog*>(w))
            for (const QString& filter : dialog->nameFilters())
                add(w, filter);
        for (const QAction* action : w->actions())
            add(action, action->text());
    }
    return texts;
}

QStringList JapaneseTexts(const QWidget& root) {
    QStringList found;
    for (const QString& text : ShownTexts(root))
        if (HasJapanese(text))
            found.append(text);
    return found;
}

// The buttons of the form whose texts do not fit their fixed widths.
QStringList CutButtons(const QMainWindow& root) {
    QStringList cut;
    for (const QAbstractButton* b : root.centralWidget()->findChildren<QAbstractButton*>()) {
        QString text = b->text();
        text.remove(u'&');
        // The radio's mark takes this much of its width.
        const int room = b->width() - (qobject_cast<const QRadioButton*>(b) ? 22 : 0);
        if (b->fontMetrics().horizontalAdvance(text) > room)
            cut.append(b->objectName() + u'|' + text);
    }
    return cut;
}

// A started window in a directory of its own, with the messages recorded.
struct RunningWindow {
    QTemporaryDir dir;
    DetectOnlyCard card{0};
    RecordingPrompter prompter;
    std::unique_ptr<MainWindow> window = StartWindow(card, prompter, dir.path(), dir.path());
};

// The core's fixed and status texts, made by the core itself, each way it fills them in.
std::vector<Message> CoreSamples() {
    std::vector<Message> texts;
    for (MessageKind kind : {MessageKind::Warning, MessageKind::Error, MessageKind::Information,
                             MessageKind::Confirmation})
        texts.push_back({CaptionIdOf(kind)});
    for (int r = -1; r >= -5; --r)
        texts.push_back(StartFailureMessage(StartFailureOfSetUp(r)));
    for (MessageId id :
         {MessageId::OverwriteQuestion, MessageId::WaitingStart, MessageId::ScansComplete,
          MessageId::Finished, MessageId::Aborted, MessageId::CardStopped,
          MessageId::CardConverting, MessageId::CardOverflow, MessageId::CardOverflowFetch,
          MessageId::CardAbnormal, MessageId::UpgradeCaption, MessageId::ConversionCaption})
        texts.push_back({id});
    texts.push_back({MessageId::TimeToStart, {"00:00:05"}});
    texts.push_back({MessageId::BurstRunning, {"3"}});
    texts.push_back({MessageId::BurstWaiting, {"4"}});
    texts.push_back({MessageId::TimeLeft, {"00:01:02"}});
    texts.push_back({MessageId::ScansLeft, {"250"}});
    texts.push_back({MessageId::CardEnded, {"7"}});
    return texts;
}

// The core's messages about a file, as the core makes them.
std::vector<Message> FileMessageSamples(const std::string& file) {
    std::vector<Message> messages = {FormatMessage, OldLayoutQuestion,
                                     ChannelCountNotShownMessage(6)};
    for (int r = -1; r >= -5; --r)
        messages.push_back(StartFailureMessage(StartFailureOfSetUp(r)));
    for (auto message :
         {CannotOpenMessage, CannotReadMessage, CannotWriteMessage, EndsEarlyMessage,
          SdfUnstorableHeaderMessage, SdfBlockPastLimitMessage, UpgradeNameTakenMessage,
          UpgradePastLimitMessage, TsdUnwritableCountsMessage, TsdNoBlockMessage,
          TsdBlockEndsEarlyMessage, TsdTooFewBlocksMessage, CannotReplaceMessage, NotCp932Message})
        messages.push_back(message(file));
    return messages;
}

// The parameter checks' refusals, as ValidateParameters sends them.
std::vector<Message> ParameterRefusals() {
    std::vector<MainEntries> cases;
    const MainEntries defaults = DefaultMainEntries("/tmp");
    const auto add = [&](auto change) {
        MainEntries e = defaults;
        change(e);
        cases.push_back(e);
    };
    add([](MainEntries& e) { e.EditDataNum = "0"; });
    add([](MainEntries& e) { e.EditDataNum = "x"; });
    add([](MainEntries& e) { e.ComboChNumText = "9"; });
    add([](MainEntries& e) { e.EditSInterval = "0"; });
    add([](MainEntries& e) { e.ComboSampUnit = 7; });
    add([](MainEntries& e) { e.EditIteration = "0"; });
    add([](MainEntries& e) { e.ComboBoxBITUnit = 7; });
    add([](MainEntries& e) { e.EditBurstInterval = "99999999"; });
    add([](MainEntries& e) {
        e.EditDataNum = "2000000";
        e.ComboChNumText = "4";
        e.ComboChNumIndex = 3;
    });
    add([](MainEntries& e) { e.Memo1 = "\xF0\x9F\x98\x80"; }); // an emoji: no CP932 form
    add([](MainEntries& e) { e.GridCells[1][3] = "1e40"; });
    std::vector<Message> texts;
    for (const MainEntries& e : cases) {
        RecordingPrompter prompter;
        SDFdata data;
        data.Header = DefaultMeasurementHeader();
        MeasurementSettings settings;
        ValidateParameters(e, data, settings, prompter, 0);
        for (const auto& shown : prompter.Messages)
            texts.push_back(shown.Sent);
    }
    return texts;
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT
    QTemporaryDir config_;

private slots:
    // The file dialogs keep their column widths in Qt's settings; a test starts without them.
    void initTestCase() { qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit()); }

    void cleanup() { InstallTranslations(QLocale::c()); }

    void englishOnlyWhereTheLanguageIsEnglish_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("english");
        QTest::newRow("ja_JP") << "ja_JP" << false;
        QTest::newRow("C") << "C" << false;
        QTest::newRow("de_DE") << "de_DE" << false;
        QTest::newRow("en_US") << "en_US" << true;
        QTest::newRow("en_GB") << "en_GB" << true;
    }
    void englishOnlyWhereTheLanguageIsEnglish() {
        QFETCH(QString, locale);
        QFETCH(bool, english);
        QCOMPARE(SpeaksEnglish(QLocale(locale)), english);
    }

    void standardDialogsFollowTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("open");
        QTest::newRow("ja_JP") << "ja_JP"
                               << "キャンセル"
                               << "開く";
        QTest::newRow("C") << "C"
                           << "キャンセル"
                           << "開く";
        QTest::newRow("de_DE") << "de_DE"
                               << "キャンセル"
                               << "開く";
        QTest::newRow("en_US") << "en_US"
                               << "Cancel"
                               << "Open";
    }
    void standardDialogsFollowTheLocale() {
        QFETCH(QString, locale);
        QFETCH(QString, cancel);
        QFETCH(QString, open);
        QVERIFY(InstallTranslations(QLocale(locale)));
        QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Open)->text().remove(u'&'), open);
    }

    void windowUnderEnglishShowsNoJapanese() {
        QVERIFY(InstallTranslations(QLocale(QStringLiteral("en_US"))));
        RunningWindow running;
        QVERIFY(running.window);
        MainWindow* w = running.window.get();
        w->Help(); // the help window is made when first asked for
        const QStringList japanese = JapaneseTexts(*w);
        QVERIFY2(japanese.isEmpty(), qPrintable(japanese.join(u'\n')));
        const QStringList cut = CutButtons(*w);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u'\n')));
        // The walk sees the texts it checks.
        const QStringList shown = ShownTexts(*w);
        QVERIFY(shown.size() > 60);
        QVERIFY(shown.contains(QStringLiteral("File1|QMenu|&File")));
        QVERIFY(shown.contains(QStringLiteral("BtnAdStart|QPushButton|Start")));
        QVERIFY(shown.contains(QStringLiteral("HelpWindow|tavrel::HelpWindow|TavrelREX Help")));
        QVERIFY(w->windowTitle().startsWith(QStringLiteral("A/D Data Acquisition System")));
        QCOMPARE(w->Charts().Chart(0)->xAxis->label(), QStringLiteral("Time (sec)"));
    }

    void windowUnderCLocaleIsJapanese() {
        QVERIFY(InstallTranslations(QLocale::c()));
        RunningWindow running;
        QVERIFY(running.window);
        MainWindow* w = running.window.get();
        const QStringList shown = ShownTexts(*w);
        QVERIFY(shown.contains(QStringLiteral("File1|QMenu|ファイル(&F)")));
        QVERIFY(shown.contains(QStringLiteral("BtnAdStart|QPushButton|計測開始")));
        QVERIFY(shown.contains(QStringLiteral("TextStatus|QLineEdit|停止")));
        const QStringList cut = CutButtons(*w);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u'\n')));
        QVERIFY(w->windowTitle().startsWith(QString::fromUtf8(CaptionText)));
    }

    void gridTitlesStayJapaneseInTheEntries() {
        QVERIFY(InstallTranslations(QLocale(QStringLiteral("en_GB"))));
        RunningWindow running;
        QVERIFY(running.window);
        MainWindow* w = running.window.get();
        auto* grid = Form<QTableWidget>(*w, "StringGridChannel");
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Name"));
        QCOMPARE(grid->horizontalHeaderItem(2)->text(), QStringLiteral("Unit"));
        const MainEntries entries = w->TakeEntries();
        QCOMPARE(Q(entries.GridCells[0][1]), QStringLiteral("項目名"));
        QCOMPARE(Q(entries.GridCells[0][2]), QStringLiteral("単位"));
    }

    void coreTextsUnderEnglish() {
        QVERIFY(InstallTranslations(QLocale(QStringLiteral("en_US"))));
        const std::string file = "/tmp/run %2 1.sdf";
        std::vector<Message> messages = FileMessageSamples(file);
        const std::vector<Message> refusals = ParameterRefusals();
        QVERIFY(refusals.size() >= 8);
        messages.insert(messages.end(), refusals.begin(), refusals.end());
        QStringList untranslated;
        for (const Message& text : CoreSamples()) {
            const QString shown = CoreText(text);
            if (HasJapanese(shown))
                untranslated.append(shown);
        }
        // Every row of the table, each place filled.
        for (const MessageForm& row : MessageForms()) {
            Message m{row.Id};
            for (int n = 1; n <= FormPlaces(row.Form); ++n)
                m.Args.push_back(std::to_string(n));
            if (row.Id != MessageId::Verbatim)
                messages.push_back(m);
        }
        for (const Message& message : messages) {
            const QString shown = CoreText(message);
            if (HasJapanese(shown))
                untranslated.append(shown);
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(u'\n')));
        // The parts the core filled in carry over, even one that looks like a place.
        QCOMPARE(CoreText(CannotOpenMessage(file)),
                 QStringLiteral("Cannot open the file “/tmp/run %2 1.sdf”."));
        QCOMPARE(CoreText(Message{MessageId::ScansLeft, {"250"}}),
                 QStringLiteral("Scans left: 250"));
        QCOMPARE(CoreText(Message{MessageId::BurstWaiting, {"3"}}),
                 QStringLiteral("Waiting for burst 3"));
        QCOMPARE(CoreText(Message{MessageId::WaitingStart}), QStringLiteral("Waiting to start"));
        // A text the core never gave stays as it is.
        QCOMPARE(CoreText("what the core never says"), QStringLiteral("what the core never says"));
    }

    void coreTextsUnchangedUnderJapanese() {
        QVERIFY(InstallTranslations(QLocale(QStringLiteral("ja_JP"))));
        for (const Message& text : CoreSamples())
            QCOMPARE(CoreText(text).toStdString(), Japanese(text));
        std::vector<Message> messages = FileMessageSamples("/tmp/計測.sdf");
        const std::vector<Message> refusals = ParameterRefusals();
        messages.insert(messages.end(), refusals.begin(), refusals.end());
        for (const Message& message : messages)
            QCOMPARE(CoreText(message).toStdString(), Japanese(message));
    }

    void messageBoxesUnderEnglish() {
        QVERIFY(InstallTranslations(QLocale(QStringLiteral("en_US"))));
        QString title, text;
        QStringList buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            text = box->text();
            for (QAbstractButton* b : box->buttons())
                buttons.append(b->text());
            box->reject();
        });
        ShowMessageBox(nullptr, MessageKind::Confirmation, OldLayoutQuestion,
                       MessageButtons::YesNo);
        QCOMPARE(title, QStringLiteral("Confirmation"));
        QCOMPARE(text, QStringLiteral("The data is in an old format. Do you want to update it?"));
        buttons.sort();
        QCOMPARE(buttons, QStringList({QStringLiteral("&No"), QStringLiteral("&Yes")}));
    }

    void everyTextHasAnEnglishTranslation() {
        QFile ts(QStringLiteral(TAVREL_TS_FILE));
        QVERIFY(ts.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&ts);
        QString context, source;
        int messages = 0;
        QStringList faults;
        static const QRegularExpression place(QStringLiteral("%[1-9]"));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"name") {
                context = xml.readElementText();
            } else if (xml.name() == u"source") {
                source = xml.readElementText();
            } else if (xml.name() == u"translation") {
                ++messages;
                const QString type = xml.attributes().value(QStringLiteral("type")).toString();
                const QString translation = xml.readElementText();
                QStringList sourcePlaces, translationPlaces;
                for (auto it = place.globalMatch(source); it.hasNext();)
                    sourcePlaces.append(it.next().captured());
                for (auto it = place.globalMatch(translation); it.hasNext();)
                    translationPlaces.append(it.next().captured());
                sourcePlaces.sort();
                translationPlaces.sort();
                if (!type.isEmpty() || translation.trimmed().isEmpty() ||
                    HasJapanese(translation) || sourcePlaces != translationPlaces ||
                    source.count(u'&') != translation.count(u'&'))
                    faults.append(context + u'|' + source + u'|' + type + u'|' + translation);
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(messages > 100);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    void fileDialogColumnsFitTheirTexts() {
        QVERIFY(InstallTranslations(QLocale(QStringLiteral("ja_JP"))));
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("default.apm")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(40000, 'x'));
        file.close();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("data")));
        DetectOnlyCard card(0);
        RecordingPrompter prompter;
        auto w = StartWindow(card, prompter, dir.path(), dir.path());
        QVERIFY(w);
        auto* dialog = Own<QFileDialog>(*w, "OpenDialog1");
        dialog->setDirectory(dir.path());
        dialog->open();
        auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(details);
        QTRY_VERIFY(details->model()->rowCount(details->rootIndex()) >= 2);
        QTest::qWait(50);
        const QHeaderView* header = details->header();
        const QAbstractItemView* view = details;
        QStringList cut;
        for (int c = 1; c < header->count(); ++c) {
            if (header->isSectionHidden(c))
                continue;
            const int needed = std::max(view->sizeHintForColumn(c), header->sectionSizeHint(c));
            if (header->sectionSize(c) < needed)
                cut.append(
                    QStringLiteral("%1: %2 < %3").arg(c).arg(header->sectionSize(c)).arg(needed));
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u'\n')));
        QVERIFY(header->sectionSize(0) >= view->sizeHintForColumn(0));
        // Qt's own texts of the dialog are Japanese too.
        QStringList buttons;
        for (const QPushButton* b : dialog->findChildren<QPushButton*>())
            buttons.append(b->text());
        QVERIFY2(buttons.contains(QStringLiteral("キャンセル")), qPrintable(buttons.join(u',')));
        dialog->reject();
    }
};

QTEST_MAIN(TranslationsTest)
#include "TranslationsTest.moc"
