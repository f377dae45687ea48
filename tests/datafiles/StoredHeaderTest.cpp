#include "OldSdfBuilder.h"
#include "TestSupport.h"
#include "datafiles/DataFileFormats.h"
#include "datafiles/sdf/SdfFileReader.h"
#include "datafiles/tsd/TsdFile.h"
#include "datafiles/tsd/TsdFileReader.h"
#include "model/FileError.h"

#include <gtest/gtest.h>

#include <optional>

using namespace tavrel;
using namespace tavrel::test;

namespace {

MeasurementHeader TwoChannels() {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.Comment = std::string_view("stored");
    h.ChannelCount = 2;
    h.ExtraChannelCount = 1;
    h.SampleCount = 10;
    h.BurstCount = 3;
    h.StartTime = 40000.5;
    h.ChannelName[2] = std::string_view("extra");
    h.CoefA[2] = 4.0f;
    return h;
}

std::vector<std::vector<std::int16_t>> Blocks(int count) {
    return std::vector<std::vector<std::int16_t>>(static_cast<std::size_t>(count),
                                                  std::vector<std::int16_t>(21, 7));
}

// The header onto which a file is read: its entries beyond a file's table must survive.
MeasurementHeader Onto() {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelName[5] = std::string_view("kept");
    h.CoefB[5] = -2.5f;
    return h;
}

} // namespace

TEST(StoredHeader, EachFormatReportsItsHeaderAsStored) {
    const MeasurementHeader h = TwoChannels();
    const std::string v4 = BuildSdf(4, h, Blocks(2));
    const struct {
        const char* What;
        DataFileType Type;
        std::string Bytes;
        int Version;
        bool OldLayout;
        std::optional<std::int64_t> BlocksPresent;
        bool PartialBlock;
    } cases[] = {
        {"sdf 1", DataFileType::Sdf, BuildSdf(1, h, Blocks(2)), 1, true, 2, false},
        {"sdf 2", DataFileType::Sdf, BuildSdf(2, h, Blocks(3)), 2, true, 3, false},
        {"sdf 3 cut", DataFileType::Sdf, BuildSdf(3, h, Blocks(2), false), 3, true, 2, false},
        {"sdf 4", DataFileType::Sdf, v4, 4, false, 2, false},
        {"sdf 4 partial", DataFileType::Sdf, v4 + "xyz", 4, false, 2, true},
        {"sdf 4 header only", DataFileType::Sdf, BuildSdf(4, h, {}), 4, false, 0, false},
        {"tsd 2", DataFileType::Tsd, FormatTsdHeader(h) + "No.1\r\n", 2, false, std::nullopt,
         false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const std::string file = dir.File("f");
        WriteBytes(file, c.Bytes);
        const auto stored = DataFormatOf(c.Type).ReadHeader(file, Onto());
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->Version, c.Version);
        EXPECT_EQ(stored->OldLayout, c.OldLayout);
        EXPECT_EQ(stored->BlocksPresent, c.BlocksPresent);
        EXPECT_EQ(stored->PartialBlock, c.PartialBlock);
        EXPECT_EQ(stored->Header.Comment.Str().substr(0, 6), "stored");
        EXPECT_EQ(stored->Header.ChannelCount, 2);
        EXPECT_EQ(stored->Header.ExtraChannelCount, 1);
        EXPECT_EQ(stored->Header.SampleCount, 10);
        EXPECT_EQ(stored->Header.BurstCount, 3); // what the header says, not what is there
        EXPECT_EQ(stored->Header.StartTime, 40000.5);
        EXPECT_EQ(stored->Header.ChannelName[2].Str(), "extra");
        EXPECT_EQ(stored->Header.CoefA[2], 4.0f);
        // Beyond the table: onto's entries.
        EXPECT_EQ(stored->Header.ChannelName[5].Str(), "kept");
        EXPECT_EQ(stored->Header.CoefB[5], -2.5f);
        EXPECT_EQ(ReadBytes(file), c.Bytes); // read, never rewritten
        // No other format takes the file.
        for (const DataFormat& other : DataFormats()) {
            if (other.Type != c.Type) {
                EXPECT_FALSE(other.ReadHeader(file, Onto()).has_value()) << other.Id;
            }
        }
    }
}

TEST(StoredHeader, TsdVer1IsReadAsItIsAndNoOldLayout) {
    TempDir dir;
    WriteBytes(dir.File("v1.tsd"),
               "Time Series Data Text Format Ver.1\r\n'old'\r\n1999/12/31 23:59:58\r\n"
               "250\r\n64\r\n1,2\r\n0,0.5\r\n'a','b'\r\n'V','mV'\r\n");
    const auto stored = ReadStoredTsdHeader(dir.File("v1.tsd"), Onto());
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->Version, 1);
    EXPECT_FALSE(stored->OldLayout);
    EXPECT_EQ(stored->Header.ChannelCount, 2);
    EXPECT_EQ(stored->Header.SamplingInterval, 250);
    EXPECT_EQ(stored->Header.ChannelUnit[1].Str(), "mV");
    EXPECT_FALSE(stored->BlocksPresent.has_value());
}

TEST(StoredHeader, NoHeaderIsNulloptAndAMissingFileThrows) {
    TempDir dir;
    for (const std::string& bytes :
         {std::string(), std::string("hello\r\n"), std::string(600, '\0'),
          BuildSdf(4, TwoChannels(), {}).substr(0, 280)}) {
        SCOPED_TRACE(bytes.size());
        WriteBytes(dir.File("junk"), bytes);
        EXPECT_FALSE(ReadStoredSdfHeader(dir.File("junk"), Onto()).has_value());
        EXPECT_FALSE(ReadStoredTsdHeader(dir.File("junk"), Onto()).has_value());
    }
    EXPECT_THROW(ReadStoredSdfHeader(dir.File("none.sdf"), Onto()), FileError);
    EXPECT_THROW(ReadStoredTsdHeader(dir.File("none.tsd"), Onto()), FileError);
}
