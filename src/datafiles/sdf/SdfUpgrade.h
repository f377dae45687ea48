#pragma once

#include "model/ProgressReporter.h"
#include "model/SDFdata.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel {

inline constexpr std::string_view UpgradeTempName = "Qr~temp1234!";

// The temporary file of an upgrade: in the directory of fileName.
std::string UpgradeTempFileName(const std::string& fileName);

// Gives a millisecond count back as the largest of msec, sec, min, hr and days in which it is
// whole (0 gives 0 days).
void MillisecondsToUnit(std::int32_t& value, std::uint8_t& unit);

// Rewrites the sdf file of the old version (1 to 3) whose header data.Header holds as version
// 4, through the temporary file, which then replaces it in one rename; the block buffers hold
// the last block converted. False when the operator cancelled (the file stays as it was). On
// an input/output error the temporary file is removed and the progress hidden before the
// FileError goes on.
bool UpgradeSdfFile(SDFdata& data, int version, const std::string& fileName,
                    ProgressReporter& progress);

} // namespace tavrel
