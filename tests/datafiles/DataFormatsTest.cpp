#include "TestSupport.h"
#include "datafiles/DataFileFormats.h"
#include "datafiles/DataFileReader.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <gtest/gtest.h>

#include <set>

using namespace tavrel;
using namespace tavrel::test;

namespace {

SDFdata TwoBursts() {
    SDFdata data;
    data.Header = DefaultMeasurementHeader();
    data.Header.ChannelCount = 2;
    data.Header.SampleCount = 5;
    data.Header.BurstCount = 2;
    data.AllocateBlockBuffers();
    return data;
}

// A whole file of two bursts, written by the row's own writer.
std::string WriteWithRow(const DataFormat& row, const TempDir& dir) {
    const std::string file = dir.File(std::string("m") + std::string(row.Extensions.front()));
    SDFdata data = TwoBursts();
    const auto writer = row.MakeWriter(file);
    writer->Begin(data.Header);
    for (int k = 0; k < 2; ++k) {
        for (int c = 0; c < 2; ++c)
            for (int j = 0; j < 5; ++j)
                data.BlockData[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)] =
                    static_cast<std::int16_t>(100 * k + 10 * c + j);
        writer->AppendBlock(k, data);
    }
    writer->Release();
    return file;
}

} // namespace

TEST(DataFormats, EveryRowSniffsAndReadsBackWhatItsWriterWrote) {
    TempDir dir;
    std::set<std::string_view> ids;
    for (const DataFormat& row : DataFormats()) {
        SCOPED_TRACE(std::string(row.Id));
        EXPECT_TRUE(ids.insert(row.Id).second);
        EXPECT_EQ(&DataFormatOf(row.Type), &row);
        const std::string file = WriteWithRow(row, dir);
        EXPECT_EQ(SniffDataFile(file), &row);
        EXPECT_EQ(SniffDataFormat(ReadBytes(file)), &row);
        EXPECT_EQ(row.Check(file).Result, DataFileCheck::Outcome::Consistent);
        EXPECT_EQ(CheckDataFile(file).Result, DataFileCheck::Outcome::Consistent);
        EXPECT_LE(std::int64_t(ReadBytes(file).size()), row.PlannedBytes(TwoBursts().Header));

        const auto stored = row.ReadHeader(file, DefaultMeasurementHeader());
        ASSERT_TRUE(stored.has_value());
        EXPECT_FALSE(stored->OldLayout); // the writers write the current layout
        EXPECT_EQ(stored->Header.ChannelCount, 2);
        EXPECT_EQ(stored->Header.SampleCount, 5);
        EXPECT_EQ(stored->Header.BurstCount, 2);
        for (const auto& reader : {row.OpenReader(file), OpenDataFileReader(file)}) {
            EXPECT_EQ(reader->Type(), row.Type);
            EXPECT_EQ(reader->Version(), stored->Version);
            ASSERT_EQ(reader->Bursts(), 2);
            std::vector<std::int16_t> codes;
            reader->ReadChannel(1, 1, codes);
            EXPECT_EQ(codes, (std::vector<std::int16_t>{110, 111, 112, 113, 114}));
        }
        // Every other row refuses the file.
        for (const DataFormat& other : DataFormats())
            if (&other != &row) {
                EXPECT_FALSE(other.Sniff(ReadBytes(file)));
                EXPECT_FALSE(other.ReadHeader(file, DefaultMeasurementHeader()).has_value());
                try {
                    other.OpenReader(file);
                    ADD_FAILURE() << "opened as " << other.Id;
                } catch (const FileError& e) {
                    EXPECT_EQ(e.GetMessage(), FormatMessage);
                }
            }
    }
}

TEST(DataFormats, JunkAndCutSignaturesAreNoFormat) {
    const std::string sdf = "Standard Burst-Interval Data Format Ver.4";
    const std::string tsd = "Time Series Data Text Format Ver.2\r\n";
    const struct {
        std::string Bytes;
        const DataFormat* Expected;
    } cases[] = {
        {"", nullptr},
        {"hello\r\n", nullptr},
        {std::string(100, '\0'), nullptr},
        {sdf.substr(0, 20), nullptr},
        {tsd.substr(0, 30), nullptr},
        {"Time Series Data Text Format Ver.3\r\n", nullptr},
        {"x\r\n" + tsd, nullptr}, // the signature belongs on the first line
        {sdf, &DataFormatOf(DataFileType::Sdf)},
        {tsd, &DataFormatOf(DataFileType::Tsd)},
        {"Time Series Data Text Format Ver.1\n", &DataFormatOf(DataFileType::Tsd)},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        EXPECT_EQ(SniffDataFormat(c.Bytes), c.Expected);
        WriteBytes(dir.File("x.bin"), c.Bytes);
        EXPECT_EQ(SniffDataFile(dir.File("x.bin")), c.Expected);
        const auto check = CheckDataFile(dir.File("x.bin")).Result;
        // A signature alone makes no whole file either; junk never is one.
        EXPECT_TRUE(c.Expected || check == DataFileCheck::Outcome::NotDataFile);
    }
}

TEST(DataFormats, ExtensionsMapBackToTheirRowAndTheWindowChoiceStays) {
    for (const DataFormat& row : DataFormats())
        for (const std::string_view ext : row.Extensions) {
            std::string upper(ext);
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_EQ(DataFormatOfName("dir/a" + std::string(ext)), &row) << ext;
            EXPECT_EQ(DataFormatOfName("a" + upper), &row) << upper;
            EXPECT_EQ(DataFormatOfName("dir" + std::string(ext) + "/a"), nullptr) << ext;
        }
    EXPECT_EQ(DataFormatOfName("a.txt"), nullptr);
    EXPECT_EQ(DataFormatOfName("sdf"), nullptr);
    EXPECT_EQ(DataFileTypeOfChoice(0), DataFileType::Sdf);
    EXPECT_EQ(DataFileTypeOfChoice(1), DataFileType::Tsd);
    EXPECT_EQ(DataFileTypeOfChoice(-1), DataFileType::Sdf);
    EXPECT_EQ(DataFormatOf(DataFileType::Sdf).Extensions.front(), ".sdf");
    EXPECT_EQ(DataFormatOf(DataFileType::Tsd).Extensions.front(), ".tsd");
    // Only sdf has old layouts to upgrade.
    EXPECT_NE(DataFormatOf(DataFileType::Sdf).Upgrade, nullptr);
    EXPECT_EQ(DataFormatOf(DataFileType::Tsd).Upgrade, nullptr);
}
