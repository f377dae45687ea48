#include "datafiles/tsd/TsdRebuild.h"

#include "TestSupport.h"
#include "datafiles/io/TextLineReader.h"
#include "datafiles/tsd/TsdFile.h"
#include "datafiles/tsd/TsdFileReader.h"
#include "datafiles/tsd/TsdWriter.h"
#include "model/FileError.h"
#include "model/SDFdata.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tavrel::test {
namespace {

namespace fs = std::filesystem;

class TsdRebuildTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = (dir / "ADdata.tsd").string();
        data.Header.ChannelCount = 2;
        data.Header.SampleCount = 3;
        data.Header.BurstCount = 5;
        data.AllocateBlockBuffers();
        WriteTsdHeader(data.Header, file);
        for (int k = 0; k < 3; ++k) {
            for (int j = 0; j < 3; ++j) {
                data.BlockData[0][static_cast<std::size_t>(j)] = static_cast<std::int16_t>(k);
                data.BlockData[1][static_cast<std::size_t>(j)] = ErrorData;
            }
            TsdWriter(file).AppendBlock(k, data);
        }
    }

    TempDir temp;
    fs::path dir = temp.Path();
    std::string file;
    SDFdata data;
};

TEST_F(TsdRebuildTest, TemporaryNameReplacesTheExtension) {
    EXPECT_EQ(TsdTemporaryName("dir/ADdata.tsd"), "dir/ADdata.$$$");
    EXPECT_EQ(TsdTemporaryName("dir/ADdata"), "dir/ADdata.$$$");
}

TEST_F(TsdRebuildTest, NewHeaderThenTheBlocksItCounts) {
    data.Header.BurstCount = 2;
    RebuildTsdFile(data.Header, file);
    EXPECT_FALSE(fs::exists(dir / "ADdata.$$$"));
    const auto back = ReadStoredTsdHeader(file, DefaultMeasurementHeader());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Header.BurstCount, 2);
    const std::string text = ReadBytes(file);
    const auto block1 = text.find("No.1\r\n0,=\r\n0,=\r\n0,=\r\n");
    const std::string second = "No.2\r\n1,=\r\n1,=\r\n1,=\r\n";
    const auto block2 = text.find(second);
    ASSERT_NE(block1, std::string::npos);
    ASSERT_NE(block2, std::string::npos);
    EXPECT_EQ(block2 + second.size(), text.size()); // the third block is gone
}

TEST_F(TsdRebuildTest, FileWithFewerBlocksThanCountedStaysAsItWas) {
    const std::string before = ReadBytes(file);
    data.Header.BurstCount = 4;
    EXPECT_THROW(RebuildTsdFile(data.Header, file), FileError);
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_FALSE(fs::exists(dir / "ADdata.$$$"));
}

} // namespace
} // namespace tavrel::test
