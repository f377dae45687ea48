#include "ui/DataFileDialogue.h"
#include "BadHeaders.h"
#include "MeasurementFiles.h"
#include "OldSdfBuilder.h"
#include "TestSupport.h"
#include "datafiles/DataFileFormats.h"
#include "datafiles/MainEntries.h"
#include "datafiles/io/LittleEndian.h"
#include "datafiles/sdf/SdfFile.h"
#include "datafiles/tsd/TsdFile.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <gtest/gtest.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

const DataFormat& Sdf() {
    return DataFormatOf(DataFileType::Sdf);
}

const DataFormat& Tsd() {
    return DataFormatOf(DataFileType::Tsd);
}

// An sdf file of the old version with four bursts of 100 values.
std::string OldSdf(int version, int bursts = 4) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.SampleCount = 100;
    h.BurstCount = static_cast<std::int16_t>(bursts);
    h.SamplingInterval = 100;
    h.BurstInterval = 3600000;
    h.StartTime = 36000.75;
    return BuildSdf(version, h,
                    std::vector<std::vector<std::int16_t>>(static_cast<std::size_t>(bursts),
                                                           std::vector<std::int16_t>(100, 3)));
}

} // namespace

TEST(DataFileDialogue, EveryBadHeaderIsRefusedWithTheFormatMessage) {
    std::vector<std::pair<const DataFormat*, BadHeader>> cases;
    for (const auto& c : BadSdfHeaders())
        cases.push_back({&Sdf(), c});
    for (const auto& c : BadTsdHeaders())
        cases.push_back({&Tsd(), c});
    for (const auto& [row, c] : cases) {
        const auto& [what, bytes] = c;
        TempDir dir;
        WriteBytes(dir.File("bad"), bytes);
        SDFdata d;
        d.Header.SampleCount = 77;
        RecordingPrompter prompter;
        RecordingProgress progress;
        EXPECT_FALSE(OpenDataFileHeader(d, *row, dir.File("bad"), prompter, progress)) << what;
        ASSERT_EQ(prompter.Messages.size(), 1u) << what;
        EXPECT_EQ(prompter.Messages[0].Text, "フォーマットが違います。");
        EXPECT_EQ(prompter.Messages[0].Kind, MessageKind::Error);
        EXPECT_EQ(prompter.Messages[0].Buttons, MessageButtons::Ok);
        EXPECT_EQ(prompter.Messages[0].HelpContext, 2);
        EXPECT_EQ(d.Header.SampleCount, 77) << what;
        EXPECT_TRUE(progress.Calls.empty());
        EXPECT_EQ(ReadBytes(dir.File("bad")), bytes) << what;
    }
}

TEST(DataFileDialogue, AFileOfAnotherFormatThanItsNameIsRefused) {
    TempDir dir;
    WriteBytes(dir.File("a.sdf"), GoodTsdHeader);
    SDFdata d;
    RecordingPrompter prompter;
    RecordingProgress progress;
    EXPECT_FALSE(OpenDataFileHeader(d, Sdf(), dir.File("a.sdf"), prompter, progress));
    ASSERT_EQ(prompter.Messages.size(), 1u);
    EXPECT_EQ(prompter.Messages[0].Sent, FormatMessage);
    EXPECT_EQ(d.Header, SDFdata().Header);
}

TEST(DataFileDialogue, CurrentLayoutsOpenWithoutAQuestionAndSizeTheBlockBuffers) {
    MeasurementHeader three = DefaultMeasurementHeader();
    three.ChannelCount = 3;
    three.ExtraChannelCount = 2;
    three.SampleCount = 100;
    MeasurementHeader two = DefaultMeasurementHeader();
    two.ChannelCount = 2;
    two.SampleCount = 3;
    const struct {
        const char* What;
        const DataFormat& Row;
        std::string Bytes;
        int Channels, Samples, Extra;
    } cases[] = {
        {"sdf 4", Sdf(), EncodeSdfHeader(three), 3, 100, 2},
        {"tsd 2", Tsd(), FormatTsdHeader(two), 2, 3, 0},
        {"tsd 1", Tsd(),
         "Time Series Data Text Format Ver.1\r\n'old'\r\n1999/12/31 23:59:58\r\n"
         "250\r\n64\r\n1,2,3\r\n0,0,0.5\r\n'a','b','c'\r\n'V','V','mV'\r\n1,2,3\r\n",
         3, 64, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TempDir dir;
        WriteBytes(dir.File("f"), c.Bytes);
        SDFdata d;
        RecordingPrompter prompter;
        RecordingProgress progress;
        ASSERT_TRUE(OpenDataFileHeader(d, c.Row, dir.File("f"), prompter, progress));
        EXPECT_TRUE(prompter.Messages.empty());
        EXPECT_TRUE(progress.Calls.empty());
        EXPECT_EQ(d.Header.ChannelCount, c.Channels);
        EXPECT_EQ(d.BlockData[static_cast<std::size_t>(c.Channels - 1)].size(),
                  static_cast<std::size_t>(c.Samples));
        EXPECT_EQ(d.ExtraData.size(), static_cast<std::size_t>(c.Extra));
        EXPECT_EQ(ReadBytes(dir.File("f")), c.Bytes);
    }
}

TEST(DataFileDialogue, AMissingFileIsAnError) {
    TempDir dir;
    for (const DataFormat& row : DataFormats()) {
        SDFdata d;
        RecordingPrompter prompter;
        RecordingProgress progress;
        EXPECT_THROW(OpenDataFileHeader(d, row, dir.File("none"), prompter, progress), FileError);
        EXPECT_TRUE(prompter.Messages.empty());
    }
}

TEST(DataFileDialogue, OldLayoutDeclinedChangesNothing) {
    TempDir dir;
    const std::string bytes = EditedSdfHeader([](unsigned char* p, std::string&) {
        p[40] = '3';
        PutI16(p + 223, 0);
    });
    WriteBytes(dir.File("old.sdf"), bytes);
    SDFdata d;
    d.Header.SampleCount = 5;
    RecordingPrompter prompter;
    prompter.Answer = MessageAnswer::No;
    RecordingProgress progress;
    EXPECT_FALSE(OpenDataFileHeader(d, Sdf(), dir.File("old.sdf"), prompter, progress));
    ASSERT_EQ(prompter.Messages.size(), 1u);
    EXPECT_EQ(prompter.Messages[0].Text, "データの形式が旧式です。更新してよろしいですか。");
    EXPECT_EQ(prompter.Messages[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(d.Header.SampleCount, 5);
    EXPECT_EQ(ReadBytes(dir.File("old.sdf")), bytes);
}

TEST(DataFileDialogue, OldLayoutAskedOnceThenUpgraded) {
    TempDir dir;
    const std::string name = dir.File("v1.sdf");
    WriteBytes(name, OldSdf(1));
    SDFdata d;
    RecordingPrompter prompter;
    RecordingProgress progress;
    ASSERT_TRUE(OpenDataFileHeader(d, Sdf(), name, prompter, progress));
    ASSERT_EQ(prompter.Messages.size(), 1u);
    EXPECT_EQ(prompter.Messages[0].Sent, OldLayoutQuestion);
    EXPECT_EQ(prompter.Messages[0].Kind, MessageKind::Confirmation);
    EXPECT_EQ(prompter.Messages[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(progress.Percents, (std::vector<int>{0, 25, 50, 75}));
    EXPECT_EQ(d.Header.BurstInterval, 1); // 3,600,000 msec named as 1 hr
    EXPECT_EQ(d.Header.BurstUnit, 4);
    EXPECT_EQ(d.BlockData[0].size(), 100u);
    EXPECT_EQ(ReadBytes(name).substr(0, 41), "Standard Burst-Interval Data Format Ver.4");
    // The result reads as version 4 without a question.
    RecordingPrompter again;
    SDFdata back;
    ASSERT_TRUE(OpenDataFileHeader(back, Sdf(), name, again, progress));
    EXPECT_TRUE(again.Messages.empty());
    EXPECT_EQ(back.Header.BurstUnit, 4);
}

TEST(DataFileDialogue, ACancelledUpgradeLeavesTheFileAndTheHeaderAsRead) {
    TempDir dir;
    const std::string name = dir.File("c.sdf");
    const std::string before = OldSdf(2);
    WriteBytes(name, before);
    SDFdata d;
    d.Header.SampleCount = 9;
    RecordingPrompter prompter;
    RecordingProgress progress;
    progress.CancelAt = 50;
    EXPECT_FALSE(OpenDataFileHeader(d, Sdf(), name, prompter, progress));
    EXPECT_EQ(prompter.Messages.size(), 1u);
    EXPECT_EQ(progress.Calls.back(), "hide");
    EXPECT_EQ(ReadBytes(name), before);
    EXPECT_EQ(d.Header.SampleCount, 100); // the header as read
    EXPECT_EQ(d.Header.BurstCount, 4);
}

TEST(DataFileDialogue, TheRepairIsOfferedOnlyForAnInconsistentFile) {
    SmallMeasurementFiles f;
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

TEST(DataFileDialogue, ParametersFromDataFiles) {
    TempDir dir;
    SDFdata d;
    d.Header.ChannelCount = 2;
    d.Header.SampleCount = 300;
    d.Header.SamplingInterval = 5;
    d.Header.SamplingUnit = 0; // usec
    d.Header.BurstCount = 7;
    d.Header.BurstInterval = 90;
    d.Header.BurstUnit = 2; // sec
    d.Header.CoefA[1] = 1.5e-7f;
    d.Header.CoefB[1] = 0.1f;
    d.Header.ChannelName[1] = std::string_view("\x89\xB7\x93\x78"); // 温度
    d.Header.Comment = std::string_view("note");
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, dir.File("m.sdf")));
    ASSERT_NO_THROW(WriteTsdHeader(d.Header, dir.File("m.TSD")));

    for (const char* name : {"m.sdf", "m.TSD"}) {
        MainEntries e = DefaultMainEntries("/x/");
        e.EditWaitTime = "9";
        SDFdata target;
        std::uint16_t rate = 1;
        // Headers without their blocks: the repair is offered, and declined here.
        RecordingPrompter prompter(MessageAnswer::No);
        RecordingProgress progress;
        ASSERT_TRUE(LoadParametersFromDataFile(e, target, rate, dir.File(name), prompter, progress))
            << name;
        EXPECT_EQ(e.EditIteration, "7");
        EXPECT_EQ(e.EditBurstInterval, "90");
        EXPECT_EQ(e.EditSInterval, "5");
        EXPECT_EQ(e.EditDataNum, "300");
        EXPECT_EQ(e.ComboBoxBITUnit, 0);
        EXPECT_EQ(rate, 2);
        EXPECT_EQ(e.ComboSampUnit, 2);
        EXPECT_EQ(e.ComboChNumText, "2");
        EXPECT_EQ(e.GridRowCount, 3);
        EXPECT_EQ(e.GridCells[2], (MainEntries::GridRow{"2", "温度", "mV", "1.5E-7", "0.1"}));
        EXPECT_EQ(e.EditWaitTime, "9");
        EXPECT_EQ(e.EditFileName, "/x/ADdata.sdf");
        EXPECT_EQ(e.Memo1.substr(0, 4), "note");
        ASSERT_EQ(prompter.Messages.size(), 1u);
        EXPECT_EQ(prompter.Messages[0].Text,
                  "データファイルの内容がヘッダーと一致しません。修復してよろしいですか。");
        EXPECT_EQ(target.Header.BurstCount, 7); // declined: the header's count stays
        EXPECT_EQ(target.BlockData[1].size(), 300u);
    }
    // Accepted: the file is mended and the parameters say what it holds.
    {
        MainEntries e = DefaultMainEntries("/x/");
        SDFdata target;
        std::uint16_t rate = 1;
        RecordingPrompter yes(MessageAnswer::Yes);
        RecordingProgress progress;
        ASSERT_TRUE(LoadParametersFromDataFile(e, target, rate, dir.File("m.sdf"), yes, progress));
        EXPECT_EQ(e.EditIteration, "0");
        EXPECT_EQ(target.Header.BurstCount, 0);
        EXPECT_EQ(yes.Messages.size(), 1u);
        RecordingPrompter again;
        ASSERT_TRUE(
            LoadParametersFromDataFile(e, target, rate, dir.File("m.sdf"), again, progress));
        EXPECT_TRUE(again.Messages.empty());
    }

    // A sampling unit the box does not offer keeps the driver's unit.
    d.Header.SamplingUnit = 3;
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, dir.File("min.sdf")));
    MainEntries e = DefaultMainEntries("/x/");
    SDFdata target;
    std::uint16_t rate = 0;
    RecordingPrompter prompter(MessageAnswer::No);
    RecordingProgress progress;
    ASSERT_TRUE(
        LoadParametersFromDataFile(e, target, rate, dir.File("min.sdf"), prompter, progress));
    EXPECT_EQ(rate, 0);
    EXPECT_EQ(e.ComboSampUnit, 0);
    // A name of no data format does nothing, whatever the file holds.
    const std::size_t asked = prompter.Messages.size();
    std::filesystem::copy_file(dir.File("min.sdf"), dir.File("m.apm"));
    EXPECT_FALSE(
        LoadParametersFromDataFile(e, target, rate, dir.File("m.apm"), prompter, progress));
    EXPECT_EQ(prompter.Messages.size(), asked);
}

TEST(DataFileDialogue, DataFileWithTooManyChannelsIsRefused) {
    TempDir dir;
    SDFdata d;
    d.Header.ChannelCount = 5;
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, dir.File("five.sdf")));
    d.Header.ChannelCount = 0;
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, dir.File("none.sdf")));
    for (const char* name : {"five.sdf", "none.sdf"}) {
        MainEntries e = DefaultMainEntries("/x/");
        const MainEntries before = e;
        SDFdata target;
        target.Header.SampleCount = 42;
        const MeasurementHeader saved = target.Header;
        std::uint16_t rate = 1;
        RecordingPrompter prompter;
        RecordingProgress progress;
        EXPECT_FALSE(
            LoadParametersFromDataFile(e, target, rate, dir.File(name), prompter, progress));
        // Refused before the repair is offered.
        ASSERT_EQ(prompter.Messages.size(), 1u);
        EXPECT_EQ(prompter.Messages[0].Kind, MessageKind::Error);
        EXPECT_NE(prompter.Messages[0].Text.find("チャンネル数"), std::string::npos);
        EXPECT_EQ(e.GridCells, before.GridCells);
        EXPECT_EQ(e.EditDataNum, before.EditDataNum);
        EXPECT_EQ(target.Header.SampleCount, 42);
        EXPECT_EQ(target.Header, saved);
        EXPECT_EQ(target.BlockData[0].size(), 42u); // sized again for the header restored
        EXPECT_EQ(rate, 1);
    }
}
