#include "viewer/BurstSource.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tavrel {

BurstSource::BurstSource(const std::string& fileName) : reader_(OpenDataFileReader(fileName)) {}

std::shared_ptr<const SampleStore> BurstSource::Burst(std::int64_t k) {
    const auto found =
        std::find_if(kept_.begin(), kept_.end(), [k](const Kept& b) { return b.Index == k; });
    if (found != kept_.end()) {
        Kept hit = *found;
        kept_.erase(found);
        kept_.push_front(hit);
        return hit.Store;
    }
    const MeasurementHeader& h = reader_->Header();
    const int channels = std::max<int>(h.ChannelCount, 0);
    auto store = std::make_shared<SampleStore>();
    store->Reset(channels, std::max<std::int64_t>(h.SampleCount, 0));
    // One read of the whole burst; its buffers go when the store has the codes.
    std::array<std::vector<std::int16_t>, MaxSampledChannels> blockData;
    std::vector<std::int16_t> extraData;
    reader_->ReadBurst(k, blockData, extraData);
    for (int c = 0; c < channels && c < MaxSampledChannels; ++c) {
        store->Append(c, blockData[static_cast<std::size_t>(c)]);
        std::vector<std::int16_t>().swap(blockData[static_cast<std::size_t>(c)]);
    }
    kept_.push_front({k, store});
    if (kept_.size() > KeptBursts)
        kept_.pop_back();
    return store;
}

} // namespace tavrel
