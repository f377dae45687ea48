#pragma once

#include "model/ProgressReporter.h"

#include <cstdint>
#include <string>

namespace tavrel {

// Where a conversion writes before it renames the result into place: beside the output.
std::string ConversionTempName(const std::string& out);

struct SdfToTsdResult {
    enum class Outcome {
        Written,
        NotSdf,    // in is not an sdf file whose header the layout can hold
        Cancelled, // out stays as it was
    } Outcome = Outcome::Written;
    std::int64_t BurstsPlanned = 0; // the sdf header's BurstCount
    std::int64_t BlocksWritten = 0; // whole blocks present, at most BurstsPlanned
    bool PartialBlockLeftOut = false;
};

// Writes the Ver.2 tsd file of an sdf file of versions 1 to 4, as the measurement would have
// written it: the comment without its padding, version 1 intervals in their largest whole
// unit, and only the whole blocks present (the header's burst count agrees with them). The
// file is written beside out and renamed into place; in is never changed. Progress goes by
// blocks and may cancel. Throws FileError.
SdfToTsdResult ConvertSdfToTsd(const std::string& in, const std::string& out,
                               ProgressReporter& progress);

} // namespace tavrel
