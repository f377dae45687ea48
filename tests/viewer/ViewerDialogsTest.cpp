#include "viewer/ViewerWindow.h"

#include "TestSupport.h"
#include "viewer/ViewerFiles.h"
#include "widgets/HelpWindow.h"
#include "widgets/Translations.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>

#include <memory>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// A viewer over its own settings and the source tree's help, with the test file open.
struct Viewer {
    TempDir dir;
    std::unique_ptr<ViewerWindow> window;
    Viewer() {
        WriteViewerFile(DataFileType::Sdf, dir.File("m.sdf"));
        window = std::make_unique<ViewerWindow>(ViewerOptions{File("view.ini"), TAVREL_HELP_DIR});
        if (!window->OpenFile(File("m.sdf")))
            qFatal("the test file does not open");
    }
    QString File(const QString& name) const {
        return QString::fromStdString(dir.File(name.toStdString()));
    }
    template <typename T> T* Find(QObject& parent, const QString& name) {
        return parent.findChild<T*>(name);
    }
};

} // namespace

class ViewerDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void helpMenuOpensTheViewerPageInEnglish() {
        InstallTranslations(QLocale(QLocale::English));
        Viewer v;
        v.Find<QAction>(*v.window, "ViewerHelpAction")->trigger();
        InstallTranslations(QLocale(QLocale::Japanese));
        const auto* help = v.window->findChild<HelpWindow*>();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->CurrentPage().toLocalFile(), TAVREL_HELP_DIR + QString("/en/viewer.html"));
        QVERIFY(help->Browser->toPlainText().contains("Working with the charts"));
    }

    // The dialog names what it will write, and only the channels left checked are written.
    void namedFilesAndChosenChannelsReachTheExport() {
        const struct {
            int Format;
            const char* Bursts;
            QStringList Names;
            const char* Shown;
        } cases[] = {{0, "2", {"o.csv"}, "o.csv"},
                     {2,
                      "1-3",
                      {"o-001.wav", "o-002.wav", "o-003.wav"},
                      "o-001.wav … o-003.wav（3 ファイル）"},
                     {0, "4", {}, "－"}}; // a burst the file lacks
        for (const auto& c : cases) {
            Viewer v;
            const auto dialog = v.window->NewExportDialog();
            v.Find<QComboBox>(*dialog, "FormatBox")->setCurrentIndex(c.Format);
            v.Find<QRadioButton>(*dialog, "ScopeButton1")->setChecked(true);
            v.Find<QLineEdit>(*dialog, "BurstsEdit")->setText(c.Bursts);
            v.Find<QLineEdit>(*dialog, "OutEdit")->setText(v.File(c.Format ? "o.wav" : "o.csv"));
            QVERIFY(v.Find<QCheckBox>(*dialog, "ChannelBox3")->isChecked());
            v.Find<QCheckBox>(*dialog, "ChannelBox1")->setChecked(false);
            QStringList expected;
            for (const QString& name : c.Names)
                expected << v.File(name);
            QCOMPARE(dialog->OutputNames(), expected);
            QCOMPARE(v.Find<QLabel>(*dialog, "OutputNamesLabel")->text(), QString(c.Shown));
            dialog->accept();
            QCOMPARE(dialog->Request().Channels, (std::vector<int>{0, 2, 3}));
            if (c.Format != 0 || expected.isEmpty())
                continue;
            QVERIFY(v.window->Export(dialog->Request()));
            QFile csv(expected[0]);
            QVERIFY(csv.open(QIODevice::ReadOnly));
            const QString titles = QString::fromUtf8(csv.readLine());
            QVERIFY(titles.contains("電圧") && titles.contains("圧力") && !titles.contains("温度"));
        }
    }

    // A new dialog starts with the format chosen last, kept in the viewer's settings file.
    void rememberedFormat() {
        Viewer v, other;
        const auto format = [](Viewer& w) {
            return w.Find<QComboBox>(*w.window->NewExportDialog(), "FormatBox")->currentIndex();
        };
        QCOMPARE(format(v), 0);
        for (const int chosen : {2, 1}) {
            const auto dialog = v.window->NewExportDialog();
            v.Find<QComboBox>(*dialog, "FormatBox")->setCurrentIndex(chosen);
            dialog->accept();
            QCOMPARE(format(v), chosen);
        }
        QCOMPARE(format(other), 0);
    }
};

QTEST_MAIN(ViewerDialogsTest)
#include "ViewerDialogsTest.moc"
