#include "widgets/HelpWindow.h"
#include "widgets/Translations.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using namespace tavrel;

class HelpWindowTest : public QObject {
    Q_OBJECT
private slots:
    void contents() {
        HelpWindow help(TAVREL_HELP_DIR);
        help.ShowContents();
        QVERIFY(help.isVisible());
        QCOMPARE(help.CurrentPage().fileName(), QString("index.html"));
        QVERIFY(help.Browser->toPlainText().contains("目次"));
    }

    void keywordSearchWithoutKeyword() {
        HelpWindow help(TAVREL_HELP_DIR);
        help.KeywordEdit->setText("変");
        help.ShowKeywordSearch();
        QCOMPARE(help.KeywordEdit->text(), QString());
        QCOMPARE(help.KeywordList->count(), help.Keywords().size());
        QVERIFY(help.Keywords().contains("AD変換データ"));
        QCOMPARE(help.CurrentPage().fileName(), QString("keywords.html"));
        // Typing narrows the list to the keywords that start with the text.
        help.KeywordEdit->setText("チャンネル");
        QCOMPARE(help.KeywordList->count(), 2);
    }

    void topicOfTheChannelPage() {
        HelpWindow help(TAVREL_HELP_DIR);
        QVERIFY(help.ShowTopic("AD変換データ"));
        QCOMPARE(help.CurrentPage().fileName(), QString("addata.html"));
        const QString text = help.Browser->toPlainText();
        QVERIFY(text.contains("チャンネル表"));
        QVERIFY(text.contains("Y = AX + B"));
        // Every keyword of the index leads to a page that exists.
        for (const QString& keyword : help.Keywords()) {
            QVERIFY(help.ShowTopic(keyword));
            QVERIFY2(!help.Browser->toPlainText().contains("見つかりません"), qPrintable(keyword));
        }
    }

    void unknownKeywordOpensSearch() {
        HelpWindow help(TAVREL_HELP_DIR);
        QVERIFY(!help.ShowTopic("存在しない"));
        QCOMPARE(help.KeywordEdit->text(), QString("存在しない"));
        QCOMPARE(help.KeywordList->count(), 0);
    }

    // Under an English window the English set, where the recorder's Japanese keyword finds
    // its page too; every page has its English one.
    void englishPagesUnderEnglish() {
        InstallTranslations(QLocale(QLocale::English));
        HelpWindow help(TAVREL_HELP_DIR);
        InstallTranslations(QLocale(QLocale::Japanese));
        QCOMPARE(help.HelpDir(), TAVREL_HELP_DIR + QString("/en"));
        QVERIFY(help.ShowTopic("AD変換データ"));
        QCOMPARE(help.CurrentPage().toLocalFile(), help.HelpDir() + "/addata.html");
        QVERIFY(help.ShowTopic("Conversion formula"));
        QVERIFY(help.Browser->toPlainText().contains("Y = AX + B"));
        const QDir ja(TAVREL_HELP_DIR);
        QCOMPARE(QDir(help.HelpDir()).entryList({"*.html"}), ja.entryList({"*.html"}));
    }

    void missingHelpFiles() {
        QTemporaryDir empty;
        HelpWindow help(empty.path());
        help.ShowContents();
        QVERIFY(help.Browser->toPlainText().contains("ヘルプファイルが見つかりません"));
        QVERIFY(help.Keywords().isEmpty());
        QCOMPARE(FindHelpDir(empty.path()), QDir(empty.path()).filePath("help"));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindowTest.moc"
