#include "acquisition/DeviceRegistry.h"

#include "acquisition/sigrok/SigrokLibrary.h"
#include "acquisition/sigrok/SigrokSource.h"
#include "acquisition/simulated/SimulatedCard.h"
#include "acquisition/simulated/SimulatedDevice.h"

namespace tavrel {
namespace {

// CH0 of the card with events: a 3 V pulse of 5 ms at a random moment of every half second.
constexpr SimulatedCardEvents RandomPulses{0, 500'000, 5'000, 400'000, 3.0};

DeviceEntry SimulatedEntry(bool events = false) {
    DeviceEntry entry;
    entry.Name = events ? SimulatedEventsDeviceName : SimulatedDeviceName;
    entry.Events = events;
    entry.Description = Japanese(DescriptionOf(entry));
    for (int c = 0; c < 8; ++c)
        entry.Channels.push_back("CH" + std::to_string(c));
    entry.Rates = "1 usec - 65535 sec";
    return entry;
}

DeviceEntry SigrokEntry(const SigrokDevice& device) {
    DeviceEntry entry;
    entry.Name = device.Name;
    entry.Description = device.Description;
    entry.Channels = device.AnalogChannels;
    entry.Rates = device.Rates.Text();
    entry.Sigrok = &device;
    return entry;
}

} // namespace

std::vector<DeviceEntry> ListDevices(bool allDrivers) {
    std::vector<DeviceEntry> devices{SimulatedEntry(), SimulatedEntry(true)};
    for (const SigrokDevice& device : SigrokLibrary::Instance().Devices(allDrivers))
        devices.push_back(SigrokEntry(device));
    return devices;
}

DeviceEntry FindDevice(const std::string& name) {
    if (name == SimulatedDeviceName || name == SimulatedEventsDeviceName)
        return SimulatedEntry(name == SimulatedEventsDeviceName);
    auto& library = SigrokLibrary::Instance();
    const SigrokDevice* device = library.Find(name, false);
    if (device == nullptr)
        device = library.Find(name, true);
    return device != nullptr ? SigrokEntry(*device) : DeviceEntry{};
}

std::unique_ptr<Device> MakeDevice(const DeviceEntry& device, const Clock& clock) {
    if (device.Sigrok != nullptr)
        return std::make_unique<SigrokSource>(*device.Sigrok);
    auto card = std::make_unique<SimulatedCard>(clock);
    if (device.Events)
        card->SetEvents(RandomPulses);
    return std::make_unique<SimulatedDevice>(std::move(card));
}

Message DescriptionOf(const DeviceEntry& device) {
    if (device.Sigrok != nullptr)
        return Verbatim(device.Description);
    return {device.Events ? MessageId::SimulatedEventsCard : MessageId::SimulatedCard,
            {"REX-5054U"}};
}

Message DeviceNotFoundMessage(const std::string& name) {
    return {MessageId::DeviceNotFound, {name}};
}

} // namespace tavrel
