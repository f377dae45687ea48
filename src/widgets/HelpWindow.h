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
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // helpDir holds index.html (contents) and keywords.html (the keyword index).
    explicit HelpWindow(const QString& helpDir, QWidget* parent = nullptr);

    void ShowContents();
    void ShowKeywordSearch();
    // The page of keyword; false (and the keyword search with keyword typed) when unknown.
    bool ShowTopic(const QString& keyword);

    QString HelpDir() const { return helpDir_; }
    QStringList Keywords() const;
    QUrl CurrentPage() const;

    QTextBrowser* Browser = nullptr;
    QLineEdit* KeywordEdit = nullptr;
    QListWidget* KeywordList = nullptr;

private:
    void LoadKeywords();
    void FilterKeywords(const QString& prefix);
    void OpenKeywordItem();
    void ShowPage(const QString& page);
    void Present();

    QString helpDir_;
    QList<QPair<QString, QString>> keywords_; // keyword, page
};

// The help directory beside the program file, or the installed one under share/.
QString FindHelpDir(const QString& exeDir);

} // namespace tavrel
