#include "acquisition/DeviceSwitch.h"

namespace tavrel {

DeviceSwitch::DeviceSwitch(const Clock& clock)
    : clock_(clock), selected_(FindDevice(std::string(SimulatedDeviceName))),
      device_(MakeDevice(selected_, clock)) {}

void DeviceSwitch::Select(const DeviceEntry& device) {
    if (device.Name == selected_.Name)
        return;
    // The last device ends before the next one is opened (it may be the same hardware).
    device_->Stop();
    device_.reset();
    selected_ = device;
    device_ = MakeDevice(selected_, clock_);
}

} // namespace tavrel
