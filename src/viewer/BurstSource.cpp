#include "viewer/BurstSource.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tavrel {

BurstSource::BurstSource(const std::string& fileName) : reader_(OpenDataFileReader(fileName)) {}

bool BurstSource::Reread() {
    auto reader = OpenDataFileReader(reader_->FileName());
    if (reader->Bursts() == reader_->Bursts() && reader->Header() == reader_->Header())
        return false;
    // Whole blocks never change once written: the ones kept stay good.
    reader_ = std::move(reader);
    return true;
}

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
    const std::int64_t samples = std::max<std::int64_t>(h.SampleCount, 0);
    auto store = std::make_shared<SampleStore>();
    store->Reset(channels, samples);
    // In pieces straight into the store: the burst is held once, not once more as a block.
    const std::int64_t piece = std::max<std::int64_t>(1, PieceValues / std::max(channels, 1));
    std::array<std::vector<std::int16_t>, MaxSampledChannels> blockData;
    for (std::int64_t first = 0; first < samples; first += piece) {
        const std::int64_t count = std::min(piece, samples - first);
        reader_->ReadScans(k, first, count, blockData);
        for (int c = 0; c < channels && c < MaxSampledChannels; ++c)
            store->Append(c, blockData[static_cast<std::size_t>(c)]);
    }
    kept_.push_front({k, store});
    if (kept_.size() > KeptBursts)
        kept_.pop_back();
    return store;
}

} // namespace tavrel
