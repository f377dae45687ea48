#include "widgets/MessageBoxes.h"

#include "widgets/FormFonts.h"
#include "widgets/Translations.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace tavrel {

namespace {
QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    case MessageKind::Information:
        break;
    }
    return QMessageBox::Information;
}
} // namespace

MessageAnswer ShowMessageBox(QWidget* parent, MessageKind kind, const Message& message,
                             MessageButtons buttons) {
    QMessageBox box(IconOf(kind), CoreText(Message{CaptionIdOf(kind)}), CoreText(message),
                    QMessageBox::NoButton, parent);
    box.setFont(GothicFont(12));
    QAbstractButton* yes = nullptr;
    if (AsksYesNo(buttons)) {
        yes = box.addButton(QCoreApplication::translate("tavrel::MessageBoxes", "はい(&Y)"),
                            QMessageBox::YesRole);
        QPushButton* no = box.addButton(
            QCoreApplication::translate("tavrel::MessageBoxes", "いいえ(&N)"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        if (buttons == MessageButtons::YesNoDefaultNo)
            box.setDefaultButton(no);
    } else {
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setEscapeButton(ok);
    }
    box.exec();
    if (AsksYesNo(buttons))
        return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::Ok;
}

} // namespace tavrel
