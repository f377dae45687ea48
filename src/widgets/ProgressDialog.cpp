#include "widgets/ProgressDialog.h"

#include "widgets/FormFonts.h"
#include "widgets/Translations.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

namespace tavrel {

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent) {
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

    cancelButton_ = new QPushButton(tr("キャンセル"), this);
    cancelButton_->setObjectName(QStringLiteral("BitBtn1"));
    cancelButton_->setGeometry(96, 48, 97, 25);
    cancelButton_->setFont(GothicFont(11));
    cancelButton_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    cancelButton_->setAutoDefault(false);
    connect(cancelButton_, &QPushButton::clicked, this, &ProgressDialog::Cancel);

    percentLabel_ = new QLabel(this);
    percentLabel_->setObjectName(QStringLiteral("LblPercent"));
    percentLabel_->setGeometry(108, 78, 65, 17);
    percentLabel_->setAlignment(Qt::AlignCenter);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(12);
    percentLabel_->setFont(arial);

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar_->setGeometry(0, 124 - 18, 285, 18);
    progressBar_->setRange(0, 100);
    progressBar_->setTextVisible(false);
    progressBar_->setValue(0);
}

void ProgressDialog::StartProgress(std::string_view caption) {
    setWindowTitle(CoreText(caption));
    // Cleared before any event is let through, so that a click once shown is never lost.
    cancelled_ = false;
    ShowPercent(0);
    show();
    QCoreApplication::processEvents();
}

void ProgressDialog::ShowPercent(int percent) {
    percentLabel_->setText(QString::number(percent) + QStringLiteral(" %"));
    progressBar_->setValue(percent);
}

void ProgressDialog::SetProgress(int percent) {
    if (percent == 100) {
        hide();
        return;
    }
    ShowPercent(percent);
    QCoreApplication::processEvents();
}

void ProgressDialog::Cancel() {
    cancelled_ = true;
    hide();
}

void ProgressDialog::reject() {
    Cancel();
}

} // namespace tavrel
