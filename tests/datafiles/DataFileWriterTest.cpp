#include "datafiles/DataFileFormats.h"

#include "TestSupport.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/sdf/SdfFile.h"
#include "datafiles/sdf/SdfWriter.h"
#include "datafiles/tsd/TsdFile.h"
#include "datafiles/tsd/TsdWriter.h"
#include "model/FileError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace tavrel;
using namespace tavrel::test;

namespace {

SDFdata TwoChannels(int samples, int bursts) {
    SDFdata d;
    d.Header.ChannelCount = 2;
    d.Header.SampleCount = samples;
    d.Header.BurstCount = static_cast<std::int16_t>(bursts);
    d.Header.CoefA[1] = 0.5f;
    d.AllocateBlockBuffers();
    return d;
}

void FillBlock(SDFdata& d, int k) {
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t j = 0; j < d.BlockData[c].size(); ++j)
            d.BlockData[c][j] = static_cast<std::int16_t>(k * 100 + static_cast<int>(j * 2 + c));
}

} // namespace

TEST(DataFileWriter, TheChoiceNamesTheFormat) {
    EXPECT_EQ(DataFileTypeOfChoice(0), DataFileType::Sdf);
    EXPECT_EQ(DataFileTypeOfChoice(1), DataFileType::Tsd);
    EXPECT_EQ(DataFileTypeOfChoice(-1), DataFileType::Sdf); // no choice: the default
    const auto sdf = MakeDataFileWriter(DataFileType::Sdf, "a.sdf");
    const auto tsd = MakeDataFileWriter(DataFileType::Tsd, "b.tsd");
    EXPECT_NE(dynamic_cast<SdfWriter*>(sdf.get()), nullptr);
    EXPECT_NE(dynamic_cast<TsdWriter*>(tsd.get()), nullptr);
    EXPECT_EQ(sdf->FileName(), "a.sdf");
    EXPECT_EQ(tsd->FileName(), "b.tsd");
}

TEST(DataFileWriter, SdfBeginsAfreshAndCompletesToWholeBlocks) {
    TempDir dir;
    const std::string name = dir.File("m.sdf");
    WriteBytes(name, std::string(5000, 'x')); // an earlier, longer file
    SDFdata d = TwoChannels(4, 5);
    const auto writer = MakeDataFileWriter(DataFileType::Sdf, name);
    writer->Begin(d.Header);
    // No block yet: the header counts none, and then each block as it is written.
    MeasurementHeader none = d.Header;
    none.BurstCount = 0;
    EXPECT_EQ(ReadBytes(name), EncodeSdfHeader(none));
    for (int k = 0; k < 3; ++k) {
        FillBlock(d, k);
        writer->AppendBlock(k, d);
        EXPECT_EQ(I16(ReadBytes(name), 223), k + 1);
    }
    std::string bytes = ReadBytes(name);
    ASSERT_EQ(bytes.size(), 512u + 3 * 16);
    WriteBytes(name, bytes + "\x01\x02\x03"); // part of a block a failed write left
    d.Header.BurstCount = 3;
    writer->Complete(d.Header, 3);
    bytes = ReadBytes(name);
    ASSERT_EQ(bytes.size(), 512u + 3 * 16);
    EXPECT_EQ(I16(bytes, 223), 3);
    SdfBlockReader reader(name);
    ASSERT_EQ(reader.Check(), SdfHeaderCheck::Ok);
    std::vector<std::int16_t> values;
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(reader.NextBlock(values));
        EXPECT_EQ(values[0], k * 100);
        EXPECT_EQ(values[7], k * 100 + 7);
    }
}

// A block larger than the writer's piece, with three channels (pieces end inside no scan) and
// extra values: every value lands where a reader of the format expects it.
TEST(DataFileWriter, SdfWritesALargeBlockPieceByPiece) {
    TempDir dir;
    const std::string name = dir.File("large.sdf");
    SDFdata d;
    d.Header.ChannelCount = 3;
    d.Header.ExtraChannelCount = 2;
    d.Header.SampleCount = 150001; // about 900 kB a block
    d.Header.BurstCount = 2;
    d.AllocateBlockBuffers();
    d.ExtraData = {-7, 9};
    const auto writer = MakeDataFileWriter(DataFileType::Sdf, name);
    writer->Begin(d.Header);
    for (int k = 0; k < 2; ++k) {
        for (std::size_t c = 0; c < 3; ++c)
            for (std::size_t j = 0; j < d.BlockData[c].size(); ++j)
                d.BlockData[c][j] = static_cast<std::int16_t>((j * 3 + c + k * 11) % 65521 - 32000);
        writer->AppendBlock(k, d);
    }
    const std::string bytes = ReadBytes(name);
    const std::size_t header = bytes.size() - 2 * (150001 * 3 + 2) * 2;
    ASSERT_EQ(header % 256, 0u);
    for (int k = 0; k < 2; ++k) {
        const std::size_t block = header + static_cast<std::size_t>(k) * (150001 * 3 + 2) * 2;
        for (std::size_t j : {std::size_t{0}, std::size_t{43690}, std::size_t{43691},
                              std::size_t{87381}, std::size_t{150000}})
            for (std::size_t c = 0; c < 3; ++c)
                EXPECT_EQ(I16(bytes, block + (j * 3 + c) * 2),
                          static_cast<std::int16_t>(
                              (j * 3 + c + static_cast<std::size_t>(k) * 11) % 65521 - 32000))
                    << "block " << k << " scan " << j << " channel " << c;
        EXPECT_EQ(I16(bytes, block + 150001 * 3 * 2), -7);
        EXPECT_EQ(I16(bytes, block + 150001 * 3 * 2 + 2), 9);
    }
    // Byte for byte what the whole block encodes to.
    std::vector<unsigned char> whole;
    EncodeBlockValues(d, whole);
    EXPECT_EQ(bytes.substr(bytes.size() - whole.size()), std::string(whole.begin(), whole.end()));
}

TEST(DataFileWriter, TsdAppendsTheBlockTextAndCompletesThroughTheTemporaryFile) {
    TempDir dir;
    const std::string name = dir.File("m.tsd");
    SDFdata d = TwoChannels(3, 5);
    const auto writer = MakeDataFileWriter(DataFileType::Tsd, name);
    writer->Begin(d.Header);
    std::string expected = FormatTsdHeader(d.Header);
    EXPECT_EQ(ReadBytes(name), expected);
    for (int k = 0; k < 3; ++k) {
        FillBlock(d, k);
        d.BlockData[1][1] = ErrorData;
        writer->AppendBlock(k, d);
        AppendTsdBlockText(expected, d, k);
    }
    EXPECT_EQ(ReadBytes(name), expected);
    EXPECT_NE(expected.find("No.2\r\n100,50.5\r\n102,=\r\n"), std::string::npos) << expected;

    d.Header.BurstCount = 2;
    writer->Complete(d.Header, 2);
    const std::string text = ReadBytes(name);
    EXPECT_EQ(text.substr(0, FormatTsdHeader(d.Header).size()), FormatTsdHeader(d.Header));
    EXPECT_EQ(text.find("No.3"), std::string::npos);
    EXPECT_NE(text.find("No.2\r\n100,50.5\r\n"), std::string::npos);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"m.tsd"});
}

// A block of several pieces: the text is that of the whole block, one line a scan, the
// extra values last.
TEST(DataFileWriter, TsdWritesALargeBlockPieceByPiece) {
    TempDir dir;
    const std::string name = dir.File("large.tsd");
    SDFdata d;
    d.Header.ChannelCount = 3;
    d.Header.ExtraChannelCount = 1;
    d.Header.SampleCount = 100001;
    d.Header.BurstCount = 2;
    d.AllocateBlockBuffers();
    d.ExtraData = {77};
    const auto writer = MakeDataFileWriter(DataFileType::Tsd, name);
    writer->Begin(d.Header);
    std::string expected = FormatTsdHeader(d.Header);
    for (int k = 0; k < 2; ++k) {
        for (std::size_t c = 0; c < 3; ++c)
            for (std::size_t j = 0; j < d.BlockData[c].size(); ++j)
                d.BlockData[c][j] = static_cast<std::int16_t>(j % 1000 + c * 1000 + k);
        writer->AppendBlock(k, d);
        AppendTsdBlockText(expected, d, k);
    }
    const std::string text = ReadBytes(name);
    EXPECT_EQ(text, expected);
    const std::size_t second = text.find("No.2\r\n");
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(std::count(text.begin() + static_cast<std::ptrdiff_t>(second), text.end(), '\n'),
              1 + 100001 + 1);
    // Scan 43691 (in the second piece) of block 2, channels 0..2 (A = 1, B = 0), and the
    // extra value closing the block.
    EXPECT_NE(text.find("\r\n692,1692,2692\r\n", second), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "77\r\n");
}

// Samples an exact multiple of the writer's piece: the extra values close the block once.
TEST(DataFileWriter, TsdExtraValuesAfterBlocksOfWholePieces) {
    for (const int channels : {1, 4}) {
        SCOPED_TRACE(channels);
        TempDir dir;
        const std::string name = dir.File("whole.tsd");
        SDFdata d;
        d.Header.ChannelCount = static_cast<std::int16_t>(channels);
        d.Header.ExtraChannelCount = 2;
        d.Header.SampleCount = static_cast<std::int32_t>(2 * TsdWriter::PieceValues / channels);
        d.Header.BurstCount = 2;
        d.AllocateBlockBuffers();
        d.ExtraData = {-5, 6};
        for (std::size_t e = 0; e < 6; ++e) {
            d.Header.CoefA[e] = 1;
            d.Header.CoefB[e] = 0;
        }
        const auto writer = MakeDataFileWriter(DataFileType::Tsd, name);
        writer->Begin(d.Header);
        std::string expected = FormatTsdHeader(d.Header);
        for (int k = 0; k < 2; ++k) {
            writer->AppendBlock(k, d);
            AppendTsdBlockText(expected, d, k);
        }
        const std::string text = ReadBytes(name);
        EXPECT_EQ(text.size(), expected.size());
        EXPECT_TRUE(text == expected);
        const std::string extra = "\r\n-5,6\r\n";
        EXPECT_NE(text.find(extra + "No.2\r\n"), std::string::npos);
        EXPECT_EQ(text.rfind(extra), text.size() - extra.size());
    }
}

// A tsd writer on a full disk: no room for the copy a rebuild makes.
class FullDiskTsdWriter : public TsdWriter {
public:
    using TsdWriter::TsdWriter;

protected:
    std::int64_t FreeBytes() const override { return 0; }
};

TEST(DataFileWriter, TsdCompletesInPlaceOnAFullDisk) {
    for (const int planned : {40, 100}) { // "19" as long as the count, and shorter
        SCOPED_TRACE(planned);
        TempDir dir;
        const std::string name = dir.File("full.tsd");
        SDFdata d = TwoChannels(300, planned);
        FullDiskTsdWriter writer(name);
        writer.Begin(d.Header);
        std::string blocks;
        for (int k = 0; k < 19; ++k) {
            FillBlock(d, k);
            writer.AppendBlock(k, d);
            AppendTsdBlockText(blocks, d, k);
        }
        std::ofstream(name, std::ios::binary | std::ios::app) << "No.20\r\n1,2"; // cut
        d.Header.BurstCount = 19;
        writer.Complete(d.Header, 19);
        writer.Release();
        EXPECT_EQ(ReadBytes(name), FormatTsdHeader(d.Header) + blocks);
        EXPECT_EQ(dir.Names().size(), 1u);
        EXPECT_EQ(CheckDataFile(name).Result, DataFileCheck::Outcome::Consistent);
    }
}

TEST(DataFileWriter, FailuresAreFileErrors) {
    TempDir dir;
    SDFdata d = TwoChannels(3, 1);
    for (const DataFileType type : {DataFileType::Sdf, DataFileType::Tsd}) {
        const auto writer = MakeDataFileWriter(type, dir.File("no/such/dir.dat"));
        EXPECT_THROW(writer->Begin(d.Header), FileError);
        EXPECT_THROW(writer->AppendBlock(0, d), FileError);
    }
    SDFdata bad = d;
    bad.Header.ChannelCount = 40; // more than the buffers
    for (const DataFileType type : {DataFileType::Sdf, DataFileType::Tsd}) {
        const auto writer = MakeDataFileWriter(type, dir.File("bad.dat"));
        EXPECT_THROW(writer->Begin(bad.Header), FileError);
    }
    EXPECT_TRUE(dir.Names().empty());
}
