#pragma once

#include "acquisition/Clock.h"
#include "acquisition/Device.h"
#include "acquisition/DeviceRegistry.h"

#include <memory>

namespace tavrel {

// The device of the window: everything goes to the device the operator chose, the simulated
// card until another is chosen. Switch only while no measurement runs.
class DeviceSwitch final : public Device {
public:
    explicit DeviceSwitch(const Clock& clock);

    // Records from device from now on; the last device's acquisition is stopped first.
    void Select(const DeviceEntry& device);
    const DeviceEntry& Selected() const { return selected_; }
    bool SimulatedSelected() const { return selected_.Sigrok == nullptr; }

    DeviceIdentity Identify() override { return device_->Identify(); }
    std::optional<Message> Refusal(int channels, std::uint16_t interval,
                                   std::uint16_t rateUnit) const override {
        return device_->Refusal(channels, interval, rateUnit);
    }
    StartFailure Start(const AcquisitionSetup& setup) override { return device_->Start(setup); }
    ReadResult Read(std::span<double> values) override { return device_->Read(values); }
    void Stop() override { device_->Stop(); }
    std::optional<DeviceEvent> NextEvent() override { return device_->NextEvent(); }

private:
    const Clock& clock_;
    DeviceEntry selected_;
    std::unique_ptr<Device> device_;
};

} // namespace tavrel
