#pragma once

#include "acquisition/Clock.h"
#include "acquisition/simulated/AdLib32.h"

#include <cstdint>

namespace tavrel {

// What a test can make the simulated card do wrong. Set through SimulatedCard::Faults().
struct SimulatedCardFaults {
    // Which driver call fails (returns its failure value) every time it is called.
    enum class Call { None, SetParamAuto, SetChannel, SetFreq, AllocRingBuf, StartIrqRingMode };

    bool NoCard = false; // no slot answers AdGetCardResource
    Call FailingCall = Call::None;
    // Once this many scans of a burst are converted, the ring buffer overflows: the conversion
    // stops, code 2 is notified and AdGetRingBuf returns -1 from then on (< 0: never).
    std::int64_t OverflowAfterScans = -1;
    // Once AbnormalEndAfterScans scans are converted, the conversion stops and AbnormalEndCode
    // is notified with the scans converted (0: never). The converted scans stay fetchable.
    std::uint16_t AbnormalEndCode = 0;
    std::int64_t AbnormalEndAfterScans = 0;
    // At most this many samples per AdGetRingBuf, whole scans or not (0: no limit).
    std::int32_t MaxSamplesPerDelivery = 0;
};

// Events the simulated card can put on one physical channel instead of its waveform: a pulse
// of Volts lasting WidthUs in every PeriodUs, at an offset into its period drawn (by a hash of
// the period's number) from 0..JitterUs; between pulses 0 V, with the card's noise.
struct SimulatedCardEvents {
    int Channel = -1; // none
    std::int64_t PeriodUs = 200;
    std::int64_t WidthUs = 20;
    std::int64_t JitterUs = 0;
    double Volts = 3.0;
};

// The card of the program when no hardware is present: a 12-bit converter over -5 V to +5 V
// that takes its time from the given clock. Scan i (from 0) of a burst is complete at
// start + (i + 1) x interval; the burst ends after the scans asked for in AdAllocRingBuf.
// Started in mode 1, the conversion runs until it is stopped, the ring wrapping.
// The card has no thread: it works out what it owes whenever it is called (all calls, and the
// notifications they send, happen on the caller's thread).
//
// Channel waveforms (physical channel c, time t in seconds of the clock):
//   0: sine 0.5 Hz, 4 V; 1: triangle 0.2 Hz, 3 V; 2: square 0.1 Hz, 2 V; 3: sawtooth 1 Hz,
//   1 V; 4..7: sine of (c - 2) Hz, 0.5 V; each with +-10 mV of deterministic noise.
class SimulatedCard final : public AdLib32 {
public:
    static constexpr int RawMax = 4095;
    static constexpr double FullScaleVolts = 5.0;

    SimulatedCard(const Clock& clock, int slot = 0, int cardType = 1);

    SimulatedCardFaults& Faults() { return faults_; }
    void SetFaults(const SimulatedCardFaults& faults) { faults_ = faults; }
    void SetEvents(const SimulatedCardEvents& events) { events_ = events; }

    void SetNotifyCallback(DriverNotify notify) override;
    int AdGetCardResource(int reserved, int slot, int& cardType, int& ioAddress, int& irq) override;
    int AdSetParamAuto(int mode) override;
    int AdSetChannel(std::int16_t count, const std::int16_t (&table)[8]) override;
    int AdSetFreq(std::uint16_t interval, std::uint16_t rateUnit) override;
    int AdFreeRingBuf() override;
    int AdStopIrqMode() override;
    int AdAllocRingBuf(std::int32_t ringSize, std::int32_t sampleCount) override;
    int AdStartIrqRingMode(int mode) override;
    int AdGetRingBuf(std::span<std::uint16_t> buffer, std::int32_t position,
                     std::int32_t wanted) override;
    double HexToVal(std::uint32_t raw) override;

    // State for tests and the command line.
    bool Converting() const { return running_; }
    bool RingBufferAllocated() const { return allocated_; }
    std::int64_t ScansConverted() const { return converted_; }
    std::int64_t SamplesFetched() const { return fetched_; }
    // Scan interval in microseconds as set by AdSetFreq (0 before).
    std::int64_t IntervalMicroseconds() const { return pendingIntervalUs_; }

    // The signal on physical channel c at a time of the clock, and its raw code.
    static double ChannelVolts(int channel, std::int64_t microseconds);
    // The same with the events put on their channel.
    double SignalVolts(int channel, std::int64_t microseconds) const;
    static std::uint16_t VoltsToRaw(double volts);

    static constexpr int IoAddress = 0x300;
    static constexpr int Irq = 10;

private:
    void Update();
    void Notify(std::uint32_t code, std::int32_t count);
    bool Fails(SimulatedCardFaults::Call call) const { return faults_.FailingCall == call; }

    const Clock& clock_;
    int slot_;
    int cardType_;
    SimulatedCardFaults faults_;
    SimulatedCardEvents events_;
    DriverNotify notify_;

    // Set-up, taken over by the next start.
    bool paramsSet_ = false;
    int pendingChannels_ = 0;
    std::int16_t pendingTable_[8]{};
    std::int64_t pendingIntervalUs_ = 0;

    // The ring buffer and the running burst.
    bool allocated_ = false;
    std::int64_t ringSize_ = 0;
    std::int64_t scansWanted_ = 0;
    bool running_ = false;
    bool overflowed_ = false;
    int channels_ = 0;
    std::int16_t table_[8]{};
    std::int64_t intervalUs_ = 0;
    std::int64_t startUs_ = 0;
    std::int64_t converted_ = 0; // scans converted in this burst
    std::int64_t fetched_ = 0;   // samples handed out in this burst
};

} // namespace tavrel
