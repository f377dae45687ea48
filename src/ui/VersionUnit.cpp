#include "ui/VersionUnit.h"

#include "ui/FormFonts.h"
#include "ui/ProgramIcon.h"

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

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(298, 213);
    setFont(GothicFont(12));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 161);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(16, 16, 57, 57);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(ProgramIconPixmap(114));

    ADREX = new QLabel(QStringLiteral("Tavrel for RATOC System Inc. PC-card"), Panel1);
    ADREX->setObjectName(QStringLiteral("ADREX"));
    ADREX->setGeometry(88, 16, 146, 38);
    ADREX->setWordWrap(true);
    ADREX->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ADREX->setFont(TimesFont(16, true));
    FitText(ADREX);

    Version = new QLabel(QStringLiteral("Version 1.4"), Panel1);
    Version->setObjectName(QStringLiteral("Version"));
    Version->move(104, 56);
    Version->setFont(TimesFont(16, true));
    Version->adjustSize();

    Comments = new QLabel(
        QStringLiteral("AD conversion data aquisition system with REX-5054U/B (RATOC System Inc.)"),
        Panel1);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setGeometry(24, 120, 218, 30);
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Comments->setFont(TimesFont(13, false));
    FitText(Comments);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showEvent(QShowEvent* event) {
    // Centred on the screen, not on the owner.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

} // namespace tavrel
