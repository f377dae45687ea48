#include "acquisition/DeviceSwitch.h"

namespace tavrel {

DeviceSwitch::DeviceSwitch(const Clock& clock)
    : clock_(clock), selected_(FindDevice(std::string(SimulatedDeviceName))),
      card_(MakeCard(selected_, clock)) {}

void DeviceSwitch::Select(const DeviceEntry& device) {
    if (device.Name == selected_.Name)
        return;
    // The last device ends before the next one is opened (it may be the same hardware).
    card_->AdStopIrqMode();
    card_->AdFreeRingBuf();
    card_.reset();
    selected_ = device;
    card_ = MakeCard(selected_, clock_);
    card_->SetNotifyCallback(notify_);
}

void DeviceSwitch::SetNotifyCallback(DriverNotify notify) {
    notify_ = notify;
    card_->SetNotifyCallback(std::move(notify));
}

} // namespace tavrel
