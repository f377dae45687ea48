#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

struct sr_context;
struct sr_dev_inst;

namespace tavrel {

// The sample rates a device offers: a list, or a range with a step.
struct SampleRates {
    std::vector<std::uint64_t> List; // ascending
    std::uint64_t Min = 0;
    std::uint64_t Max = 0;
    std::uint64_t Step = 0; // 0: the rates are the list

    bool Offers(std::uint64_t hertz) const;
    // The offered rates next below and above hertz whose period is a whole number of
    // microseconds (what a header can hold); 0 where there is none.
    std::pair<std::uint64_t, std::uint64_t> NearestWholeMicroseconds(std::uint64_t hertz) const;
    // "1 Hz - 1 GHz" or "20 kHz, 1 MHz, 48 MHz".
    std::string Text() const;
};

// "1 kHz", "2.5 MHz", "333 Hz".
std::string HertzText(std::uint64_t hertz);
// The same for a rate that need not be whole ("0.5 Hz", "333.333 Hz").
std::string FrequencyText(double hertz);

// A device that libsigrok found and that delivers analog samples.
struct SigrokDevice {
    std::string Name;        // unique: the driver's name, ":" and the connection when it has one
    std::string Description; // vendor and model
    std::vector<std::string> AnalogChannels;
    SampleRates Rates;
    sr_dev_inst* Device = nullptr; // owned by the library
};

// libsigrok for the whole program: initialised on first use, ended when the program ends.
// The demo device is always scanned (four analog channels, no logic channels); the other
// drivers only when asked, since probing every driver takes time and touches USB devices.
// Drivers that need a serial port named are not scanned.
class SigrokLibrary {
public:
    static SigrokLibrary& Instance();

    SigrokLibrary(const SigrokLibrary&) = delete;
    SigrokLibrary& operator=(const SigrokLibrary&) = delete;

    sr_context* Context() const { return context_; }
    // The devices with analog channels; scans on the first call (allDrivers: every driver,
    // else the demo driver only; a later call with allDrivers adds the rest once). A device
    // stays where it is for the program's life: cards hold on to it.
    const std::deque<SigrokDevice>& Devices(bool allDrivers);
    // The device of that name, or nullptr.
    const SigrokDevice* Find(const std::string& name, bool allDrivers);
    // Empty when libsigrok started, else why not.
    const std::string& InitError() const { return initError_; }

private:
    SigrokLibrary();
    ~SigrokLibrary();
    void Scan(bool demoOnly);

    sr_context* context_ = nullptr;
    std::string initError_;
    std::deque<SigrokDevice> devices_;
    bool demoScanned_ = false;
    bool allScanned_ = false;
    std::mutex mutex_;
};

} // namespace tavrel
