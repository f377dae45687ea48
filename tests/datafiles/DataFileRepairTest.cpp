#include "datafiles/DataFileRepair.h"
#include "MeasurementFiles.h"
#include "TestSupport.h"
#include "datafiles/OpenDataFile.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/tsd/TsdFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// Two channels of 4 scans and an extra value, 3 bursts: small blocks, every byte tried.
SDFdata Measurement() {
    SDFdata d;
    d.Header.ChannelCount = 2;
    d.Header.ExtraChannelCount = 1;
    d.Header.SampleCount = 4;
    d.Header.BurstCount = 3;
    d.AllocateBlockBuffers();
    return d;
}

void Fill(SDFdata& d, int k) {
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t j = 0; j < 4; ++j)
            d.BlockData[c][j] = static_cast<std::int16_t>(k * 1000 + 10 * static_cast<int>(j) +
                                                          static_cast<int>(c));
    d.ExtraData.assign(1, static_cast<std::int16_t>(-k));
}

struct Files {
    TempDir dir;
    std::string sdf = dir.File("m.sdf"), tsd = dir.File("m.tsd");
    std::string sdfBytes, tsdBytes;
    Files() {
        WriteSdfAndTsd(Measurement(), sdf, tsd, 3, Fill);
        sdfBytes = ReadBytes(sdf);
        tsdBytes = ReadBytes(tsd);
    }
};

// The offset just after the line that contains position at (CR LF ended).
std::size_t NthLineEnd(const std::string& text, int lines) {
    std::size_t at = 0;
    for (int i = 0; i < lines; ++i)
        at = text.find("\r\n", at) + 2;
    return at;
}

} // namespace

TEST(DataFileRepair, ConsistentFilesAreLeftByteForByte) {
    Files f;
    for (const std::string& name : {f.sdf, f.tsd}) {
        struct stat before {};
        ASSERT_EQ(::stat(name.c_str(), &before), 0);
        const DataFileCheck c = RepairDataFile(name);
        EXPECT_EQ(c.Result, DataFileCheck::Outcome::Consistent) << name;
        EXPECT_EQ(c.WholeBlocks, 3);
        struct stat after {};
        ASSERT_EQ(::stat(name.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << "not replaced";
    }
    EXPECT_EQ(ReadBytes(f.sdf), f.sdfBytes);
    EXPECT_EQ(ReadBytes(f.tsd), f.tsdBytes);
}

TEST(DataFileRepair, SdfCutAtEveryByteOfTheLastBlock) {
    Files f;
    const std::size_t block = 2 * (2 * 4 + 1);
    const std::size_t start = f.sdfBytes.size() - block;
    for (std::size_t cut = start; cut < f.sdfBytes.size(); ++cut) {
        WriteBytes(f.sdf, f.sdfBytes.substr(0, cut));
        EXPECT_EQ(CheckDataFile(f.sdf).Result, DataFileCheck::Outcome::Repairable) << cut;
        const DataFileCheck c = RepairDataFile(f.sdf);
        EXPECT_EQ(c.HeaderBursts, 3);
        EXPECT_EQ(c.WholeBlocks, 2);
        EXPECT_EQ(c.ExtraBytes, static_cast<std::int64_t>(cut - start));
        const std::string repaired = ReadBytes(f.sdf);
        ASSERT_EQ(repaired.size(), start) << cut;
        EXPECT_EQ(I16(repaired, 223), 2);
        // Everything but the count is as it was.
        EXPECT_EQ(repaired.substr(225), f.sdfBytes.substr(225, start - 225));
        EXPECT_EQ(CheckDataFile(f.sdf).Result, DataFileCheck::Outcome::Consistent);
        EXPECT_EQ(f.dir.Names().size(), 2u) << "no temporary file left";
    }
}

TEST(DataFileRepair, SdfHeaderBehindItsBlocksIsBroughtUp) {
    Files f;
    std::string behind = f.sdfBytes;
    behind[223] = 2; // killed between a block and the header that counts it
    WriteBytes(f.sdf, behind);
    const DataFileCheck c = RepairDataFile(f.sdf);
    EXPECT_EQ(c.HeaderBursts, 2);
    EXPECT_EQ(c.WholeBlocks, 3);
    EXPECT_EQ(ReadBytes(f.sdf), f.sdfBytes);
}

TEST(DataFileRepair, TsdCutAtEveryByteOfTheLastBlock) {
    Files f;
    // The header (12 lines) and two whole blocks of 1 + 4 + 1 lines each.
    const std::size_t twoBlocks = NthLineEnd(f.tsdBytes, 12 + 2 * 6);
    MeasurementHeader twoHeader;
    {
        MemorySource source(f.tsdBytes);
        int version = 0;
        ASSERT_TRUE(ReadTsdHeader(source, twoHeader, version));
    }
    twoHeader.BurstCount = 2;
    const std::string expected =
        FormatTsdHeader(twoHeader) +
        f.tsdBytes.substr(NthLineEnd(f.tsdBytes, 12), twoBlocks - NthLineEnd(f.tsdBytes, 12));
    for (std::size_t cut = twoBlocks; cut + 2 < f.tsdBytes.size(); ++cut) {
        WriteBytes(f.tsd, f.tsdBytes.substr(0, cut));
        const DataFileCheck c = RepairDataFile(f.tsd);
        EXPECT_EQ(c.HeaderBursts, 3) << cut;
        EXPECT_EQ(c.WholeBlocks, 2) << cut;
        EXPECT_EQ(ReadBytes(f.tsd), expected) << cut;
        EXPECT_EQ(CheckDataFile(f.tsd).Result, DataFileCheck::Outcome::Consistent) << cut;
        EXPECT_EQ(f.dir.Names().size(), 2u) << "no temporary file left";
    }
    // Cut inside the final CR LF: the last line has ended at its CR.
    WriteBytes(f.tsd, f.tsdBytes.substr(0, f.tsdBytes.size() - 1));
    EXPECT_EQ(RepairDataFile(f.tsd).WholeBlocks, 3);
}

TEST(DataFileRepair, OtherFilesAreNotDataFiles) {
    TempDir dir;
    WriteBytes(dir.File("x.txt"), "hello\r\n");
    EXPECT_EQ(RepairDataFile(dir.File("x.txt")).Result, DataFileCheck::Outcome::NotDataFile);
    EXPECT_EQ(ReadBytes(dir.File("x.txt")), "hello\r\n");
}

TEST(DataFileRepair, TheRepairIsOfferedOnlyForAnInconsistentFile) {
    Files f;
    const std::size_t start = f.sdfBytes.size() - 18;
    WriteBytes(f.sdf, f.sdfBytes.substr(0, start + 5));
    RecordingPrompter no(MessageAnswer::No);
    EXPECT_FALSE(OfferDataFileRepair(f.sdf, no).has_value());
    ASSERT_EQ(no.Messages.size(), 1u);
    EXPECT_EQ(no.Messages[0].Text,
              "データファイルの内容がヘッダーと一致しません。修復してよろしいですか。");
    EXPECT_EQ(no.Messages[0].Kind, MessageKind::Confirmation);
    EXPECT_EQ(no.Messages[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(ReadBytes(f.sdf).size(), start + 5); // declined: left as it is

    RecordingPrompter yes(MessageAnswer::Yes);
    EXPECT_EQ(OfferDataFileRepair(f.sdf, yes), std::optional<std::int64_t>(2));
    EXPECT_EQ(ReadBytes(f.sdf).size(), start);

    WriteBytes(f.tsd, f.tsdBytes.substr(0, f.tsdBytes.size() - 7));
    RecordingPrompter tsdYes(MessageAnswer::Yes);
    EXPECT_EQ(OfferDataFileRepair(f.tsd, tsdYes), std::optional<std::int64_t>(2));
    EXPECT_EQ(tsdYes.Messages.size(), 1u);
    // A consistent file asks nothing.
    RecordingPrompter none;
    EXPECT_FALSE(OfferDataFileRepair(f.tsd, none).has_value());
    EXPECT_TRUE(none.Messages.empty());
}
