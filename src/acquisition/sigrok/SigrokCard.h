#pragma once

#include "acquisition/sigrok/SigrokLibrary.h"
#include "acquisition/sigrok/SpscRing.h"
#include "acquisition/simulated/AdLib32.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct sr_session;
struct sr_channel;
struct sr_datafeed_packet;

namespace tavrel {

struct SigrokCardOptions {
    // The ring holds the driver's ring size (a burst), but at most this much of the device's
    // output: the measurement loop may be held that long before samples are lost.
    double RingSeconds = 1.0;
    // Tests: the session ends by itself after this many scans of a burst, as it does when the
    // device goes away (< 0: never).
    std::int64_t LoseDeviceAfterScans = -1;
};

// The card's driver operations over a libsigrok device. The channel table picks the device's
// analog channels in order; the interval must be a sample rate the device offers exactly.
// Each burst is one acquisition limited to the burst's scans, run by libsigrok on a thread of
// its own; whole scans go through a lock-free ring to the measurement thread, which fetches
// them with AdGetRingBuf. Notifications are sent only from calls on the measurement thread.
//
// Raw codes are the values in millivolts (of the device's unit) as 16-bit two's complement,
// rounded and limited to -32.767..32.767 V; 0x8000 is a value the device could not give.
class SigrokCard final : public AdLib32 {
public:
    // The code notified when the acquisition ended before the burst's scans came.
    static constexpr std::uint16_t NotifyDeviceLost = 3;
    static constexpr std::uint16_t MissingCode = 0x8000;
    // The ring never grows beyond this many samples.
    static constexpr std::size_t MaxRingSamples = std::size_t{1} << 25;

    explicit SigrokCard(const SigrokDevice& device, SigrokCardOptions options = {});
    ~SigrokCard() override;
    SigrokCard(const SigrokCard&) = delete;
    SigrokCard& operator=(const SigrokCard&) = delete;

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
    std::string SetUpRefusal(std::int16_t count, std::uint16_t interval,
                             std::uint16_t rateUnit) const override;

    const SigrokDevice& Device() const { return device_; }
    // A physical value as its raw code.
    static std::uint16_t ValueToRaw(double value);
    // The sample rate of an interval, 0 when the period is no whole number of microseconds'
    // divisor of a second (no rate in whole hertz).
    static std::uint64_t RateOfInterval(std::uint16_t interval, std::uint16_t rateUnit);

    // State for tests and benchmarks.
    bool Converting() const { return converting_; }
    std::uint64_t SampleRate() const { return rate_; }
    std::size_t RingCapacity() const { return ring_ ? ring_->Capacity() : 0; }
    std::int64_t ScansDelivered() const { return scansPushed_.load(std::memory_order_acquire); }
    // Monotonic microseconds (steady clock) when the current burst's first scan reached the
    // ring, 0 before.
    std::int64_t FirstScanMicroseconds() const {
        return firstScanUs_.load(std::memory_order_acquire);
    }
    // The same clock when the current burst's acquisition had started (0 before).
    std::int64_t AcquisitionStartMicroseconds() const {
        return startedUs_.load(std::memory_order_acquire);
    }

private:
    static void OnPacket(const struct sr_dev_inst* sdi, const sr_datafeed_packet* packet,
                         void* self);
    void TakePacket(const sr_datafeed_packet* packet);
    void MoveScansToRing();
    void SessionThread();
    void JoinSession(bool stop);
    void Update();
    void Notify(std::uint32_t code, std::int32_t count);

    const SigrokDevice& device_;
    SigrokCardOptions options_;
    DriverNotify notify_;
    std::vector<sr_channel*> analog_; // the device's analog channels in order
    sr_session* session_ = nullptr;
    bool open_ = false;

    // Set-up, taken over by the next start.
    bool paramsSet_ = false;
    int pendingChannels_ = 0;
    std::int16_t pendingTable_[8]{};
    std::uint64_t pendingRate_ = 0;
    bool allocated_ = false;
    std::int64_t ringSize_ = 0;
    std::int64_t scansWanted_ = 0;

    // The running burst, as the measurement thread sees it.
    bool converting_ = false;
    bool overflowed_ = false;
    int channels_ = 0;
    std::uint64_t rate_ = 0;
    std::unique_ptr<SpscRing<std::uint16_t>> ring_;
    std::thread thread_;

    // Shared with the session thread.
    std::mutex startMutex_;
    std::condition_variable startDone_;
    bool startAnswered_ = false;
    int startResult_ = 0;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> overflow_{false};
    std::atomic<bool> sessionOver_{false};
    std::atomic<std::int64_t> scansPushed_{0};
    std::atomic<std::int64_t> firstScanUs_{0};
    std::atomic<std::int64_t> startedUs_{0};

    // The session thread's own: values of each chosen channel not yet in whole scans.
    std::vector<sr_channel*> chosen_;
    std::vector<std::vector<float>> pending_;
    std::vector<std::size_t> pendingTaken_;
    std::vector<float> converted_;
    std::vector<std::uint16_t> scanCodes_;
};

} // namespace tavrel
