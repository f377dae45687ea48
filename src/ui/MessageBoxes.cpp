#include "ui/MessageBoxes.h"

#include "ui/FormFonts.h"

#include <QAbstractButton>
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

MessageAnswer ShowMessageBox(QWidget* parent, MessageKind kind, std::string_view text,
                             MessageButtons buttons) {
    const std::string_view caption = CaptionOf(kind);
    QMessageBox box(IconOf(kind),
                    QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
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
