#include "ui/AboutBox.h"

#include "widgets/FormFonts.h"
#include "widgets/ProgramIcon.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace tavrel {

namespace {
// Keeps a word-wrapped text inside its fixed box: with a wider substitute face the font is
// made smaller rather than the text cut.
void FitText(QLabel* label) {
    QFont font = label->font();
    const QRect box(0, 0, label->width(), label->height());
    while (font.pixelSize() > 8) {
        const QRect needed = QFontMetrics(font).boundingRect(
            box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, label->text());
        if (needed.width() <= box.width() && needed.height() <= box.height())
            break;
        font.setPixelSize(font.pixelSize() - 1);
    }
    label->setFont(font);
}

QFont TimesFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}
} // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(298, 213);
    setFont(GothicFont(12));

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Panel1"));
    frame->setGeometry(8, 8, 281, 161);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);

    auto* iconLabel = new QLabel(frame);
    iconLabel->setObjectName(QStringLiteral("ProgramIcon"));
    iconLabel->setGeometry(16, 16, 57, 57);
    iconLabel->setScaledContents(true);
    iconLabel->setPixmap(ProgramIconPixmap(114));

    auto* programName = new QLabel(QStringLiteral("Tavrel for RATOC System Inc. PC-card"), frame);
    programName->setObjectName(QStringLiteral("ADREX"));
    programName->setGeometry(88, 16, 146, 38);
    programName->setWordWrap(true);
    programName->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    programName->setFont(TimesFont(16, true));
    FitText(programName);

    auto* versionLabel = new QLabel(QStringLiteral("Version 1.4"), frame);
    versionLabel->setObjectName(QStringLiteral("Version"));
    versionLabel->move(104, 56);
    versionLabel->setFont(TimesFont(16, true));
    versionLabel->adjustSize();

    auto* commentsLabel = new QLabel(
        QStringLiteral("AD conversion data aquisition system with REX-5054U/B (RATOC System Inc.)"),
        frame);
    commentsLabel->setObjectName(QStringLiteral("Comments"));
    commentsLabel->setGeometry(24, 120, 218, 30);
    commentsLabel->setWordWrap(true);
    commentsLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    commentsLabel->setFont(TimesFont(13, false));
    FitText(commentsLabel);

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setGeometry(111, 180, 75, 25);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::showEvent(QShowEvent* event) {
    // Centred on the screen, not on the owner.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

} // namespace tavrel
