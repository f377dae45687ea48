// ReadTsdHeader on any bytes; an accepted header must write and read back the same.
#include "FuzzFile.h"
#include "datafiles/FileError.h"
#include "datafiles/OpenDataFile.h"
#include "datafiles/TextNumbers.h"
#include "datafiles/TsdFile.h"

#include <cstdlib>

namespace {

class OkPrompter : public tavrel::Prompter {
public:
    tavrel::MessageAnswer ShowMessage(tavrel::MessageKind, std::string_view, tavrel::MessageButtons,
                                      int) override {
        return tavrel::MessageAnswer::Ok;
    }
};

// The sample count line (CR-ended lines: line 5 of Ver.1, line 8 of Ver.2) above 16384:
// block buffers of up to 2 GB are allowed, the fuzzer keeps to small ones.
bool HugeSampleCount(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const bool v1 = text.size() > 33 && text[33] == '1';
    std::size_t pos = 0;
    for (int line = 0; line < (v1 ? 4 : 7) && pos != std::string::npos; ++line) {
        pos = text.find('\r', pos);
        if (pos != std::string::npos)
            ++pos;
    }
    if (pos == std::string::npos)
        return false;
    while (pos < text.size() && text[pos] == '\n')
        ++pos;
    const auto n =
        tavrel::ParseInteger(text.substr(pos, text.find('\r', pos) - pos), 0, 2147483647);
    return n && *n > 16384;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (HugeSampleCount(data, size))
        return 0;
    const std::string name = tavrel::fuzz::WriteInput("in.tsd", data, size);
    tavrel::SDFdata tsd;
    OkPrompter prompter;
    if (!tavrel::OpenTsdHeader(tsd, name, prompter))
        return 0;
    const tavrel::MeasurementHeader read = tsd.Header;
    tavrel::WriteTsdHeader(tsd.Header, name);
    tavrel::SDFdata back;
    back.Header = read;
    if (!tavrel::OpenTsdHeader(back, name, prompter))
        std::abort();
    // Texts change only where the format cannot carry them (line breaks, commas in lists,
    // text beyond a quote), so compare the numbers.
    const auto& b = back.Header;
    if (b.ChannelCount != read.ChannelCount || b.ExtraChannelCount != read.ExtraChannelCount ||
        b.SampleCount != read.SampleCount || b.SamplingInterval != read.SamplingInterval ||
        b.SamplingUnit != read.SamplingUnit || b.BurstCount != read.BurstCount ||
        b.BurstUnit != read.BurstUnit || b.BurstInterval != read.BurstInterval)
        std::abort();
    return 0;
}
