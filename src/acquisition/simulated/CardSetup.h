#pragma once

#include "acquisition/Device.h"
#include "acquisition/simulated/AdLib32.h"

#include <string_view>

namespace tavrel {

// Flags of the card's state, kept for the whole run of the program.
struct CardState {
    int Converting = 0;          // 1 while a burst's conversion runs
    int RingBufferAllocated = 0; // 1 while the driver holds a ring buffer
};

struct CardInfo {
    bool Found = false;
    int Slot = -1;
    int CardType = 0;
    int IoAddress = 0;
    int Irq = 0;
};

// Tries slots 0 to 4 in order until one answers 0.
CardInfo DetectCard(AdLib32& card);

// "REX-5054U" for type 1, otherwise "REX-5054B".
std::string_view CardTypeName(int cardType);

// Configures the card for the next burst and starts the conversion: 0 started, or -1 to -5
// for the first failing call (AdSetParamAuto, AdSetChannel, AdSetFreq, AdAllocRingBuf,
// AdStartIrqRingMode).
int SetUpCard(AdLib32& card, CardState& state, const AcquisitionSetup& setup);

// The step a SetUpCard result failed at.
StartFailure StartFailureOfSetUp(int result);

// The error text of a SetUpCard result (-1 to -5); empty otherwise.
std::string_view SetUpCardErrorText(int result);

} // namespace tavrel
