#include "acquisition/sigrok/SigrokCard.h"

#include <libsigrok/libsigrok.h>

#include <algorithm>
#include <chrono>
#include <cmath>

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

SigrokCard::SigrokCard(const SigrokDevice& device, SigrokCardOptions options)
    : device_(device), options_(options) {
    for (GSList* c = sr_dev_inst_channels_get(device_.Device); c != nullptr; c = c->next) {
        auto* channel = static_cast<sr_channel*>(c->data);
        if (channel->type == SR_CHANNEL_ANALOG)
            analog_.push_back(channel);
    }
}

SigrokCard::~SigrokCard() {
    JoinSession(true);
    if (session_ != nullptr)
        sr_session_destroy(session_);
    if (open_)
        sr_dev_close(device_.Device);
}

void SigrokCard::SetNotifyCallback(DriverNotify notify) {
    notify_ = std::move(notify);
}

void SigrokCard::Notify(std::uint32_t code, std::int32_t count) {
    if (notify_)
        notify_(code, count);
}

int SigrokCard::AdGetCardResource(int /*reserved*/, int slot, int& cardType, int& ioAddress,
                                  int& irq) {
    // One device, answering as slot 0 without a bus address.
    if (slot != 0)
        return -1;
    cardType = 0;
    ioAddress = 0;
    irq = 0;
    return 0;
}

int SigrokCard::AdSetParamAuto(int mode) {
    if (mode != 3)
        return -1;
    if (!open_) {
        if (sr_dev_open(device_.Device) != SR_OK)
            return -1;
        open_ = true;
    }
    paramsSet_ = true;
    return 0;
}

int SigrokCard::AdSetChannel(std::int16_t count, const std::int16_t (&table)[8]) {
    if (count < 1 || count > 8 || static_cast<std::size_t>(count) > analog_.size())
        return -1;
    for (int i = 0; i < count; ++i)
        if (table[i] < 0 || static_cast<std::size_t>(table[i]) >= analog_.size())
            return -1;
    pendingChannels_ = count;
    std::copy(std::begin(table), std::end(table), std::begin(pendingTable_));
    return count;
}

std::uint64_t SigrokCard::RateOfInterval(std::uint16_t interval, std::uint16_t rateUnit) {
    if (interval == 0 || rateUnit > 2)
        return 0;
    const std::uint64_t us = interval * MicrosecondsPerRateUnit[rateUnit];
    return 1'000'000 % us == 0 ? 1'000'000 / us : 0;
}

int SigrokCard::AdSetFreq(std::uint16_t interval, std::uint16_t rateUnit) {
    // Never a rate other than the one asked for.
    const std::uint64_t rate = RateOfInterval(interval, rateUnit);
    if (rate == 0 || !device_.Rates.Offers(rate))
        return -1;
    pendingRate_ = rate;
    return 0;
}

std::string SigrokCard::SetUpRefusal(std::int16_t count, std::uint16_t interval,
                                     std::uint16_t rateUnit) const {
    if (count < 1 || static_cast<std::size_t>(count) > analog_.size())
        return "装置「" + device_.Name + "」のアナログチャンネルは " +
               std::to_string(analog_.size()) + " 本です。チャンネル数 " + std::to_string(count) +
               " では計測できません。";
    if (rateUnit > 2 || interval == 0)
        return "サンプリング周期設定エラー";
    const std::uint64_t rate = RateOfInterval(interval, rateUnit);
    if (rate != 0 && device_.Rates.Offers(rate))
        return {};
    const std::uint64_t us = interval * MicrosecondsPerRateUnit[rateUnit];
    std::string text = "サンプリング間隔 " + std::to_string(interval) + " " +
                       std::string(RateUnitNames[rateUnit]) + "（" + HertzText(1'000'000 / us) +
                       (rate == 0 ? " 以下" : "") + "）は装置「" + device_.Name +
                       "」では設定できません。";
    const auto [below, above] =
        device_.Rates.NearestWholeMicroseconds(rate != 0 ? rate : 1'000'000 / us);
    std::string nearest;
    for (const std::uint64_t r : {above, below})
        if (r != 0)
            nearest += (nearest.empty() ? "" : "、") + IntervalText(r) + "（" + HertzText(r) + "）";
    if (nearest.empty())
        return text + "\n設定できるサンプリング周波数：" + device_.Rates.Text();
    return text + "\n近い設定：" + nearest;
}

int SigrokCard::AdFreeRingBuf() {
    JoinSession(true);
    converting_ = false;
    allocated_ = false;
    return 0;
}

int SigrokCard::AdStopIrqMode() {
    JoinSession(true);
    converting_ = false;
    return 0;
}

int SigrokCard::AdAllocRingBuf(std::int32_t ringSize, std::int32_t sampleCount) {
    if (allocated_ || ringSize < 1 || sampleCount < 1)
        return -1;
    allocated_ = true;
    ringSize_ = ringSize;
    scansWanted_ = sampleCount;
    return 0;
}

int SigrokCard::AdStartIrqRingMode(int mode) {
    if (mode != 0 || !allocated_ || converting_ || !paramsSet_ || pendingChannels_ == 0 ||
        pendingRate_ == 0 || ringSize_ < pendingChannels_)
        return -1;
    JoinSession(false); // the last burst's session has ended by itself
    channels_ = pendingChannels_;
    rate_ = pendingRate_;

    // Only the chosen channels deliver.
    chosen_.assign(static_cast<std::size_t>(channels_), nullptr);
    for (int i = 0; i < channels_; ++i)
        chosen_[static_cast<std::size_t>(i)] = analog_[static_cast<std::size_t>(pendingTable_[i])];
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
        return -1;
    // A driver that rounded the rate quietly would record at a rate the header does not say.
    GVariant* actual = nullptr;
    if (sr_config_get(sr_dev_inst_driver_get(device_.Device), device_.Device, nullptr,
                      SR_CONF_SAMPLERATE, &actual) == SR_OK &&
        actual != nullptr) {
        const bool same = g_variant_get_uint64(actual) == rate_;
        g_variant_unref(actual);
        if (!same)
            return -1;
    }

    // The driver's ring size (a whole burst), but no more than RingSeconds of the device.
    const double seconds = options_.RingSeconds * static_cast<double>(rate_) * channels_;
    const std::size_t capacity = std::clamp<std::size_t>(
        static_cast<std::size_t>(std::min(seconds, static_cast<double>(ringSize_))), 2,
        MaxRingSamples);
    if (!ring_ || ring_->Capacity() < capacity || ring_->Capacity() >= 4 * capacity)
        ring_ = std::make_unique<SpscRing<std::uint16_t>>(capacity);
    else
        ring_->Discard();

    if (session_ == nullptr) {
        if (sr_session_new(SigrokLibrary::Instance().Context(), &session_) != SR_OK) {
            session_ = nullptr;
            return -1;
        }
        if (sr_session_dev_add(session_, device_.Device) != SR_OK ||
            sr_session_datafeed_callback_add(session_, &SigrokCard::OnPacket, this) != SR_OK)
            return -1;
    }
    stopRequested_ = false;
    overflow_ = false;
    sessionOver_ = false;
    scansPushed_ = 0;
    firstScanUs_ = 0;
    startedUs_ = 0;
    overflowed_ = false;
    startAnswered_ = false;
    thread_ = std::thread(&SigrokCard::SessionThread, this);
    int started = 0;
    {
        std::unique_lock lock(startMutex_);
        startDone_.wait(lock, [this] { return startAnswered_; });
        started = startResult_;
    }
    if (started != SR_OK) {
        JoinSession(false);
        return -1;
    }
    converting_ = true;
    Notify(NotifyConverting, 0);
    return 0;
}

void SigrokCard::SessionThread() {
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

void SigrokCard::JoinSession(bool stop) {
    if (!thread_.joinable())
        return;
    if (stop) {
        stopRequested_ = true;
        sr_session_stop(session_);
    }
    thread_.join();
}

void SigrokCard::OnPacket(const struct sr_dev_inst* /*sdi*/, const sr_datafeed_packet* packet,
                          void* self) {
    static_cast<SigrokCard*>(self)->TakePacket(packet);
}

void SigrokCard::TakePacket(const sr_datafeed_packet* packet) {
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

void SigrokCard::MoveScansToRing() {
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
        scanCodes_.resize(ready * ch);
        for (std::size_t c = 0; c < ch; ++c) {
            const float* values = pending_[c].data() + pendingTaken_[c];
            for (std::size_t s = 0; s < ready; ++s)
                scanCodes_[s * ch + c] = ValueToRaw(static_cast<double>(values[s]));
            pendingTaken_[c] += ready;
            if (pendingTaken_[c] == pending_[c].size()) {
                pending_[c].clear();
                pendingTaken_[c] = 0;
            }
        }
        ring_->Push(scanCodes_);
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
void SigrokCard::Update() {
    if (!converting_)
        return;
    if (overflow_.load(std::memory_order_acquire)) {
        converting_ = false;
        overflowed_ = true;
        Notify(NotifyOverflow, static_cast<std::int32_t>(scansPushed_.load()));
        return;
    }
    const bool over = sessionOver_.load(std::memory_order_acquire);
    const std::int64_t pushed = scansPushed_.load(std::memory_order_acquire);
    if (pushed >= scansWanted_) {
        converting_ = false;
        Notify(NotifyEnded, static_cast<std::int32_t>(pushed));
        return;
    }
    // Ended without the burst's scans and not by a stop: the device went away. What came is
    // fetched first.
    if (over && !stopRequested_ && ring_->Available() == 0) {
        converting_ = false;
        Notify(NotifyDeviceLost, static_cast<std::int32_t>(pushed));
    }
}

int SigrokCard::AdGetRingBuf(std::span<std::uint16_t> buffer, std::int32_t position,
                             std::int32_t wanted) {
    Update();
    if (!allocated_ || !ring_)
        return 0;
    if (overflowed_)
        return -1;
    if (position < 0 || static_cast<std::size_t>(position) >= buffer.size() || wanted <= 0)
        return 0;
    const std::size_t room = std::min(static_cast<std::size_t>(wanted),
                                      buffer.size() - static_cast<std::size_t>(position));
    const std::size_t got = ring_->Pop(buffer.subspan(static_cast<std::size_t>(position), room));
    if (got == 0)
        Update(); // a lost device is reported once the ring is empty
    return static_cast<int>(got);
}

double SigrokCard::HexToVal(std::uint32_t raw) {
    const auto code = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw & 0xFFFFu));
    if (code == INT16_MIN)
        return NAN;
    return code / 1000.0;
}

std::uint16_t SigrokCard::ValueToRaw(double value) {
    if (!std::isfinite(value))
        return MissingCode;
    const double mv = std::round(std::clamp(value * 1000.0, -32767.0, 32767.0));
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(mv));
}

} // namespace tavrel
