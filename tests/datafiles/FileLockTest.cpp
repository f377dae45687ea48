#include "datafiles/io/FileLock.h"

#include "TestSupport.h"
#include "datafiles/DataFileFormats.h"
#include "datafiles/DataFileReader.h"
#include "datafiles/DataFileRepair.h"
#include "datafiles/io/AtomicReplace.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tavrel;
using namespace tavrel::test;

namespace {

SDFdata Measurement() {
    SDFdata d;
    d.Header.ChannelCount = 2;
    d.Header.SampleCount = 4;
    d.Header.BurstCount = 6;
    d.AllocateBlockBuffers();
    return d;
}

void Fill(SDFdata& d, int k) {
    for (auto& channel : d.BlockData)
        for (std::size_t j = 0; j < channel.size(); ++j)
            channel[j] = static_cast<std::int16_t>(k * 10 + static_cast<int>(j));
}

// Runs f and gives the message id of the FileError it threw (Verbatim when none).
MessageId ThrownId(const std::function<void()>& f) {
    try {
        f();
    } catch (const FileError& e) {
        return e.GetMessage().Id;
    }
    return MessageId::Verbatim;
}

bool WriteText(const std::string& tempName) {
    WriteBytes(tempName, "replaced");
    return true;
}

} // namespace

TEST(FileLock, HeldAgainstEveryOtherOpenAndGoneWithIt) {
    TempDir dir;
    const std::string name = dir.File("a.sdf");
    EXPECT_FALSE(FileLock(name).Held()) << "no file, nothing held";
    WriteBytes(name, "x");
    {
        const FileLock first(name);
        EXPECT_TRUE(first.Held());
        // The same process counts as another holder: the window's writes meet its recording.
        EXPECT_EQ(ThrownId([&] { FileLock second(name); }), MessageId::DataFileInUse);
    }
    EXPECT_TRUE(FileLock(name).Held());
    EXPECT_FALSE(FileLock(dir.File("")).Held()) << "a directory is no file to lock";
}

TEST(FileLock, ARecordingKeepsEveryBlockWhileOthersTryToWriteItsFile) {
    for (const DataFileType type : {DataFileType::Sdf, DataFileType::Tsd}) {
        SCOPED_TRACE(type == DataFileType::Sdf ? "sdf" : "tsd");
        TempDir dir;
        const std::string name = dir.File(type == DataFileType::Sdf ? "m.sdf" : "m.tsd");
        SDFdata d = Measurement();
        const auto writer = MakeDataFileWriter(type, name);
        writer->Begin(d.Header);
        const std::vector<std::pair<const char*, std::function<void()>>> writes = {
            {"repair", [&] { RepairDataFile(name); }},
            {"forced repair", [&] { RepairDataFile(name, RepairMode::Forced); }},
            {"replace",
             [&] { ReplaceFileAtomically(name, "t", WriteText, CannotWriteMessage(name)); }},
            {"lock", [&] { FileLock lock(name); }},
        };
        for (int k = 0; k < 6; ++k) {
            Fill(d, k);
            writer->AppendBlock(k, d);
            const auto& [what, write] = writes[static_cast<std::size_t>(k) % writes.size()];
            EXPECT_EQ(ThrownId(write), MessageId::DataFileInUse) << what << k;
            // Reading never takes the lock.
            EXPECT_NE(CheckDataFile(name).Result, DataFileCheck::Outcome::NotDataFile) << k;
        }
        writer->Complete(d.Header, 6);
        writer->Release();
        EXPECT_EQ(dir.Names().size(), 1u) << "no temporary file, no backup";
        const auto reader = OpenDataFileReader(name);
        ASSERT_EQ(reader->Header().BurstCount, 6);
        std::vector<std::int16_t> values;
        for (int k = 0; k < 6; ++k) {
            SCOPED_TRACE(k);
            ASSERT_NO_THROW(reader->ReadChannel(k, 1, values));
            ASSERT_EQ(values.size(), 4u);
            EXPECT_EQ(values[3], k * 10 + 3);
        }
    }
}

TEST(FileLock, AReplacementNeverLandsOnAFileBegunMeanwhile) {
    TempDir dir;
    const std::string name = dir.File("out.sdf");
    SDFdata d = Measurement();
    const auto writer = MakeDataFileWriter(DataFileType::Sdf, name);
    // The name is free when the replacement begins; a recording takes it while it writes.
    EXPECT_EQ(ThrownId([&] {
                  ReplaceFileAtomically(
                      name, "t",
                      [&](const std::string& tempName) {
                          writer->Begin(d.Header);
                          return WriteText(tempName);
                      },
                      CannotWriteMessage(name));
              }),
              MessageId::DataFileInUse);
    Fill(d, 0);
    writer->AppendBlock(0, d);
    writer->Release();
    EXPECT_EQ(CheckDataFile(name).WholeBlocks, 1);
    EXPECT_EQ(dir.Names().size(), 1u);
    // Free again: replaced as before.
    EXPECT_TRUE(ReplaceFileAtomically(name, "t", WriteText, CannotWriteMessage(name)));
    EXPECT_EQ(ReadBytes(name), "replaced");
}
