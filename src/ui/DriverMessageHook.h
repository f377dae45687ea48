#pragma once

#include "acquisition/simulated/AdLib32.h"

#include <QEvent>
#include <QObject>

#include <cstdint>
#include <functional>

namespace tavrel {

// The driver's notification, posted to the application object.
class DriverNotifyEvent final : public QEvent {
public:
    static QEvent::Type EventType();
    DriverNotifyEvent(std::uint32_t wParam, std::int32_t lParam)
        : QEvent(EventType()), WParam(wParam), LParam(lParam) {}
    const std::uint32_t WParam;
    const std::int32_t LParam;
};

// A notify callback for the card: posts the notification to the application object, so it is
// handled by the event loop (inside the measurement's yields) and never inside a driver call.
DriverNotify PostingDriverNotify();

// The event filter on the application object that receives the driver's notifications and
// always lets them go on.
class DriverMessageHook final : public QObject {
public:
    using Handler = std::function<void(std::uint32_t wParam, std::int32_t lParam)>;
    explicit DriverMessageHook(Handler handler, QObject* parent = nullptr);
    ~DriverMessageHook() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler handler_;
};

} // namespace tavrel
