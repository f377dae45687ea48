#include "datafiles/sdf/SdfToTsd.h"

#include "MeasurementFiles.h"
#include "OldSdfBuilder.h"
#include "TestSupport.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <gtest/gtest.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

SDFdata Measurement(int bursts) {
    SDFdata d;
    MeasurementHeader& h = d.Header;
    h.Comment = std::string_view("conv");
    h.ChannelCount = 3;
    h.ExtraChannelCount = 1;
    h.SampleCount = 7;
    h.BurstCount = static_cast<std::int16_t>(bursts);
    h.CoefA[1] = 0.125f;
    h.CoefB[2] = -4;
    h.CoefA[3] = 3;
    d.AllocateBlockBuffers();
    return d;
}

// Block k: distinct codes, one of them error data, and the extra value k.
void FillBlock(SDFdata& d, int k) {
    for (std::size_t v = 0; v < 21; ++v) // scan v / 3 of channel v % 3
        d.BlockData[v % 3][v / 3] = static_cast<std::int16_t>(k * 1000 - 300 + 13 * v);
    d.BlockData[2][4] = ErrorData;
    d.ExtraData = {static_cast<std::int16_t>(k)};
}

void WriteBoth(const std::string& sdf, const std::string& tsd, int bursts) {
    WriteSdfAndTsd(Measurement(bursts), sdf, tsd, bursts, FillBlock);
}

} // namespace

TEST(SdfToTsd, WritesWhatTheMeasurementWrites) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 4);
    RecordingProgress progress;
    const SdfToTsdResult r = ConvertSdfToTsd(dir.File("m.sdf"), dir.File("out.tsd"), progress);
    EXPECT_EQ(r.Outcome, SdfToTsdResult::Outcome::Written);
    EXPECT_EQ(r.BlocksWritten, 4);
    EXPECT_EQ(r.BurstsPlanned, 4);
    EXPECT_FALSE(r.PartialBlockLeftOut);
    EXPECT_EQ(ReadBytes(dir.File("out.tsd")), ReadBytes(dir.File("m.tsd")));
    EXPECT_EQ(progress.Percents, (std::vector<int>{0, 25, 50, 75}));
    EXPECT_EQ(progress.Calls.back(), "hide");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.tsd.part~")));
}

TEST(SdfToTsd, MissingBlocksAreLeftOutAndTheHeaderAgrees) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 2);
    std::string bytes = ReadBytes(dir.File("m.sdf"));
    bytes[223] = 5; // the header plans five bursts
    WriteBytes(dir.File("m.sdf"), bytes + "\x01\x02");
    RecordingProgress progress;
    const SdfToTsdResult r = ConvertSdfToTsd(dir.File("m.sdf"), dir.File("out.tsd"), progress);
    EXPECT_EQ(r.BlocksWritten, 2);
    EXPECT_EQ(r.BurstsPlanned, 5);
    EXPECT_TRUE(r.PartialBlockLeftOut);
    // The tsd the measurement wrote says two bursts as well.
    EXPECT_EQ(ReadBytes(dir.File("out.tsd")), ReadBytes(dir.File("m.tsd")));
}

TEST(SdfToTsd, OldVersionsNameTheirUnits) {
    TempDir dir;
    MeasurementHeader h = DefaultMeasurementHeader();
    h.SampleCount = 2;
    h.BurstCount = 1;
    h.SamplingInterval = 2000; // version 1: milliseconds
    h.BurstInterval = 0;
    WriteBytes(dir.File("v1.sdf"), BuildSdf(1, h, {{5, 32767}}));
    RecordingProgress progress;
    ConvertSdfToTsd(dir.File("v1.sdf"), dir.File("v1.tsd"), progress);
    const auto lines = CrlfLines(ReadBytes(dir.File("v1.tsd")));
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[3], "2 sec");
    EXPECT_EQ(lines[5], "0 days");
    EXPECT_EQ(lines[13], "5");
    EXPECT_EQ(lines[14], "=");
}

TEST(SdfToTsd, RefusalsCancelsAndFailuresLeaveNoOutput) {
    TempDir dir;
    WriteBytes(dir.File("text.sdf"), "not an sdf file");
    RecordingProgress progress;
    EXPECT_EQ(ConvertSdfToTsd(dir.File("text.sdf"), dir.File("o.tsd"), progress).Outcome,
              SdfToTsdResult::Outcome::NotSdf);
    EXPECT_THROW(ConvertSdfToTsd(dir.File("none.sdf"), dir.File("o.tsd"), progress), FileError);

    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 4);
    WriteBytes(dir.File("o.tsd"), "earlier");
    progress.CancelAt = 50;
    EXPECT_EQ(ConvertSdfToTsd(dir.File("m.sdf"), dir.File("o.tsd"), progress).Outcome,
              SdfToTsdResult::Outcome::Cancelled);
    EXPECT_EQ(ReadBytes(dir.File("o.tsd")), "earlier");
    EXPECT_EQ(progress.Calls.back(), "hide");

    progress.CancelAt = -1;
    try {
        ConvertSdfToTsd(dir.File("m.sdf"), dir.File("no/dir/o.tsd"), progress);
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), Japanese(CannotWriteMessage(dir.File("no/dir/o.tsd"))));
    }
    auto names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"m.sdf", "m.tsd", "o.tsd", "text.sdf"}));
}
