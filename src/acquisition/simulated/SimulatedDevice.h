#pragma once

#include "acquisition/Device.h"
#include "acquisition/simulated/AdLib32.h"
#include "acquisition/simulated/CardSetup.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

namespace tavrel {

// The card's driver as a device: the one place where the driver's calls, its raw codes and
// HexToVal, and its notifications meet the measurement. The driver stores a burst's raw
// samples by their place in the burst, into the setup's transfer buffer.
class SimulatedDevice final : public Device {
public:
    // Drives card, which must outlive the device.
    explicit SimulatedDevice(AdLib32& card);
    // Drives a card of its own.
    explicit SimulatedDevice(std::unique_ptr<AdLib32> card);
    ~SimulatedDevice() override;
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    DeviceIdentity Identify() override;
    std::optional<Message> Refusal(int channels, std::uint16_t interval,
                                   std::uint16_t rateUnit) const override;
    StartFailure Start(const AcquisitionSetup& setup) override;
    ReadResult Read(std::span<double> values) override;
    void Stop() override;
    std::optional<DeviceEvent> NextEvent() override;

    AdLib32& Card() { return card_; }
    const CardState& State() const { return state_; }
    const CardInfo& Found() const { return found_; }

    // The notification as the device's event: 1 converting, 2 overflow, 128 ended (lParam the
    // count), any other code an abnormal end. Only the low 16 bits of wParam count.
    static DeviceEvent EventOfNotification(std::uint32_t wParam, std::int32_t lParam);

private:
    ReadResult ReadContinuous(std::span<double> values);

    std::unique_ptr<AdLib32> owned_;
    AdLib32& card_;
    CardState state_;
    CardInfo found_;
    AcquisitionSetup setup_;
    std::int32_t taken_ = 0; // samples of the burst read so far
    std::vector<std::uint16_t> scratch_;
    std::deque<std::pair<std::uint32_t, std::int32_t>> notifications_;
};

} // namespace tavrel
