#pragma once

#include "TestSupport.h"
#include "acquisition/AdLib32.h"

namespace tavrel::test {

// A card that answers the detection only: found in the given slot, or nowhere.
class DetectOnlyCard : public AdLib32 {
public:
    explicit DetectOnlyCard(int slot, int cardType = 1, int ioAddress = 768, int irq = 10)
        : slot_(slot), cardType_(cardType), ioAddress_(ioAddress), irq_(irq) {}

    void SetNotifyCallback(DriverNotify) override {}
    int AdGetCardResource(int, int slot, int& cardType, int& ioAddress, int& irq) override {
        ++detectCalls;
        if (slot != slot_)
            return -1;
        cardType = cardType_;
        ioAddress = ioAddress_;
        irq = irq_;
        return 0;
    }
    int AdSetParamAuto(int) override { return -1; }
    int AdSetChannel(std::int16_t, const std::int16_t (&)[8]) override { return -1; }
    int AdSetFreq(std::uint16_t, std::uint16_t) override { return -1; }
    int AdFreeRingBuf() override { return 0; }
    int AdStopIrqMode() override { return 0; }
    int AdAllocRingBuf(std::int32_t, std::int32_t) override { return -1; }
    int AdStartIrqRingMode(int) override { return -1; }
    int AdGetRingBuf(std::span<std::uint16_t>, std::int32_t, std::int32_t) override { return 0; }
    double HexToVal(std::uint32_t) override { return 0; }

    int detectCalls = 0;

private:
    int slot_, cardType_, ioAddress_, irq_;
};

} // namespace tavrel::test
