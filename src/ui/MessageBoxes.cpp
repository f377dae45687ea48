#include "ui/MessageBoxes.h"

#include "ui/FormFonts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

namespace tavrel {

MessageAnswer ShowMessageBox(QWidget* parent, MessageKind kind, std::string_view text,
                             MessageButtons buttons) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case MessageKind::Warning:
        icon = QMessageBox::Warning;
        break;
    case MessageKind::Error:
        icon = QMessageBox::Critical;
        break;
    case MessageKind::Information:
        icon = QMessageBox::Information;
        break;
    case MessageKind::Confirmation:
        icon = QMessageBox::Question;
        break;
    }
    const std::string_view caption = CaptionOf(kind);
    QMessageBox box(icon, QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                    QMessageBox::NoButton, parent);
    box.setFont(GothicFont(12));
    QAbstractButton* yes = nullptr;
    if (buttons == MessageButtons::YesNo) {
        yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setEscapeButton(no);
    } else {
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setEscapeButton(ok);
    }
    box.exec();
    if (buttons == MessageButtons::YesNo)
        return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::Ok;
}

} // namespace tavrel
