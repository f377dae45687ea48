#pragma once

#include <QList>
#include <QPair>
#include <QUrl>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace tavrel {

// The help viewer: the program's help pages (HTML under a help directory beside the program)
// with a keyword list taken from the keyword index page. It answers the three requests of
// the window: the contents, a keyword search with no keyword, and the topic of a keyword.
// Under an English window it shows the English pages of helpDir/en, where they exist.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // helpDir holds index.html (contents) and keywords.html (the keyword index).
    explicit HelpWindow(const QString& helpDir, QWidget* parent = nullptr);

    void ShowContents();
    void ShowKeywordSearch();
    // The page of keyword; false (and the keyword search with keyword typed) when unknown.
    // A keyword of the Japanese index finds its page in the English set too.
    bool ShowTopic(const QString& keyword);
    // page (a file name of the help directory, with an optional #anchor).
    void ShowHelpPage(const QString& page);

    // The directory the pages are shown from.
    QString HelpDir() const { return helpDir_; }
    QStringList Keywords() const;
    QUrl CurrentPage() const;

    QTextBrowser* Browser = nullptr;
    QLineEdit* KeywordEdit = nullptr;
    QListWidget* KeywordList = nullptr;

private:
    static QList<QPair<QString, QString>> ReadKeywords(const QString& dir);
    void LoadKeywords();
    void FilterKeywords(const QString& prefix);
    void OpenKeywordItem();
    void ShowPage(const QString& page);
    void Present();

    QString helpDir_;
    QList<QPair<QString, QString>> keywords_; // keyword, page
    QList<QPair<QString, QString>> aliases_;  // the Japanese index under English pages
};

// The help directory beside the program file, or the installed one under share/.
QString FindHelpDir(const QString& exeDir);
// The pages to show from helpDir: its English set (en/) when english and that set exists.
QString HelpPagesDir(const QString& helpDir, bool english);

} // namespace tavrel
