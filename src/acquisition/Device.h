#pragma once

#include "text/Message.h"
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// One acquisition as a measurement asks for it.
struct AcquisitionSetup {
    int Channels = 1;           // the device's channels 0..Channels-1, scanned in this order
    std::uint16_t Interval = 1; // the sampling interval, in RateUnit
    std::uint16_t RateUnit = 1; // 0 sec, 1 msec, 2 usec
    // Scans to take, after which the acquisition ends by itself; 0: until stopped (a device
    // that cannot refuses with StartFailure::Ring).
    std::int32_t Scans = 0;
    std::int32_t RingSamples = 0; // samples the device may hold for the reader
    // The transfer buffer of a device that stores its samples by their place in the burst
    // (the card's driver does); other devices leave it alone. It must hold Channels x Scans
    // samples for as long as the acquisition runs.
    std::vector<std::uint16_t>* TransferBuffer = nullptr;
};

// The step of setting up and starting an acquisition that failed.
enum class StartFailure { None, Detection, Channels, Rate, Ring, Start };

// The operator's message of a failed step (no text for None).
Message StartFailureMessage(StartFailure failure);

// An input of the device: its own name and the range of values it takes (NaN where the
// device does not say).
struct DeviceChannel {
    std::string Name;
    double Low = std::numeric_limits<double>::quiet_NaN();
    double High = std::numeric_limits<double>::quiet_NaN();
};

// What the device is: what the card page shows, its inputs in scan order, and the sampling
// rates it offers, as a text.
struct DeviceIdentity {
    bool Found = false;
    std::string Model;   // the card's type, or the device's own description
    std::string Address; // the bus address, "-" where there is none
    std::string Irq;     // the interrupt, "-" where there is none
    std::vector<DeviceChannel> Channels;
    std::string Rates;
};

// How a read ended.
enum class ReadStatus {
    Samples,  // Count values (0: none yet)
    Overflow, // the device's buffer overflowed: the acquisition has stopped
    Lost,     // the device answered what no device may: its acquisition is not to be trusted
};

struct ReadResult {
    ReadStatus Status = ReadStatus::Samples;
    std::int32_t Count = 0;
};

// What a device says about its acquisition besides the samples, in the order it happened.
enum class DeviceEventKind {
    Converting, // the acquisition runs
    Ended,      // it has taken its scans; Count is how many the device counted
    Overflow,   // its buffer overflowed and it stopped; Count scans were taken
    Abnormal,   // it ended in a way it should not (lost, failed); Count scans were taken
};

struct DeviceEvent {
    DeviceEventKind Kind = DeviceEventKind::Converting;
    std::int32_t Count = 0;
    friend bool operator==(const DeviceEvent&, const DeviceEvent&) = default;
};

// A device to record from, in measurement terms. Every call comes from the thread that runs
// the measurement; a device with threads of its own hands their work over inside its calls.
class Device {
public:
    virtual ~Device() = default;

    // Looks for the device (a card: over its slots) and describes it.
    virtual DeviceIdentity Identify() = 0;
    // Why channels at this interval cannot be recorded (none: they can). Asked before a
    // measurement creates its file, so a device that cannot record leaves nothing written.
    virtual std::optional<Message> Refusal(int /*channels*/, std::uint16_t /*interval*/,
                                           std::uint16_t /*rateUnit*/) const {
        return std::nullopt;
    }
    // Sets up and starts one acquisition; an acquisition still running is stopped first.
    virtual StartFailure Start(const AcquisitionSetup& setup) = 0;
    // Takes the values that have come since the last read, at most values.size(), channel by
    // channel scan after scan, in volts at the device's full resolution; NaN where the device
    // had no value. A delivery need not be whole scans.
    virtual ReadResult Read(std::span<double> values) = 0;
    // Stops the acquisition at once.
    virtual void Stop() = 0;
    // The next thing the device has to say, or none.
    virtual std::optional<DeviceEvent> NextEvent() = 0;
};

} // namespace tavrel
