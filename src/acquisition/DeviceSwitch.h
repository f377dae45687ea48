#pragma once

#include "acquisition/Clock.h"
#include "acquisition/DeviceRegistry.h"
#include "acquisition/simulated/AdLib32.h"

#include <memory>

namespace tavrel {

// The card of the window: the driver operations go to the device the operator chose, the
// simulated card until another is chosen. Switch only while no measurement runs.
class DeviceSwitch final : public AdLib32 {
public:
    explicit DeviceSwitch(const Clock& clock);

    // Records from device from now on; the last device's conversion is stopped first.
    void Select(const DeviceEntry& device);
    const DeviceEntry& Selected() const { return selected_; }
    bool SimulatedSelected() const { return selected_.Sigrok == nullptr; }

    void SetNotifyCallback(DriverNotify notify) override;
    int AdGetCardResource(int reserved, int slot, int& cardType, int& ioAddress,
                          int& irq) override {
        return card_->AdGetCardResource(reserved, slot, cardType, ioAddress, irq);
    }
    int AdSetParamAuto(int mode) override { return card_->AdSetParamAuto(mode); }
    int AdSetChannel(std::int16_t count, const std::int16_t (&table)[8]) override {
        return card_->AdSetChannel(count, table);
    }
    int AdSetFreq(std::uint16_t interval, std::uint16_t rateUnit) override {
        return card_->AdSetFreq(interval, rateUnit);
    }
    int AdFreeRingBuf() override { return card_->AdFreeRingBuf(); }
    int AdStopIrqMode() override { return card_->AdStopIrqMode(); }
    int AdAllocRingBuf(std::int32_t ringSize, std::int32_t sampleCount) override {
        return card_->AdAllocRingBuf(ringSize, sampleCount);
    }
    int AdStartIrqRingMode(int mode) override { return card_->AdStartIrqRingMode(mode); }
    int AdGetRingBuf(std::span<std::uint16_t> buffer, std::int32_t position,
                     std::int32_t wanted) override {
        return card_->AdGetRingBuf(buffer, position, wanted);
    }
    double HexToVal(std::uint32_t raw) override { return card_->HexToVal(raw); }
    std::string SetUpRefusal(std::int16_t count, std::uint16_t interval,
                             std::uint16_t rateUnit) const override {
        return card_->SetUpRefusal(count, interval, rateUnit);
    }

private:
    const Clock& clock_;
    DriverNotify notify_;
    DeviceEntry selected_;
    std::unique_ptr<AdLib32> card_;
};

} // namespace tavrel
