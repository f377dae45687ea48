#include "ui/DriverMessageHook.h"

#include <QCoreApplication>

namespace tavrel {

QEvent::Type DriverNotifyEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

DriverNotify PostingDriverNotify() {
    return [](std::uint32_t wParam, std::int32_t lParam) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QCoreApplication::postEvent(app, new DriverNotifyEvent(wParam, lParam));
    };
}

DriverMessageHook::DriverMessageHook(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

DriverMessageHook::~DriverMessageHook() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool DriverMessageHook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == DriverNotifyEvent::EventType() &&
        watched == QCoreApplication::instance()) {
        const auto* notify = static_cast<DriverNotifyEvent*>(event);
        handler_(notify->WParam, notify->LParam);
    }
    return false; // handed on in every case
}

} // namespace tavrel
