// ReadSdfHeader on any bytes, answering Yes to the upgrade question so that old layouts are
// upgraded too.
#include "FuzzFile.h"
#include "datafiles/FileError.h"
#include "datafiles/OpenDataFile.h"
#include "datafiles/SDFdata.h"
#include "datafiles/SdfFile.h"
#include "datafiles/SdfLayout.h"

#include <cstdlib>
#include <cstring>

namespace {

class YesPrompter : public tavrel::Prompter {
public:
    tavrel::MessageAnswer ShowMessage(tavrel::MessageKind, std::string_view,
                                      tavrel::MessageButtons buttons, int) override {
        return buttons == tavrel::MessageButtons::Ok ? tavrel::MessageAnswer::Ok
                                                     : tavrel::MessageAnswer::Yes;
    }
};

class NoProgress : public tavrel::ProgressReporter {
public:
    void StartProgress(std::string_view) override {}
    void SetProgress(int percent) override {
        if (percent < 0 || percent > 100)
            std::abort();
    }
    bool Cancelled() const override { return false; }
    void HideProgress() override {}
};

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
    // Block buffers of up to 2 GB are allowed; the fuzzer keeps to small ones.
    tavrel::DecodedSdfHeader decoded;
    if (tavrel::DecodeSdfHeader({reinterpret_cast<const char*>(data), size}, decoded) ==
            tavrel::SdfHeaderCheck::Ok &&
        tavrel::BlockBytes(decoded.Header) > (1 << 20))
        return 0;
    const std::string name = tavrel::fuzz::WriteInput("in.sdf", data, size);
    tavrel::SDFdata sdf;
    YesPrompter prompter;
    NoProgress progress;
    try {
        if (tavrel::OpenSdfHeader(sdf, name, prompter, progress)) {
            // What was accepted must be writable and read back the same.
            if (!tavrel::IsStorableHeader(sdf.Header))
                std::abort();
            const tavrel::MeasurementHeader read = sdf.Header;
            tavrel::WriteSdfHeader(sdf.Header, name);
            tavrel::SDFdata back;
            back.Header = read;
            if (!tavrel::OpenSdfHeader(back, name, prompter, progress) ||
                !SameHeader(back.Header, read))
                std::abort();
        }
    } catch (const tavrel::FileError&) {
        // a file too short for its blocks: reported, not a crash
    }
    return 0;
}
