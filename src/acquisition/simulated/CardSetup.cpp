#include "acquisition/simulated/CardSetup.h"

namespace tavrel {

CardInfo DetectCard(AdLib32& card) {
    CardInfo info;
    for (int slot = 0; slot <= 4; ++slot) {
        int type = 0;
        int io = 0;
        int irq = 0;
        if (card.AdGetCardResource(0, slot, type, io, irq) == 0) {
            info.Found = true;
            info.Slot = slot;
            info.CardType = type;
            info.IoAddress = io;
            info.Irq = irq;
            break;
        }
    }
    return info;
}

std::string_view CardTypeName(int cardType) {
    return cardType == 1 ? "REX-5054U" : "REX-5054B";
}

int SetUpCard(AdLib32& card, CardState& state, const AcquisitionSetup& setup) {
    if (card.AdSetParamAuto(3) != 0)
        return -1;
    static constexpr std::int16_t channelTable[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    const auto channels = static_cast<std::int16_t>(setup.Channels);
    if (card.AdSetChannel(channels, channelTable) != channels)
        return -2;
    if (card.AdSetFreq(setup.Interval, setup.RateUnit) != 0)
        return -3;
    if (state.RingBufferAllocated != 0) {
        card.AdFreeRingBuf();
        state.RingBufferAllocated = 0;
    }
    if (state.Converting != 0) {
        card.AdStopIrqMode();
        state.Converting = 0;
    }
    // No scan count: the ring wraps and the conversion runs until it is stopped (mode 1).
    const bool continuous = setup.Scans == 0;
    if (card.AdAllocRingBuf(setup.RingSamples, continuous ? 1 : setup.Scans) != 0)
        return -4;
    state.RingBufferAllocated = 1;
    if (card.AdStartIrqRingMode(continuous ? 1 : 0) != 0)
        return -5;
    state.Converting = 1;
    return 0;
}

StartFailure StartFailureOfSetUp(int result) {
    switch (result) {
    case 0:
        return StartFailure::None;
    case -1:
        return StartFailure::Detection;
    case -2:
        return StartFailure::Channels;
    case -3:
        return StartFailure::Rate;
    case -4:
        return StartFailure::Ring;
    default:
        return StartFailure::Start;
    }
}

std::string_view SetUpCardErrorText(int result) {
    return result < 0 && result >= -5 ? FormOf(StartFailureMessage(StartFailureOfSetUp(result)).Id)
                                      : std::string_view{};
}

} // namespace tavrel
