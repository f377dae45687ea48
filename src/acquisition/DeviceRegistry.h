#pragma once

#include "acquisition/Clock.h"
#include "acquisition/Device.h"

#include "text/Message.h"
#include <memory>

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

struct SigrokDevice;

// The name of the simulated card among the devices, and of the same card with pulses at random
// times on CH0 (for bursts started by a trigger).
inline constexpr std::string_view SimulatedDeviceName = "simulated";
inline constexpr std::string_view SimulatedEventsDeviceName = "simulated-events";

// What can be recorded from: the simulated card first, then the libsigrok devices.
struct DeviceEntry {
    std::string Name;
    std::string Description;
    std::vector<std::string> Channels;
    std::string Rates;
    const SigrokDevice* Sigrok = nullptr; // nullptr: the simulated card
    bool Events = false;                  // the simulated card with its pulses
};

// The description in words of the user's language: libsigrok's own text, or the simulated
// card's message.
Message DescriptionOf(const DeviceEntry& device);

// The devices; allDrivers: probe every libsigrok driver, else only the demo device.
std::vector<DeviceEntry> ListDevices(bool allDrivers);

// The device of that name (the demo device and the simulated card without probing the other
// drivers); nullopt-like empty Name when there is none.
DeviceEntry FindDevice(const std::string& name);

// The device to record from; the simulated card takes its time from clock.
std::unique_ptr<Device> MakeDevice(const DeviceEntry& device, const Clock& clock);

// "装置「NAME」が見つかりません。"
Message DeviceNotFoundMessage(const std::string& name);

} // namespace tavrel
