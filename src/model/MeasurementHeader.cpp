#include "model/MeasurementHeader.h"

#include <string>

namespace tavrel {

int MeasurementHeader::EntryCount() const {
    const int n = int{ChannelCount} + int{ExtraChannelCount};
    return ChannelCount < 0 || ExtraChannelCount < 0 ? 0 : n;
}

MeasurementHeader DefaultMeasurementHeader() {
    MeasurementHeader h;
    for (int i = 0; i < MaxChannels; ++i) {
        h.ChannelName[static_cast<std::size_t>(i)] = "Ch." + std::to_string(i + 1);
        h.ChannelUnit[static_cast<std::size_t>(i)] = std::string_view("mV");
        h.CoefA[static_cast<std::size_t>(i)] = 1.0f;
        h.CoefB[static_cast<std::size_t>(i)] = 0.0f;
    }
    return h;
}

} // namespace tavrel
