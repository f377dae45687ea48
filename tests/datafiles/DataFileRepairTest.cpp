#include "datafiles/DataFileRepair.h"
#include "MeasurementFiles.h"
#include "OldSdfBuilder.h"
#include "TestSupport.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/tsd/TsdFile.h"
#include "model/FileError.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
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

TEST(DataFileRepair, OldSdfVersionsGetTheCountAtTheirOwnOffset) {
    MeasurementHeader h;
    h.ChannelCount = 1;
    h.SampleCount = 200; // 400 bytes: old blocks take two 256-byte units
    h.BurstCount = 3;
    const std::vector<std::vector<std::int16_t>> blocks(3, std::vector<std::int16_t>(200, 5));
    for (const int version : {1, 2, 3, 4}) {
        SCOPED_TRACE(version);
        TempDir dir;
        const std::string name = dir.File("old.sdf");
        const std::string whole = BuildSdf(version, h, blocks);
        const std::size_t stride = version < 4 ? 512 : 400;
        WriteBytes(name, whole.substr(0, whole.size() - stride / 2));
        const DataFileCheck c = RepairDataFile(name);
        EXPECT_EQ(c.Result, DataFileCheck::Outcome::Repairable);
        const std::string repaired = ReadBytes(name);
        EXPECT_EQ(repaired.size(), whole.size() - stride);
        EXPECT_EQ(I16(repaired, version == 1 ? 222 : 223), 2);
        // Nothing else in the header moved: the byte after the count is the old one.
        EXPECT_EQ(repaired.substr(0, 222), whole.substr(0, 222));
        EXPECT_EQ(repaired.substr(225), whole.substr(225, repaired.size() - 225));
        EXPECT_EQ(CheckDataFile(name).Result, DataFileCheck::Outcome::Consistent);
    }
}

TEST(DataFileRepair, ADamagedSdfHeaderChangesNothingUnlessForced) {
    SmallMeasurementFiles f;
    struct Case {
        const char* What;
        std::size_t At;
        unsigned char Xor;
    };
    // Each a one-byte change of a whole file of 3 blocks of 18 bytes.
    const std::vector<Case> cases = {
        {"channel count zeroed", 210, 2},        // 2 -> 0: blocks of the extra value only
        {"sample count x9 by one bit", 214, 32}, // 4 -> 36
        {"burst count a bit lower", 223, 2},     // 3 -> 1: two blocks it does not count
        {"channel count a bit higher", 210, 4},  // 2 -> 6
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        std::string damaged = f.sdfBytes;
        damaged[c.At] = static_cast<char>(damaged[c.At] ^ c.Xor);
        WriteBytes(f.sdf, damaged);
        const DataFileCheck check = RepairDataFile(f.sdf);
        EXPECT_EQ(check.Result, DataFileCheck::Outcome::Doubtful);
        EXPECT_EQ(ReadBytes(f.sdf), damaged) << "not one byte changed";
        EXPECT_EQ(f.dir.Names().size(), 2u);
        const DataFileCheck forced = RepairDataFile(f.sdf, RepairMode::Forced);
        EXPECT_EQ(forced.Result, DataFileCheck::Outcome::Doubtful);
        EXPECT_EQ(forced.Backup, f.sdf + ".bak");
        EXPECT_EQ(ReadBytes(f.sdf + ".bak"), damaged);
        EXPECT_EQ(CheckDataFile(f.sdf).Result, DataFileCheck::Outcome::Consistent);
        std::filesystem::remove(f.sdf + ".bak");
    }
}

TEST(DataFileRepair, ACountOfMoreBurstsThanWholeBlocksIsLoweredWithoutACut) {
    SmallMeasurementFiles f;
    std::string planned = f.sdfBytes;
    planned[223] = 11; // a plan of 11 bursts, 3 recorded
    WriteBytes(f.sdf, planned);
    const DataFileCheck c = RepairDataFile(f.sdf);
    EXPECT_EQ(c.Result, DataFileCheck::Outcome::Repairable);
    EXPECT_EQ(c.HeaderBursts, 11);
    EXPECT_EQ(ReadBytes(f.sdf), f.sdfBytes);
}

TEST(DataFileRepair, AForcedRepairNeverOverwritesABackup) {
    SmallMeasurementFiles f;
    std::string damaged = f.sdfBytes;
    damaged[223] = 1; // two whole blocks it does not count
    WriteBytes(f.sdf + ".bak", "mine");
    for (const char* expected : {".bak.2", ".bak.3"}) {
        WriteBytes(f.sdf, damaged);
        EXPECT_EQ(RepairDataFile(f.sdf, RepairMode::Forced).Backup, f.sdf + expected);
        EXPECT_EQ(ReadBytes(f.sdf + expected), damaged);
    }
    EXPECT_EQ(ReadBytes(f.sdf + ".bak"), "mine");
}

TEST(DataFileRepair, ATsdLineThatFitsNoBlockIsNamedNotCut) {
    SmallMeasurementFiles f;
    const std::size_t block2 = NthLineEnd(f.tsdBytes, 12 + 6); // "No.2" begins here
    struct Case {
        const char* What;
        std::string Bytes;
        std::int64_t Line;
    };
    std::string strayCr = f.tsdBytes;
    strayCr.insert(NthLineEnd(f.tsdBytes, 12 + 6 + 2) + 3, "\r"); // inside the 2nd scan line
    std::string order = f.tsdBytes;
    order[block2 + 3] = '3'; // "No.3" where "No.2" belongs
    std::string samples = f.tsdBytes;
    samples.replace(NthLineEnd(f.tsdBytes, 7), 1, "5"); // 5 scan lines a block, not 4
    std::string letter = f.tsdBytes;
    letter[NthLineEnd(f.tsdBytes, 12 + 6 + 1)] = 'x';
    const std::vector<Case> cases = {
        {"stray CR in a scan line", strayCr, 12 + 6 + 3},
        {"block numbers out of order", order, 12 + 6 + 1},
        {"sample count one more", samples, 12 + 6},
        {"a letter for a digit", letter, 12 + 6 + 2},
        // Cut in its last block, so it would have been repaired without the damage.
        {"stray CR, file cut", strayCr.substr(0, strayCr.size() - 5), 12 + 6 + 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        WriteBytes(f.tsd, c.Bytes);
        const DataFileCheck check = RepairDataFile(f.tsd);
        EXPECT_EQ(check.Result, DataFileCheck::Outcome::Doubtful);
        EXPECT_EQ(check.BadLine, c.Line);
        EXPECT_EQ(ReadBytes(f.tsd), c.Bytes);
        EXPECT_EQ(f.dir.Names().size(), 2u);
    }
}

TEST(DataFileRepair, ATsdCutInItsOnlyBlockOrPastItsCountIsDoubtful) {
    SmallMeasurementFiles f;
    std::string more = f.tsdBytes;
    more.replace(NthLineEnd(f.tsdBytes, 4), 1, "2"); // the count: 2 of 3 blocks
    const std::vector<std::string> cases = {
        f.tsdBytes.substr(0, NthLineEnd(f.tsdBytes, 12 + 3)), // 2 lines of block 1
        more,
    };
    for (const std::string& bytes : cases) {
        WriteBytes(f.tsd, bytes);
        EXPECT_EQ(RepairDataFile(f.tsd).Result, DataFileCheck::Outcome::Doubtful);
        EXPECT_EQ(ReadBytes(f.tsd), bytes);
    }
}

TEST(DataFileRepair, AFuzzedCorpusIsNeverShortenedByAWholeBlockWithoutForce) {
    SmallMeasurementFiles f;
    const std::size_t sdfBlock = 2 * (2 * 4 + 1);
    const std::size_t tsdBlock = NthLineEnd(f.tsdBytes, 12 + 12) - NthLineEnd(f.tsdBytes, 12 + 6);
    const std::size_t tsdHeader = NthLineEnd(f.tsdBytes, 12);
    struct Mutant {
        std::string Bytes;
        std::size_t Block;
        bool Tsd;
    };
    std::vector<Mutant> corpus;
    // Every bit of the sdf header and table, and a few bytes of every tsd header line and block.
    for (std::size_t at = 0; at < 512; ++at)
        for (int bit = 0; bit < 8; ++bit) {
            std::string m = f.sdfBytes;
            m[at] = static_cast<char>(m[at] ^ (1 << bit));
            corpus.push_back({m, sdfBlock, false});
        }
    for (std::size_t at = 0; at < f.tsdBytes.size(); at += (at < tsdHeader ? 1 : 3))
        for (const char c : {'0', '7', '\r', '\n', ',', '-', 'x', '\0'}) {
            std::string m = f.tsdBytes;
            m[at] = c;
            corpus.push_back({m, tsdBlock, true});
        }
    // And each cut short in its last block.
    const std::size_t whole = corpus.size();
    for (std::size_t i = 0; i < whole; i += 7) {
        const Mutant& m = corpus[i];
        corpus.push_back({m.Bytes.substr(0, m.Bytes.size() - m.Block / 2), m.Block, m.Tsd});
    }
    int changed = 0;
    std::int64_t lost = 0;
    for (std::size_t i = 0; i < corpus.size(); ++i) {
        const Mutant& m = corpus[i];
        const std::string& name = m.Tsd ? f.tsd : f.sdf;
        WriteBytes(name, m.Bytes);
        try {
            RepairDataFile(name);
        } catch (const FileError&) {
        }
        const std::string after = ReadBytes(name);
        ASSERT_LT(m.Bytes.size(), after.size() + m.Block) << i;
        changed += after != m.Bytes;
        // Only the cut files had bytes a repair may take: the rest of a burst never completed.
        if (i < whole && after.size() < m.Bytes.size()) {
            lost += static_cast<std::int64_t>(m.Bytes.size() - after.size());
        }
        ASSERT_EQ(f.dir.Names().size(), 2u) << i;
    }
    std::printf("repair: %zu cases, %d files changed, %lld bytes lost from whole files\n",
                corpus.size(), changed, static_cast<long long>(lost));
}
