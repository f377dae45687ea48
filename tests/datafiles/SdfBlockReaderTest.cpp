#include "datafiles/sdf/SdfBlockReader.h"
#include "OldSdfBuilder.h"
#include "TestSupport.h"
#include "datafiles/sdf/SdfFile.h"
#include "model/SDFdata.h"

#include <gtest/gtest.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

MeasurementHeader Counts(int channels, int extra, int samples, int bursts) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = static_cast<std::int16_t>(channels);
    h.ExtraChannelCount = static_cast<std::int16_t>(extra);
    h.SampleCount = samples;
    h.BurstCount = static_cast<std::int16_t>(bursts);
    return h;
}

std::vector<std::int16_t> Values(std::size_t n, int k) {
    std::vector<std::int16_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::int16_t>(k * 100 + static_cast<int>(i));
    return v;
}

} // namespace

TEST(SdfBlockReader, WholeAndPartialBlocksOfEveryVersion) {
    for (int version : {1, 2, 3, 4}) {
        TempDir dir;
        const MeasurementHeader h = Counts(2, 1, 10, 5); // 21 values
        std::vector<std::vector<std::int16_t>> blocks = {Values(21, 0), Values(21, 1),
                                                         Values(21, 2)};
        blocks[1][3] = 32767;
        std::string bytes = BuildSdf(version, h, blocks);
        bytes += "xyz"; // the start of a fourth block
        WriteBytes(dir.File("b.sdf"), bytes);
        SdfBlockReader reader(dir.File("b.sdf"));
        ASSERT_EQ(reader.Check(), SdfHeaderCheck::Ok) << version;
        EXPECT_EQ(reader.Decoded().Version, version);
        EXPECT_EQ(reader.BlocksPresent(), 3) << version;
        EXPECT_TRUE(reader.HasPartialBlock()) << version;
        std::vector<std::int16_t> values;
        for (int k = 0; k < 3; ++k) {
            ASSERT_TRUE(reader.NextBlock(values)) << version;
            auto expected = blocks[static_cast<std::size_t>(k)];
            if (version < 4 && k == 1)
                expected[3] = ErrorData; // the old marker
            EXPECT_EQ(values, expected) << version << " " << k;
        }
        EXPECT_FALSE(reader.NextBlock(values));
    }
}

TEST(SdfBlockReader, ExactFileHasNoPartialBlock) {
    TempDir dir;
    const MeasurementHeader h = Counts(1, 0, 300, 2);
    WriteBytes(dir.File("e.sdf"), BuildSdf(2, h, {Values(300, 0), Values(300, 1)}));
    SdfBlockReader reader(dir.File("e.sdf"));
    EXPECT_EQ(reader.BlocksPresent(), 2);
    EXPECT_FALSE(reader.HasPartialBlock());

    WriteBytes(dir.File("n.sdf"), "not an sdf file");
    SdfBlockReader other(dir.File("n.sdf"));
    EXPECT_EQ(other.Check(), SdfHeaderCheck::NotSdf);
    std::vector<std::int16_t> values;
    EXPECT_FALSE(other.NextBlock(values));
}

TEST(SdfBlockReader, ReadsWhatTheWriterWrote) {
    TempDir dir;
    SDFdata d;
    d.Header = Counts(4, 0, 4096, 12);
    d.AllocateBlockBuffers();
    const std::string name = dir.File("w.sdf");
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, name));
    for (int k = 0; k < 12; ++k) {
        for (std::size_t c = 0; c < 4; ++c)
            for (std::size_t j = 0; j < 4096; ++j)
                d.BlockData[c][j] = static_cast<std::int16_t>(k * 7 + c * 3 + j);
        WriteSdfBlock(d, name, k);
    }
    SdfBlockReader reader(name);
    EXPECT_EQ(reader.BlocksPresent(), 12);
    SDFdata back;
    back.Header = reader.Decoded().Header;
    for (int k = 0; k < 12; ++k) {
        const unsigned char* p = reader.NextBlockBytes();
        ASSERT_NE(p, nullptr);
        DecodeBlockValues(p, back.Header, back.BlockData, back.ExtraData);
    }
    EXPECT_EQ(back.BlockData[3], d.BlockData[3]);
}
