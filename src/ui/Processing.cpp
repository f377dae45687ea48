#include "ui/Processing.h"

#include "ui/FormFonts.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

namespace tavrel {

TFrmProgress::TFrmProgress(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmProgress"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(285, 124);
    move(227, 188);
    setFont(GothicFont(12));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(pal);

    BitBtn1 = new QPushButton(QStringLiteral("キャンセル"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(96, 48, 97, 25);
    BitBtn1->setFont(GothicFont(11));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TFrmProgress::BitBtn1Click);

    LblPercent = new QLabel(this);
    LblPercent->setObjectName(QStringLiteral("LblPercent"));
    LblPercent->setGeometry(108, 78, 65, 17);
    LblPercent->setAlignment(Qt::AlignCenter);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(12);
    LblPercent->setFont(arial);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(0, 124 - 18, 285, 18);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);
}

void TFrmProgress::StartProgress(std::string_view caption) {
    setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    // Cleared before any event is let through, so that a click once shown is never lost.
    cancelled_ = false;
    ShowPercent(0);
    show();
    QCoreApplication::processEvents();
}

void TFrmProgress::ShowPercent(int percent) {
    LblPercent->setText(QString::number(percent) + QStringLiteral(" %"));
    ProgressBar1->setValue(percent);
}

void TFrmProgress::SetProgress(int percent) {
    if (percent == 100) {
        hide();
        return;
    }
    ShowPercent(percent);
    QCoreApplication::processEvents();
}

void TFrmProgress::BitBtn1Click() {
    cancelled_ = true;
    hide();
}

void TFrmProgress::reject() {
    BitBtn1Click();
}

} // namespace tavrel
