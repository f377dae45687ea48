#pragma once

#include "acquisition/Device.h"
#include "acquisition/sigrok/SigrokLibrary.h"
#include "acquisition/sigrok/SpscRing.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct sr_session;
struct sr_channel;
struct sr_datafeed_packet;

namespace tavrel {

struct SigrokSourceOptions {
    // The ring holds the driver's ring size (a burst), but at most this much of the device's
    // output: the measurement loop may be held that long before samples are lost.
    double RingSeconds = 1.0;
    // Tests: the session ends by itself after this many scans of a burst, as it does when the
    // device goes away (< 0: never).
    std::int64_t LoseDeviceAfterScans = -1;
};

// A libsigrok device as a device to record from. The channels are the device's first analog
// channels in order; the interval must be a sample rate the device offers exactly. Each
// acquisition is run by libsigrok on a thread of its own, limited to its scans; whole scans go
// through a lock-free ring to the measurement thread as the values libsigrok gives (volts, or
// the device's unit), NaN where it gives none. Events are made only inside calls on the
// measurement thread.
class SigrokSource final : public Device {
public:
    // The ring never grows beyond this many samples.
    static constexpr std::size_t MaxRingSamples = std::size_t{1} << 25;

    explicit SigrokSource(const SigrokDevice& device, SigrokSourceOptions options = {});
    ~SigrokSource() override;
    SigrokSource(const SigrokSource&) = delete;
    SigrokSource& operator=(const SigrokSource&) = delete;

    DeviceIdentity Identify() override;
    std::optional<Message> Refusal(int channels, std::uint16_t interval,
                                   std::uint16_t rateUnit) const override;
    StartFailure Start(const AcquisitionSetup& setup) override;
    ReadResult Read(std::span<double> values) override;
    void Stop() override;
    std::optional<DeviceEvent> NextEvent() override;

    const SigrokDevice& Instrument() const { return device_; }
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
    void Say(DeviceEventKind kind, std::int64_t count);

    const SigrokDevice& device_;
    SigrokSourceOptions options_;
    std::deque<DeviceEvent> events_;
    std::vector<sr_channel*> analog_; // the device's analog channels in order
    sr_session* session_ = nullptr;
    bool open_ = false;

    std::int64_t scansWanted_ = 0;

    // The running burst, as the measurement thread sees it.
    bool converting_ = false;
    bool overflowed_ = false;
    int channels_ = 0;
    std::uint64_t rate_ = 0;
    std::unique_ptr<SpscRing<float>> ring_;
    std::vector<float> readValues_; // the measurement thread's side of the ring
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
    std::vector<float> scanValues_;
};

} // namespace tavrel
