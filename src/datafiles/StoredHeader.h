#pragma once

#include "model/MeasurementHeader.h"

#include <cstdint>
#include <optional>

namespace tavrel {

// A data file's header as the file stores it, with what the file's size shows: an old layout
// is reported, never upgraded here, as whether to upgrade is the caller's question.
struct StoredHeader {
    int Version = 0;
    // A layout of an earlier version that the format's Upgrade rewrites; only a format with an
    // Upgrade reports one.
    bool OldLayout = false;
    MeasurementHeader Header;
    // Whole blocks behind the header, for a format whose blocks all have one size; PartialBlock
    // when bytes of a further, incomplete block follow them.
    std::optional<std::int64_t> BlocksPresent;
    bool PartialBlock = false;
};

} // namespace tavrel
