#include "acquisition/sigrok/SigrokSource.h"

#include <libsigrok/libsigrok.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace tavrel {
namespace {

constexpr std::uint64_t MicrosecondsPerRateUnit[3] = {1'000'000, 1'000, 1}; // sec, msec, usec
constexpr std::string_view RateUnitNames[3] = {"sec", "msec", "usec"};

std::int64_t SteadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string IntervalText(std::uint64_t hertz) {
    const std::uint64_t us = 1'000'000 / hertz;
    if (us % 1'000'000 == 0)
        return std::to_string(us / 1'000'000) + " sec";
    if (us % 1'000 == 0)
        return std::to_string(us / 1'000) + " msec";
    return std::to_string(us) + " usec";
}

} // namespace

SigrokSource::SigrokSource(const SigrokDevice& device, SigrokSourceOptions options)
    : device_(device), options_(options) {
    for (GSList* c = sr_dev_inst_channels_get(device_.Device); c != nullptr; c = c->next) {
        auto* channel = static_cast<sr_channel*>(c->data);
        if (channel->type == SR_CHANNEL_ANALOG)
            analog_.push_back(channel);
    }
}

SigrokSource::~SigrokSource() {
    JoinSession(true);
    if (session_ != nullptr)
        sr_session_destroy(session_);
    if (open_)
        sr_dev_close(device_.Device);
}

void SigrokSource::Say(DeviceEventKind kind, std::int64_t count) {
    events_.push_back({kind, static_cast<std::int32_t>(count)});
}

std::optional<DeviceEvent> SigrokSource::NextEvent() {
    if (events_.empty())
        return std::nullopt;
    const DeviceEvent event = events_.front();
    events_.pop_front();
    return event;
}

DeviceIdentity SigrokSource::Identify() {
    // A libsigrok device has neither a bus address nor an interrupt, and does not tell its
    // inputs' ranges.
    DeviceIdentity identity;
    identity.Found = true;
    identity.Model = device_.Description;
    identity.Address = "-";
    identity.Irq = "-";
    for (const std::string& name : device_.AnalogChannels)
        identity.Channels.push_back({name, NAN, NAN});
    identity.Rates = device_.Rates.Text();
    return identity;
}

std::uint64_t SigrokSource::RateOfInterval(std::uint16_t interval, std::uint16_t rateUnit) {
    if (interval == 0 || rateUnit > 2)
        return 0;
    const std::uint64_t us = interval * MicrosecondsPerRateUnit[rateUnit];
    return 1'000'000 % us == 0 ? 1'000'000 / us : 0;
}

std::optional<Message> SigrokSource::Refusal(int count, std::uint16_t interval,
                                             std::uint16_t rateUnit) const {
    if (count < 1 || static_cast<std::size_t>(count) > analog_.size())
        return Message{MessageId::DeviceChannels,
                       {device_.Name, std::to_string(analog_.size()), std::to_string(count)}};
    if (rateUnit > 2 || interval == 0)
        return Message{MessageId::CardRateError};
    const std::uint64_t rate = RateOfInterval(interval, rateUnit);
    if (rate != 0 && device_.Rates.Offers(rate))
        return std::nullopt;
    const std::uint64_t us = interval * MicrosecondsPerRateUnit[rateUnit];
    // Texts of numbers and units only: the form carries the words and the punctuation, so
    // each language has its own.
    std::vector<std::string> args = {
        std::to_string(interval) + " " + std::string(RateUnitNames[rateUnit]),
        rate != 0 ? HertzText(rate) : FrequencyText(1e6 / static_cast<double>(us)), device_.Name};
    const auto [below, above] =
        device_.Rates.NearestWholeMicroseconds(rate != 0 ? rate : 1'000'000 / us);
    for (const std::uint64_t r : {above, below})
        if (r != 0) {
            args.push_back(IntervalText(r));
            args.push_back(HertzText(r));
        }
    switch (args.size()) {
    case 3:
        args.push_back(device_.Rates.Text());
        return Message{MessageId::DeviceRateList, std::move(args)};
    case 5:
        return Message{MessageId::DeviceRateNear, std::move(args)};
    default:
        return Message{MessageId::DeviceRateNearTwo, std::move(args)};
    }
}

void SigrokSource::Stop() {
    JoinSession(true);
    converting_ = false;
}

StartFailure SigrokSource::Start(const AcquisitionSetup& setup) {
    JoinSession(true);
    converting_ = false;
    if (!open_) {
        if (sr_dev_open(device_.Device) != SR_OK)
            return StartFailure::Detection;
        open_ = true;
    }
    if (setup.Channels < 1 || setup.Channels > 8 ||
        static_cast<std::size_t>(setup.Channels) > analog_.size())
        return StartFailure::Channels;
    // Never a rate other than the one asked for.
    const std::uint64_t rate = RateOfInterval(setup.Interval, setup.RateUnit);
    if (rate == 0 || !device_.Rates.Offers(rate))
        return StartFailure::Rate;
    if (setup.RingSamples < setup.Channels || setup.Scans < 0)
        return StartFailure::Ring;
    // No number of scans: until stopped. libsigrok refuses a limit of 0, so the limit is one
    // no acquisition reaches.
    scansWanted_ = setup.Scans > 0 ? setup.Scans : std::numeric_limits<std::int64_t>::max();
    channels_ = setup.Channels;
    rate_ = rate;

    // Only the chosen channels deliver.
    chosen_.assign(static_cast<std::size_t>(channels_), nullptr);
    for (int i = 0; i < channels_; ++i)
        chosen_[static_cast<std::size_t>(i)] = analog_[static_cast<std::size_t>(i)];
    for (GSList* c = sr_dev_inst_channels_get(device_.Device); c != nullptr; c = c->next) {
        auto* channel = static_cast<sr_channel*>(c->data);
        const bool on = std::find(chosen_.begin(), chosen_.end(), channel) != chosen_.end();
        if (channel->enabled != on)
            sr_dev_channel_enable(channel, on);
    }
    pending_.assign(chosen_.size(), {});
    pendingTaken_.assign(chosen_.size(), 0);
    if (sr_config_set(device_.Device, nullptr, SR_CONF_SAMPLERATE, g_variant_new_uint64(rate_)) !=
            SR_OK ||
        sr_config_set(device_.Device, nullptr, SR_CONF_LIMIT_SAMPLES,
                      g_variant_new_uint64(static_cast<std::uint64_t>(scansWanted_))) != SR_OK)
        return StartFailure::Start;
    // A driver that rounded the rate quietly would record at a rate the header does not say.
    GVariant* actual = nullptr;
    if (sr_config_get(sr_dev_inst_driver_get(device_.Device), device_.Device, nullptr,
                      SR_CONF_SAMPLERATE, &actual) == SR_OK &&
        actual != nullptr) {
        const bool same = g_variant_get_uint64(actual) == rate_;
        g_variant_unref(actual);
        if (!same)
            return StartFailure::Start;
    }

    // The driver's ring size (a whole burst), but no more than RingSeconds of the device.
    const double seconds = options_.RingSeconds * static_cast<double>(rate_) * channels_;
    const std::size_t capacity = std::clamp<std::size_t>(
        static_cast<std::size_t>(std::min(seconds, static_cast<double>(setup.RingSamples))), 2,
        MaxRingSamples);
    if (!ring_ || ring_->Capacity() < capacity || ring_->Capacity() >= 4 * capacity)
        ring_ = std::make_unique<SpscRing<float>>(capacity);
    else
        ring_->Discard();

    if (session_ == nullptr) {
        if (sr_session_new(SigrokLibrary::Instance().Context(), &session_) != SR_OK) {
            session_ = nullptr;
            return StartFailure::Start;
        }
        if (sr_session_dev_add(session_, device_.Device) != SR_OK ||
            sr_session_datafeed_callback_add(session_, &SigrokSource::OnPacket, this) != SR_OK)
            return StartFailure::Start;
    }
    stopRequested_ = false;
    overflow_ = false;
    sessionOver_ = false;
    scansPushed_ = 0;
    firstScanUs_ = 0;
    startedUs_ = 0;
    overflowed_ = false;
    startAnswered_ = false;
    thread_ = std::thread(&SigrokSource::SessionThread, this);
    int started = 0;
    {
        std::unique_lock lock(startMutex_);
        startDone_.wait(lock, [this] { return startAnswered_; });
        started = startResult_;
    }
    if (started != SR_OK) {
        JoinSession(false);
        return StartFailure::Start;
    }
    converting_ = true;
    Say(DeviceEventKind::Converting, 0);
    return StartFailure::None;
}

void SigrokSource::SessionThread() {
    // The session's sources belong to a main context of this thread, never to the window's.
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    const int r = sr_session_start(session_);
    startedUs_.store(SteadyMicroseconds(), std::memory_order_release);
    {
        const std::lock_guard lock(startMutex_);
        startResult_ = r;
        startAnswered_ = true;
    }
    startDone_.notify_one();
    if (r == SR_OK)
        sr_session_run(session_);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    sessionOver_.store(true, std::memory_order_release);
}

void SigrokSource::JoinSession(bool stop) {
    if (!thread_.joinable())
        return;
    if (stop) {
        stopRequested_ = true;
        sr_session_stop(session_);
    }
    thread_.join();
}

void SigrokSource::OnPacket(const struct sr_dev_inst* /*sdi*/, const sr_datafeed_packet* packet,
                            void* self) {
    static_cast<SigrokSource*>(self)->TakePacket(packet);
}

void SigrokSource::TakePacket(const sr_datafeed_packet* packet) {
    if (packet->type != SR_DF_ANALOG || overflow_.load(std::memory_order_relaxed))
        return;
    const auto* analog = static_cast<const sr_datafeed_analog*>(packet->payload);
    const std::size_t n = analog->num_samples;
    const std::size_t count = g_slist_length(analog->meaning->channels);
    if (n == 0 || count == 0)
        return;
    converted_.resize(n * count);
    if (sr_analog_to_float(analog, converted_.data()) != SR_OK)
        std::fill(converted_.begin(), converted_.end(), NAN);
    // Values of several channels come sample by sample.
    std::size_t k = 0;
    for (GSList* c = analog->meaning->channels; c != nullptr; c = c->next, ++k) {
        const auto at =
            std::find(chosen_.begin(), chosen_.end(), static_cast<sr_channel*>(c->data));
        if (at == chosen_.end())
            continue;
        auto& values = pending_[static_cast<std::size_t>(at - chosen_.begin())];
        for (std::size_t s = 0; s < n; ++s)
            values.push_back(converted_[s * count + k]);
    }
    MoveScansToRing();
}

void SigrokSource::MoveScansToRing() {
    std::size_t ready = SIZE_MAX;
    for (std::size_t c = 0; c < pending_.size(); ++c)
        ready = std::min(ready, pending_[c].size() - pendingTaken_[c]);
    const std::int64_t pushed = scansPushed_.load(std::memory_order_relaxed);
    std::int64_t limit = scansWanted_;
    if (options_.LoseDeviceAfterScans >= 0)
        limit = std::min(limit, options_.LoseDeviceAfterScans);
    ready = std::min<std::size_t>(
        ready, static_cast<std::size_t>(std::max<std::int64_t>(limit - pushed, 0)));
    if (ready > 0) {
        const std::size_t ch = pending_.size();
        if (ring_->Free() < ready * ch) {
            // The measurement loop did not fetch in time: what came is lost, the burst ends.
            overflow_.store(true, std::memory_order_release);
            sr_session_stop(session_);
            return;
        }
        scanValues_.resize(ready * ch);
        for (std::size_t c = 0; c < ch; ++c) {
            const float* values = pending_[c].data() + pendingTaken_[c];
            for (std::size_t s = 0; s < ready; ++s)
                scanValues_[s * ch + c] = values[s];
            pendingTaken_[c] += ready;
            if (pendingTaken_[c] == pending_[c].size()) {
                pending_[c].clear();
                pendingTaken_[c] = 0;
            }
        }
        ring_->Push(scanValues_);
        if (pushed == 0)
            firstScanUs_.store(SteadyMicroseconds(), std::memory_order_release);
        scansPushed_.store(pushed + static_cast<std::int64_t>(ready), std::memory_order_release);
    }
    if (options_.LoseDeviceAfterScans >= 0 &&
        scansPushed_.load(std::memory_order_relaxed) >= options_.LoseDeviceAfterScans &&
        options_.LoseDeviceAfterScans < scansWanted_)
        sr_session_stop(session_);
}

// What the session thread has done since the last call, as the card's notifications.
void SigrokSource::Update() {
    if (!converting_)
        return;
    if (overflow_.load(std::memory_order_acquire)) {
        converting_ = false;
        overflowed_ = true;
        Say(DeviceEventKind::Overflow, scansPushed_.load());
        return;
    }
    const bool over = sessionOver_.load(std::memory_order_acquire);
    const std::int64_t pushed = scansPushed_.load(std::memory_order_acquire);
    if (pushed >= scansWanted_) {
        converting_ = false;
        Say(DeviceEventKind::Ended, pushed);
        return;
    }
    // Ended without the burst's scans and not by a stop: the device went away. What came is
    // fetched first.
    if (over && !stopRequested_ && ring_->Available() == 0) {
        converting_ = false;
        Say(DeviceEventKind::Abnormal, pushed);
    }
}

ReadResult SigrokSource::Read(std::span<double> values) {
    Update();
    if (!ring_)
        return {};
    if (overflowed_)
        return {ReadStatus::Overflow, 0};
    if (values.empty())
        return {};
    readValues_.resize(values.size());
    const std::size_t got = ring_->Pop(std::span<float>(readValues_));
    for (std::size_t i = 0; i < got; ++i)
        values[i] = static_cast<double>(readValues_[i]);
    if (got == 0)
        Update(); // a lost device is reported once the ring is empty
    return {ReadStatus::Samples, static_cast<std::int32_t>(got)};
}

} // namespace tavrel
