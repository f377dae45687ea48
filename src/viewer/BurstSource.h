#pragma once

#include "datafiles/DataFileReader.h"
#include "model/SampleStore.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace tavrel {

// The bursts of one data file as the viewer draws them: a burst is read into a sample store
// when first asked for, and the last few stay, so switching between two bursts (overlay)
// reads nothing again. Memory is that of the bursts kept, whatever the file's size.
class BurstSource {
public:
    static constexpr std::size_t KeptBursts = 3;
    // The codes read at once (all channels): a long burst goes in pieces of this size.
    static constexpr std::int64_t PieceValues = 1 << 18;

    // Opens the file (its header only). Throws FileError.
    explicit BurstSource(const std::string& fileName);

    const DataFileReader& Reader() const { return *reader_; }
    const MeasurementHeader& Header() const { return reader_->Header(); }
    std::int64_t Bursts() const { return reader_->Bursts(); }
    // Takes in the bursts recorded since (a recording in progress); true when more came.
    bool Refresh() { return reader_->Refresh(); }

    // Reads the file's header and block count again (a recording in progress grows it).
    // True when either changed: Reader() is then a new one. Throws FileError.
    bool Reread();

    // Burst k (0-based, below Bursts()), its codes and summaries. Throws FileError.
    std::shared_ptr<const SampleStore> Burst(std::int64_t k);

private:
    struct Kept {
        std::int64_t Index;
        std::shared_ptr<const SampleStore> Store;
    };
    std::unique_ptr<DataFileReader> reader_;
    std::deque<Kept> kept_; // most recently used first
};

} // namespace tavrel
