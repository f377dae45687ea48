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

int SetUpCard(AdLib32& card, CardState& state, const MeasurementHeader& header,
              const MeasurementSettings& settings) {
    if (card.AdSetParamAuto(3) != 0)
        return -1;
    static constexpr std::int16_t channelTable[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    if (card.AdSetChannel(header.ChannelCount, channelTable) != header.ChannelCount)
        return -2;
    // The driver takes the interval in 16 bits; validation keeps it within them.
    if (card.AdSetFreq(static_cast<std::uint16_t>(header.SamplingInterval),
                       settings.DriverRateUnit) != 0)
        return -3;
    if (state.RingBufferAllocated != 0) {
        card.AdFreeRingBuf();
        state.RingBufferAllocated = 0;
    }
    if (state.Converting != 0) {
        card.AdStopIrqMode();
        state.Converting = 0;
    }
    if (card.AdAllocRingBuf(settings.RingBufferSize, header.SampleCount) != 0)
        return -4;
    state.RingBufferAllocated = 1;
    if (card.AdStartIrqRingMode(0) != 0)
        return -5;
    state.Converting = 1;
    return 0;
}

std::string_view SetUpCardErrorText(int result) {
    switch (result) {
    case -1:
        return "A/D カード検出エラー";
    case -2:
        return "A/D変換チャンネル設定エラー";
    case -3:
        return "サンプリング周期設定エラー";
    case -4:
        return "リングバッファ初期化エラー";
    case -5:
        return "リングバッファモード変換開始エラー";
    default:
        return {};
    }
}

} // namespace tavrel
