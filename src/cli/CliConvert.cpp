#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

#include "datafiles/BinaryFile.h"
#include "datafiles/FileError.h"
#include "datafiles/LittleEndian.h"
#include "datafiles/RealText.h"
#include "datafiles/SDFdata.h"
#include "datafiles/SdfBlockReader.h"
#include "datafiles/SdfUpgrade.h"
#include "datafiles/TsdFile.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tavrel::cli {
namespace {

constexpr std::size_t FlushBytes = 4 << 20;

// The text of Y = A X + B for every code of one channel entry, made on first use: a block
// repeats few distinct codes, and each is formatted once.
class ValueTexts {
public:
    ValueTexts(float a, float b) : a_(a), b_(b), texts_(65536) {}

    // Appends the text of code x at out, returns the new end.
    char* Put(char* out, std::int16_t x) {
        if (x == ErrorData) {
            *out = '=';
            return out + 1;
        }
        Text& t = texts_[static_cast<std::uint16_t>(x)];
        if (t.Length == 0) {
            scratch_.clear();
            AppendGeneralReal(scratch_, static_cast<double>(x) * static_cast<double>(a_) +
                                            static_cast<double>(b_));
            t.Length = static_cast<std::uint8_t>(scratch_.size());
            std::memcpy(t.Chars, scratch_.data(), scratch_.size());
        }
        std::memcpy(out, t.Chars, t.Length);
        return out + t.Length;
    }

    // The longest text Put can give.
    static constexpr std::size_t MaxLength = 24;

private:
    struct Text {
        std::uint8_t Length = 0;
        char Chars[MaxLength];
    };
    float a_, b_;
    std::vector<Text> texts_;
    std::string scratch_;
};

int Convert(const std::string& in, const std::string& out) {
    SdfBlockReader reader(in);
    if (reader.Check() != SdfHeaderCheck::Ok)
        return Fail(in + ": not an sdf file or unreadable header (" + std::string(FormatMessage) +
                    ")");
    const int version = reader.Decoded().Version;
    MeasurementHeader h = reader.Decoded().Header;
    h.Comment.Assign(WithoutPadding(h.Comment.Bytes())); // as the measurement held it
    if (version == 1) { // the intervals as the upgrade would name them
        MillisecondsToUnit(h.SamplingInterval, h.SamplingUnit);
        MillisecondsToUnit(h.BurstInterval, h.BurstUnit);
    }
    const std::int64_t blocks = std::min<std::int64_t>(h.BurstCount, reader.BlocksPresent());
    std::string notes;
    if (reader.HasPartialBlock() && reader.BlocksPresent() < h.BurstCount)
        notes += "tavrelrex-cli: " + in + ": the partial block " +
                 std::to_string(reader.BlocksPresent() + 1) + " at the end is left out\n";
    if (blocks < h.BurstCount) {
        notes += "tavrelrex-cli: " + in + ": " + std::to_string(blocks) + " of " +
                 std::to_string(h.BurstCount) + " bursts present; the tsd header says " +
                 std::to_string(blocks) + "\n";
        h.BurstCount = static_cast<std::int16_t>(blocks); // the header agrees with the blocks
    }

    const int channels = h.ChannelCount;
    const int extra = h.ExtraChannelCount;
    std::vector<std::unique_ptr<ValueTexts>> texts;
    for (int i = 0; i < channels + extra; ++i)
        texts.push_back(std::make_unique<ValueTexts>(h.CoefA[static_cast<std::size_t>(i)],
                                                     h.CoefB[static_cast<std::size_t>(i)]));
    const std::size_t lineMax =
        static_cast<std::size_t>(std::max(channels, extra)) * (ValueTexts::MaxLength + 1) + 32;

    const std::string tempName = TemporaryNameFor(out);
    try {
        std::unique_ptr<BinaryFile> opened;
        try {
            opened = std::make_unique<BinaryFile>(tempName, BinaryFile::Mode::Create);
        } catch (const FileError&) {
            throw FileError(CannotWriteMessage(out));
        }
        BinaryFile& file = *opened;
        std::vector<char> buffer(FlushBytes + lineMax);
        char* p = buffer.data();
        auto room = [&] {
            if (static_cast<std::size_t>(p - buffer.data()) >= FlushBytes) {
                file.Write(buffer.data(), static_cast<std::size_t>(p - buffer.data()));
                p = buffer.data();
            }
        };
        const std::string headerText = FormatTsdHeader(h);
        file.Write(headerText.data(), headerText.size());
        for (std::int64_t k = 0; k < blocks; ++k) {
            const unsigned char* v = reader.NextBlockBytes();
            if (v == nullptr)
                throw FileError(EndsEarlyMessage(in));
            p += std::snprintf(p, 32, "No.%lld\r\n", static_cast<long long>(k + 1));
            for (std::int32_t j = 0; j < h.SampleCount; ++j) {
                for (int i = 0; i < channels; ++i, v += 2) {
                    if (i > 0)
                        *p++ = ',';
                    p = texts[static_cast<std::size_t>(i)]->Put(p, GetI16(v));
                }
                *p++ = '\r';
                *p++ = '\n';
                room();
            }
            if (extra > 0) {
                for (int i = 0; i < extra; ++i, v += 2) {
                    if (i > 0)
                        *p++ = ',';
                    p = texts[static_cast<std::size_t>(channels + i)]->Put(p, GetI16(v));
                }
                *p++ = '\r';
                *p++ = '\n';
            }
            room();
        }
        file.Write(buffer.data(), static_cast<std::size_t>(p - buffer.data()));
        file.Close();
        if (std::rename(tempName.c_str(), out.c_str()) != 0)
            throw FileError(CannotWriteMessage(out));
    } catch (...) {
        std::remove(tempName.c_str());
        throw;
    }
    std::fputs(notes.c_str(), stderr);
    return 0;
}

} // namespace

Command AddConvertCommand(CLI::App& app) {
    struct Options {
        std::string In, Out;
    };
    auto options = std::make_shared<Options>();
    CLI::App* sub =
        app.add_subcommand("convert", "Write the Ver.2 tsd file of an sdf file (versions 1 to 4)");
    sub->add_option("IN", options->In, "The sdf file")->required();
    sub->add_option("OUT", options->Out, "The tsd file to write")->required();
    return {sub, [options] { return Convert(options->In, options->Out); }};
}

} // namespace tavrel::cli
