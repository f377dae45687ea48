#include "datafiles/DataFileRepair.h"
#include "MeasurementFiles.h"
#include "TestSupport.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/tsd/TsdFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// The offset just after the line that contains position at (CR LF ended).
std::size_t NthLineEnd(const std::string& text, int lines) {
    std::size_t at = 0;
    for (int i = 0; i < lines; ++i)
        at = text.find("\r\n", at) + 2;
    return at;
}

} // namespace

TEST(DataFileRepair, ConsistentFilesAreLeftByteForByte) {
    SmallMeasurementFiles f;
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
    SmallMeasurementFiles f;
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
    SmallMeasurementFiles f;
    std::string behind = f.sdfBytes;
    behind[223] = 2; // killed between a block and the header that counts it
    WriteBytes(f.sdf, behind);
    const DataFileCheck c = RepairDataFile(f.sdf);
    EXPECT_EQ(c.HeaderBursts, 2);
    EXPECT_EQ(c.WholeBlocks, 3);
    EXPECT_EQ(ReadBytes(f.sdf), f.sdfBytes);
}

TEST(DataFileRepair, TsdCutAtEveryByteOfTheLastBlock) {
    SmallMeasurementFiles f;
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
