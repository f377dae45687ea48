#include "model/SDFdata.h"

#include <algorithm>

namespace tavrel {

void SDFdata::AllocateBlockBuffers() {
    const int channels = std::clamp<int>(Header.ChannelCount, 0, MaxSampledChannels);
    const auto samples = static_cast<std::size_t>(std::max<std::int32_t>(Header.SampleCount, 0));
    for (int i = 0; i < channels; ++i)
        BlockData[static_cast<std::size_t>(i)].resize(samples, 0);
    if (Header.ExtraChannelCount > 0)
        ExtraData.resize(static_cast<std::size_t>(Header.ExtraChannelCount), 0);
}

} // namespace tavrel
