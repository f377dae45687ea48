#include "ui/AboutBox.h"

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

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(298, 213);
    setFont(GothicFont(12));

    frame_ = new QFrame(this);
    frame_->setObjectName(QStringLiteral("Panel1"));
    frame_->setGeometry(8, 8, 281, 161);
    frame_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame_->setLineWidth(2);

    iconLabel_ = new QLabel(frame_);
    iconLabel_->setObjectName(QStringLiteral("ProgramIcon"));
    iconLabel_->setGeometry(16, 16, 57, 57);
    iconLabel_->setScaledContents(true);
    iconLabel_->setPixmap(ProgramIconPixmap(114));

    programName_ = new QLabel(QStringLiteral("Tavrel for RATOC System Inc. PC-card"), frame_);
    programName_->setObjectName(QStringLiteral("ADREX"));
    programName_->setGeometry(88, 16, 146, 38);
    programName_->setWordWrap(true);
    programName_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    programName_->setFont(TimesFont(16, true));
    FitText(programName_);

    versionLabel_ = new QLabel(QStringLiteral("Version 1.4"), frame_);
    versionLabel_->setObjectName(QStringLiteral("Version"));
    versionLabel_->move(104, 56);
    versionLabel_->setFont(TimesFont(16, true));
    versionLabel_->adjustSize();

    commentsLabel_ = new QLabel(
        QStringLiteral("AD conversion data aquisition system with REX-5054U/B (RATOC System Inc.)"),
        frame_);
    commentsLabel_->setObjectName(QStringLiteral("Comments"));
    commentsLabel_->setGeometry(24, 120, 218, 30);
    commentsLabel_->setWordWrap(true);
    commentsLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    commentsLabel_->setFont(TimesFont(13, false));
    FitText(commentsLabel_);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setGeometry(111, 180, 75, 25);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
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
