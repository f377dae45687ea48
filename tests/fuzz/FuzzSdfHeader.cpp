// The sdf header reader on any bytes, from memory: an accepted header, in the form the
// upgrade gives it, must encode and decode back the same.
#include "datafiles/io/ByteSource.h"
#include "datafiles/sdf/SdfFile.h"
#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/sdf/SdfUpgrade.h"

#include <cstdlib>
#include <cstring>

namespace {

// Equal as written: the comment comes back padded to its field, reals compare by their bits
// (NaN included).
bool SameHeader(const tavrel::MeasurementHeader& back, const tavrel::MeasurementHeader& read) {
    tavrel::MeasurementHeader expected = read;
    std::string comment = read.Comment.Str();
    comment.resize(160, ' ');
    expected.Comment = comment;
    tavrel::MeasurementHeader got = back;
    if (std::memcmp(&got.StartTime, &expected.StartTime, sizeof(double)) != 0 ||
        std::memcmp(got.CoefA.data(), expected.CoefA.data(), sizeof(float) * 33) != 0 ||
        std::memcmp(got.CoefB.data(), expected.CoefB.data(), sizeof(float) * 33) != 0)
        return false;
    got.StartTime = expected.StartTime = 0;
    got.CoefA = expected.CoefA = {};
    got.CoefB = expected.CoefB = {};
    return got == expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrel::MemorySource source({reinterpret_cast<const char*>(data), size});
    tavrel::DecodedSdfHeader decoded;
    if (tavrel::ReadSdfHeader(source, decoded) != tavrel::SdfHeaderCheck::Ok)
        return 0;
    tavrel::MeasurementHeader h = decoded.Header;
    if (!tavrel::IsStorableHeader(h))
        std::abort();
    if (decoded.Version == 1) {
        tavrel::MillisecondsToUnit(h.SamplingInterval, h.SamplingUnit);
        tavrel::MillisecondsToUnit(h.BurstInterval, h.BurstUnit);
    }
    const std::string bytes = tavrel::EncodeSdfHeader(h);
    tavrel::DecodedSdfHeader back{h, 0};
    if (tavrel::DecodeSdfHeader(bytes, back) != tavrel::SdfHeaderCheck::Ok ||
        back.Version != tavrel::SdfCurrentVersion || !SameHeader(back.Header, h))
        std::abort();
    return 0;
}
