#pragma once

#include "text/Message.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace tavrel {

// The driver's notification: code (low 16 bits of wParam) and count (lParam).
// 1 converting, 2 ring buffer overflow, 128 conversion ended, anything else ended abnormally.
inline constexpr int DriverNotifyMessage = 6078;
inline constexpr std::uint16_t NotifyConverting = 1;
inline constexpr std::uint16_t NotifyOverflow = 2;
inline constexpr std::uint16_t NotifyEnded = 128;
using DriverNotify = std::function<void(std::uint32_t wParam, std::int32_t lParam)>;

// The card driver's operations. The window handle of the original library is replaced by
// the notification callback; the constants (3, 0) are kept. Results as the driver gives them.
// All calls come from the one thread that runs the measurement; the callback may be invoked
// from inside any call and must only queue the notification.
class AdLib32 {
public:
    virtual ~AdLib32() = default;

    virtual void SetNotifyCallback(DriverNotify notify) = 0;

    // 0 = card found in slot; cardType 1 is a REX-5054U, anything else a REX-5054B.
    virtual int AdGetCardResource(int reserved, int slot, int& cardType, int& ioAddress,
                                  int& irq) = 0;
    virtual int AdSetParamAuto(int mode) = 0;
    // Returns count on success; channels table[0..count-1] are scanned in order.
    virtual int AdSetChannel(std::int16_t count, const std::int16_t (&table)[8]) = 0;
    // rateUnit: 0 sec, 1 msec, 2 usec.
    virtual int AdSetFreq(std::uint16_t interval, std::uint16_t rateUnit) = 0;
    virtual int AdFreeRingBuf() = 0;
    virtual int AdStopIrqMode() = 0;
    virtual int AdAllocRingBuf(std::int32_t ringSize, std::int32_t sampleCount) = 0;
    virtual int AdStartIrqRingMode(int mode) = 0;
    // -1 overflow, 0 nothing yet, n > 0: n samples stored in buffer from position on,
    // channel-interleaved scan by scan. Never writes beyond buffer.
    virtual int AdGetRingBuf(std::span<std::uint16_t> buffer, std::int32_t position,
                             std::int32_t wanted) = 0;
    // Volts of one raw sample.
    virtual double HexToVal(std::uint32_t raw) = 0;

    // Why count channels at this interval cannot be recorded (none: they can). Asked before a
    // measurement creates its file, so a device that cannot record leaves nothing written.
    // The card takes whatever the parameters' validation let through.
    virtual std::optional<Message> SetUpRefusal(std::int16_t /*count*/, std::uint16_t /*interval*/,
                                                std::uint16_t /*rateUnit*/) const {
        return std::nullopt;
    }
};

} // namespace tavrel
