#include "widgets/HelpWindow.h"

#include "widgets/FormFonts.h"
#include "widgets/ProgramIcon.h"
#include "widgets/Translations.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tavrel {

namespace {
const QString ContentsPage = QStringLiteral("index.html");
const QString KeywordPage = QStringLiteral("keywords.html");
} // namespace

QString FindHelpDir(const QString& exeDir) {
    const QDir dir(exeDir);
    for (const QString& candidate : {dir.filePath(QStringLiteral("help")),
                                     dir.filePath(QStringLiteral("../share/tavrelrex/help"))}) {
        if (QFile::exists(QDir(candidate).filePath(ContentsPage)))
            return QDir::cleanPath(candidate);
    }
    return dir.filePath(QStringLiteral("help"));
}

QString HelpPagesDir(const QString& helpDir, bool english) {
    const QString en = QDir(helpDir).filePath(QStringLiteral("en"));
    return english && QFile::exists(QDir(en).filePath(ContentsPage)) ? en : helpDir;
}

HelpWindow::HelpWindow(const QString& helpDir, QWidget* parent)
    : QWidget(parent, Qt::Window), helpDir_(HelpPagesDir(helpDir, WindowSpeaksEnglish())) {
    if (helpDir_ != helpDir)
        aliases_ = ReadKeywords(helpDir);
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("TavrelREX ヘルプ"));
    setWindowIcon(ProgramIcon());
    setFont(GothicFont(12));
    resize(720, 520);

    auto* keywordPane = new QWidget;
    auto* keywordLayout = new QVBoxLayout(keywordPane);
    keywordLayout->setContentsMargins(4, 4, 4, 4);
    auto* keywordLabel = new QLabel(tr("キーワード(&W):"));
    keywordLayout->addWidget(keywordLabel);
    KeywordEdit = new QLineEdit;
    KeywordEdit->setObjectName(QStringLiteral("KeywordEdit"));
    keywordLabel->setBuddy(KeywordEdit);
    keywordLayout->addWidget(KeywordEdit);
    KeywordList = new QListWidget;
    KeywordList->setObjectName(QStringLiteral("KeywordList"));
    keywordLayout->addWidget(KeywordList);

    Browser = new QTextBrowser;
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setSearchPaths({helpDir_});
    Browser->setOpenExternalLinks(false);

    auto* splitter = new QSplitter;
    splitter->addWidget(keywordPane);
    splitter->addWidget(Browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({180, 540});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(KeywordEdit, &QLineEdit::textChanged, this, &HelpWindow::FilterKeywords);
    connect(KeywordEdit, &QLineEdit::returnPressed, this, &HelpWindow::OpenKeywordItem);
    connect(KeywordList, &QListWidget::itemActivated, this, [this] { OpenKeywordItem(); });
    LoadKeywords();
}

QList<QPair<QString, QString>> HelpWindow::ReadKeywords(const QString& dir) {
    QList<QPair<QString, QString>> keywords;
    QFile file(QDir(dir).filePath(KeywordPage));
    if (file.open(QIODevice::ReadOnly)) {
        const QString html = QString::fromUtf8(file.readAll());
        // Each keyword of the index is a link of class "keyword" to its page.
        static const QRegularExpression link(
            QStringLiteral(R"re(<a\s+class="keyword"\s+href="([^"]+)"\s*>([^<]+)</a>)re"));
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            keywords.append({m.captured(2).trimmed(), m.captured(1)});
        }
    }
    return keywords;
}

void HelpWindow::LoadKeywords() {
    keywords_ = ReadKeywords(helpDir_);
    FilterKeywords(KeywordEdit->text());
}

QStringList HelpWindow::Keywords() const {
    QStringList list;
    for (const auto& [keyword, page] : keywords_)
        list.append(keyword);
    return list;
}

QUrl HelpWindow::CurrentPage() const {
    return Browser->source();
}

void HelpWindow::FilterKeywords(const QString& prefix) {
    KeywordList->clear();
    for (const auto& [keyword, page] : keywords_) {
        if (keyword.startsWith(prefix, Qt::CaseInsensitive))
            KeywordList->addItem(keyword);
    }
    if (KeywordList->count() > 0)
        KeywordList->setCurrentRow(0);
}

void HelpWindow::OpenKeywordItem() {
    if (const QListWidgetItem* item = KeywordList->currentItem())
        ShowTopic(item->text());
}

void HelpWindow::ShowPage(const QString& page) {
    const QString path = QDir(helpDir_).filePath(page.section(u'#', 0, 0));
    if (!QFile::exists(path)) {
        Browser->setHtml(
            tr("<p>ヘルプファイルが見つかりません。</p><p>%1</p>").arg(path.toHtmlEscaped()));
        return;
    }
    QUrl url = QUrl::fromLocalFile(path);
    if (page.contains(u'#'))
        url.setFragment(page.section(u'#', 1));
    Browser->setSource(url);
}

void HelpWindow::Present() {
    show();
    raise();
    activateWindow();
}

void HelpWindow::ShowHelpPage(const QString& page) {
    ShowPage(page);
    Present();
}

void HelpWindow::ShowContents() {
    ShowPage(ContentsPage);
    Present();
}

void HelpWindow::ShowKeywordSearch() {
    KeywordEdit->clear();
    ShowPage(KeywordPage);
    Present();
    KeywordEdit->setFocus();
}

bool HelpWindow::ShowTopic(const QString& keyword) {
    for (const auto* list : {&keywords_, &aliases_})
        for (const auto& [key, page] : *list) {
            if (key.compare(keyword, Qt::CaseInsensitive) == 0) {
                ShowHelpPage(page);
                return true;
            }
        }
    ShowKeywordSearch();
    KeywordEdit->setText(keyword);
    return false;
}

} // namespace tavrel
