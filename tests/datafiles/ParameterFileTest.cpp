#include "datafiles/ParameterFile.h"
#include "TestSupport.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <gtest/gtest.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    return text;
}

MainEntries ThreeChannels() {
    MainEntries e = DefaultMainEntries("/opt/tavrel/");
    e.EditWaitTime = "2.5";
    e.EditIteration = "10";
    e.EditBurstInterval = "30";
    e.ComboBoxBITUnit = 1;
    e.EditSInterval = "1e2";
    e.ComboSampUnit = 2;
    e.EditDataNum = "4096";
    e.SelectChannelItem(2);
    e.GridRowCount = 4;
    e.GridCells[1] = {"0", "電圧 A", "V", "0.5", "-1"};
    e.GridCells[3] = {"2", "温度", "℃", "1E-3", "+20"};
    e.Memo1 = "it's 試験";
    e.RadioGroupFileType = 1;
    e.EditFileName = "/data/試験.tsd";
    e.ApplicationPath = "/opt/vendrask/Vendrask.EXE";
    e.Trigger = {1, 2, 1, "1,5", "", "it's", "0.25", "3"};
    return e;
}

} // namespace

TEST(ParameterFile, DefaultsGiveThirteenLines) {
    TempDir dir;
    MainEntries e = DefaultMainEntries("/d/");
    MeasurementHeader h = DefaultMeasurementHeader();
    h.Comment = std::string_view("old");
    SaveParameterFile(e, h, dir.File("default.apm"));
    // The bytes the program wrote before it knew triggers: default trigger entries add none.
    EXPECT_EQ(ReadBytes(dir.File("default.apm")),
              "0\r\n1\r\n1\r\n2\r\n100\r\n1\r\n512\r\n0\r\nCh.1,mV,1,0\r\n''\r\n0\r\n"
              "/d/ADdata.sdf\r\n\r\n");
    EXPECT_EQ(h.Comment.Str(), "");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"default.apm"}); // no temporary file left
}

TEST(ParameterFile, RoundTripOfThreeChannels) {
    TempDir dir;
    const MainEntries saved = ThreeChannels();
    MeasurementHeader h;
    h.ChannelCount = 3;
    SaveParameterFile(saved, h, dir.File("p.apm"));
    const auto lines = CrlfLines(ReadBytes(dir.File("p.apm")));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[7], "2");
    EXPECT_EQ(lines[15], "Trigger=1,2,1,'1,5','','it''s','0.25','3'");
    EXPECT_EQ(lines[8], "\x93\x64\x88\xB3 A,V,0.5,-1"); // CP932
    EXPECT_EQ(lines[11], "'it''s \x8E\x8E\x8C\xB1'");
    EXPECT_EQ(h.Comment.Str(), "it's \x8E\x8E\x8C\xB1");

    MainEntries loaded = DefaultMainEntries("/elsewhere/");
    EXPECT_TRUE(LoadParameterFile(loaded, dir.File("p.apm")));
    MainEntries expected = saved;
    expected.GridCells[1][0] = "1"; // rows are numbered from 1 on loading
    expected.GridCells[2][0] = "2";
    expected.GridCells[3][0] = "3";
    EXPECT_EQ(loaded.GridCells, expected.GridCells);
    EXPECT_EQ(loaded.ComboChNumText, "3");
    EXPECT_EQ(loaded.ComboChNumIndex, 2);
    EXPECT_EQ(loaded.GridRowCount, 4);
    EXPECT_EQ(loaded.EditWaitTime, "2.5");
    EXPECT_EQ(loaded.EditSInterval, "1e2");
    EXPECT_EQ(loaded.ComboBoxBITUnit, 1);
    EXPECT_EQ(loaded.ComboSampUnit, 2);
    EXPECT_EQ(loaded.Memo1, "it's 試験");
    EXPECT_EQ(loaded.RadioGroupFileType, 1);
    EXPECT_EQ(loaded.EditFileName, "/data/試験.tsd");
    EXPECT_EQ(loaded.ApplicationPath, "/opt/vendrask/Vendrask.EXE");
    EXPECT_EQ(loaded.Trigger, saved.Trigger);
}

// Each data format's choice: its line written, and read back as it was.
TEST(ParameterFile, EveryFileTypeRoundTrips) {
    for (const int type : {0, 1, 2}) {
        TempDir dir;
        MainEntries saved = ThreeChannels();
        saved.RadioGroupFileType = type;
        MeasurementHeader h;
        h.ChannelCount = 3;
        SaveParameterFile(saved, h, dir.File("p.apm"));
        EXPECT_EQ(CrlfLines(ReadBytes(dir.File("p.apm")))[12], std::to_string(type));
        MainEntries loaded = DefaultMainEntries("/elsewhere/");
        EXPECT_TRUE(LoadParameterFile(loaded, dir.File("p.apm"))) << type;
        EXPECT_EQ(loaded.RadioGroupFileType, type);
    }
}

TEST(ParameterFile, TypedChannelCountReadsBackWithItsRows) {
    TempDir dir;
    MainEntries e = ThreeChannels();
    e.ComboChNumIndex = 0; // "3" typed into the box: no item chosen for it
    e.ComboChNumText = "3";
    MeasurementHeader h;
    h.ChannelCount = 3;
    SaveParameterFile(e, h, dir.File("t.apm"));
    MainEntries back = DefaultMainEntries("/x/");
    EXPECT_TRUE(LoadParameterFile(back, dir.File("t.apm")));
    EXPECT_EQ(back.ComboChNumText, "3");
    EXPECT_EQ(back.GridCells[3][1], "温度");
    EXPECT_EQ(back.Memo1, "it's 試験");
}

TEST(ParameterFile, CommentLineBreaksStayOnOneLine) {
    TempDir dir;
    MainEntries e = DefaultMainEntries("/x/");
    e.Memo1 = "first\r\nsecond\nthird";
    MeasurementHeader h = DefaultMeasurementHeader();
    SaveParameterFile(e, h, dir.File("c.apm"));
    EXPECT_EQ(h.Comment.Str(), "first\r\nsecond\nthird"); // the header keeps them
    MainEntries back = DefaultMainEntries("/x/");
    EXPECT_TRUE(LoadParameterFile(back, dir.File("c.apm")));
    EXPECT_EQ(back.Memo1, "first second third");
    EXPECT_EQ(back.EditFileName, "/x/ADdata.sdf");
}

TEST(ParameterFile, SaveRefusesTextsWithoutShiftJisAndKeepsTheOldFile) {
    TempDir dir;
    WriteBytes(dir.File("p.apm"), "old\r\n");
    MainEntries e = DefaultMainEntries("/x/");
    e.Memo1 = "emoji \xF0\x9F\x98\x80";
    MeasurementHeader h = DefaultMeasurementHeader();
    h.Comment = std::string_view("kept");
    EXPECT_THROW(SaveParameterFile(e, h, dir.File("p.apm")), FileError);
    EXPECT_EQ(ReadBytes(dir.File("p.apm")), "old\r\n");
    EXPECT_EQ(h.Comment.Str(), "kept");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"p.apm"});
    EXPECT_THROW(SaveParameterFile(DefaultMainEntries("/x/"), h, dir.File("no/dir/p.apm")),
                 FileError);
}

TEST(ParameterFile, LinesMissingAtTheEndReadAsEmpty) {
    TempDir dir;
    WriteBytes(dir.File("s.apm"), Join({"5", "2", "3", "0", "50", "0", "1024"}));
    MainEntries e = ThreeChannels();
    EXPECT_TRUE(LoadParameterFile(e, dir.File("s.apm")));
    EXPECT_EQ(e.EditWaitTime, "5");
    EXPECT_EQ(e.EditIteration, "2");
    EXPECT_EQ(e.EditBurstInterval, "3");
    EXPECT_EQ(e.ComboBoxBITUnit, 0);
    EXPECT_EQ(e.EditSInterval, "50");
    EXPECT_EQ(e.ComboSampUnit, 0);
    EXPECT_EQ(e.EditDataNum, "1024");
    // The channel count line is missing: the rows stay as they are laid out.
    const MainEntries untouched = ThreeChannels();
    EXPECT_EQ(e.ComboChNumIndex, untouched.ComboChNumIndex);
    EXPECT_EQ(e.GridCells, untouched.GridCells);
    EXPECT_EQ(e.Memo1, "");
    EXPECT_EQ(e.RadioGroupFileType, -1);
    EXPECT_EQ(e.EditFileName, "");
    EXPECT_EQ(e.ApplicationPath, "");

    // Ending inside the channel rows: the rows present are taken, the rest are empty.
    WriteBytes(dir.File("r.apm"), Join({"0", "1", "1", "2", "100", "1", "512", "1", "a,b,2,3"}));
    MainEntries r = DefaultMainEntries("/x/");
    EXPECT_TRUE(LoadParameterFile(r, dir.File("r.apm")));
    EXPECT_EQ(r.GridRowCount, 3);
    EXPECT_EQ(r.GridCells[1], (MainEntries::GridRow{"1", "a", "b", "2", "3"}));
    EXPECT_EQ(r.GridCells[2], (MainEntries::GridRow{"2", "", "", "", ""}));
}

TEST(ParameterFile, EveryLineAfterTheFirstMayBeMissing) {
    const std::vector<std::string> full = {
        "7",   "1",   "1",      "2",       "100",
        "1",   "512", "1",      "a,b,1,0", "c,d,1,0",
        "'x'", "1",   "/d.tsd", "/app",    "Trigger=1,3,2,'-1','0.1','50','1','0'"};
    for (std::size_t kept = 1; kept <= full.size(); ++kept) {
        TempDir dir;
        WriteBytes(dir.File("k.apm"),
                   Join(std::vector<std::string>(full.begin(), full.begin() + kept)));
        MainEntries e = ThreeChannels();
        e.EditFileName = "/old/path.sdf";
        e.ApplicationPath = "/old/app";
        ASSERT_TRUE(LoadParameterFile(e, dir.File("k.apm"))) << kept;
        EXPECT_EQ(e.EditWaitTime, "7");
        EXPECT_EQ(e.EditIteration, kept > 1 ? "1" : "") << kept;
        EXPECT_EQ(e.EditDataNum, kept > 6 ? "512" : "") << kept;
        EXPECT_EQ(e.ComboBoxBITUnit, kept > 3 ? 2 : -1) << kept;
        EXPECT_EQ(e.ComboSampUnit, kept > 5 ? 1 : -1) << kept;
        EXPECT_EQ(e.Memo1, kept > 10 ? "x" : "") << kept;
        EXPECT_EQ(e.RadioGroupFileType, kept > 11 ? 1 : -1) << kept;
        // A file ending after the file-type line empties the data path, never keeps the old one.
        EXPECT_EQ(e.EditFileName, kept > 12 ? "/d.tsd" : "") << kept;
        EXPECT_EQ(e.ApplicationPath, kept > 13 ? "/app" : "") << kept;
        // A file from before triggers measures on the schedule, whatever was set.
        const TriggerEntries trigger{1, 3, 2, "-1", "0.1", "50", "1", "0"};
        EXPECT_EQ(e.Trigger, kept > 14 ? trigger : TriggerEntries{}) << kept;
    }
    TempDir dir;
    WriteBytes(dir.File("empty.apm"), "");
    MainEntries e = ThreeChannels();
    EXPECT_FALSE(LoadParameterFile(e, dir.File("empty.apm")));
    EXPECT_EQ(e.EditWaitTime, ThreeChannels().EditWaitTime);
}

TEST(ParameterFile, MalformedFileAppliesNothing) {
    const std::vector<std::string> good = {
        "0",  "1",   "1",      "2",       "100",
        "1",  "512", "1",      "a,b,1,0", "c,d,1,0",
        "''", "0",   "/d.sdf", "",        "Trigger=1,0,0,'0','','0','0','0'"};
    {
        TempDir dir;
        WriteBytes(dir.File("g.apm"), Join(good));
        MainEntries e = DefaultMainEntries("/x/");
        EXPECT_TRUE(LoadParameterFile(e, dir.File("g.apm")));
    }
    const std::vector<std::pair<std::size_t, std::string>> cases = {
        {3, ""},
        {3, "hr"},
        {5, "1.0"},
        {7, "4"},
        {7, "-1"},
        {7, ""},
        {10, "no quotes"},
        {10, "'"},
        {11, "3"},
        {11, "tsd"},
        {3, "7"},
        {3, "-1"},
        {5, "3"},
        {5, "-1"},
        {11, "-1"},
        {14, "Trigger=2,0,0,'0','','0','0','0'"},
        {14, "Trigger=1,4,0,'0','','0','0','0'"},
        {14, "Trigger=1,0,3,'0','','0','0','0'"},
        {14, "Trigger=-1,0,0,'0','','0','0','0'"},
        {14, "Trigger=1,0,0,'0','','0','0'"},
        {14, "Trigger=1,0,0,'0','','0','0','0',''"},
        {14, "Trigger=1,0,0,0,'','0','0','0'"},
        {14, "Trigger=1,0,0,'0','','0','0','0"},
        {14, "Trigger:1,0,0,'0','','0','0','0'"},
        {14, "x"},
    };
    for (const auto& [lineIndex, text] : cases) {
        TempDir dir;
        auto lines = good;
        lines[lineIndex] = text;
        WriteBytes(dir.File("m.apm"), Join(lines));
        MainEntries e = ThreeChannels();
        EXPECT_FALSE(LoadParameterFile(e, dir.File("m.apm"))) << lineIndex << " " << text;
        EXPECT_EQ(e.EditWaitTime, "2.5") << lineIndex;
        EXPECT_EQ(e.GridCells, ThreeChannels().GridCells) << lineIndex;
        EXPECT_EQ(e.ComboChNumIndex, 2) << lineIndex;
        EXPECT_EQ(e.Trigger, ThreeChannels().Trigger) << lineIndex;
    }
    // An index naming no item of a unit box is refused: it would keep the old unit unseen.
    TempDir dir;
    auto lines = good;
    lines[3] = "9";
    WriteBytes(dir.File("i.apm"), Join(lines));
    MainEntries e = ThreeChannels();
    EXPECT_FALSE(LoadParameterFile(e, dir.File("i.apm")));
    EXPECT_EQ(e.ComboBoxBITUnit, 1);
    EXPECT_THROW(LoadParameterFile(e, dir.File("none.apm")), FileError);
}

TEST(ParameterFile, HeaderIntoEntries) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = 3;
    h.SampleCount = 300;
    h.SamplingInterval = 5;
    h.BurstCount = 7;
    h.BurstInterval = 90;
    h.CoefA[2] = 1.5e-7f;
    h.CoefB[2] = 0.1f;
    h.ChannelName[2] = std::string_view("\x89\xB7\x93\x78"); // 温度
    h.ChannelUnit[2] = std::string_view("V");
    h.Comment = std::string_view("note");
    MainEntries e = DefaultMainEntries("/x/");
    e.EditWaitTime = "9";
    e.RadioGroupFileType = 1;
    std::uint16_t rate = 1;
    PutHeaderInEntries(h, e, rate);
    EXPECT_EQ(e.EditIteration, "7");
    EXPECT_EQ(e.EditBurstInterval, "90");
    EXPECT_EQ(e.EditSInterval, "5");
    EXPECT_EQ(e.EditDataNum, "300");
    EXPECT_EQ(e.ComboChNumText, "3");
    EXPECT_EQ(e.ComboChNumIndex, 2);
    EXPECT_EQ(e.GridRowCount, 4);
    EXPECT_EQ(e.GridCells[1], (MainEntries::GridRow{"1", "Ch.1", "mV", "1", "0"}));
    EXPECT_EQ(e.GridCells[3], (MainEntries::GridRow{"3", "温度", "V", "1.5E-7", "0.1"}));
    EXPECT_EQ(e.Memo1, "note");
    // What a header does not hold stays.
    EXPECT_EQ(e.EditWaitTime, "9");
    EXPECT_EQ(e.RadioGroupFileType, 1);
    EXPECT_EQ(e.EditFileName, "/x/ADdata.sdf");
}

TEST(ParameterFile, HeaderUnitsIntoTheBoxesAndTheDriver) {
    // The sampling box offers sec, msec and usec (codes 2, 1, 0), the driver's rate unit
    // counting them as the box does; another unit keeps the driver's and the box shows that.
    // The burst box offers sec, min and hr (codes 2 to 4); another unit selects nothing.
    const struct {
        std::uint8_t SamplingUnit, BurstUnit;
        std::uint16_t RateBefore, RateAfter;
        int SampItem, BitItem;
    } cases[] = {
        {0, 2, 1, 2, 2, 0},  {1, 3, 0, 1, 1, 1},  {2, 4, 1, 0, 0, 2},  {3, 1, 0, 0, 0, -1},
        {5, 5, 2, 2, 2, -1}, {1, 0, 7, 1, 1, -1}, {3, 4, 7, 7, -1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int{c.SamplingUnit});
        MeasurementHeader h = DefaultMeasurementHeader();
        h.SamplingUnit = c.SamplingUnit;
        h.BurstUnit = c.BurstUnit;
        MainEntries e = DefaultMainEntries("/x/");
        std::uint16_t rate = c.RateBefore;
        PutHeaderInEntries(h, e, rate);
        EXPECT_EQ(rate, c.RateAfter);
        EXPECT_EQ(e.ComboSampUnit, c.SampItem);
        EXPECT_EQ(e.ComboBoxBITUnit, c.BitItem);
    }
}

TEST(ParameterFile, ChannelCountsTheWindowCannotShowAreRefused) {
    for (const int count : {-1, 0, 1, 2, 3, 4, 5, 32}) {
        MeasurementHeader h = DefaultMeasurementHeader();
        h.ChannelCount = static_cast<std::int16_t>(count);
        const auto refusal = ChannelCountRefusal(h);
        if (count >= 1 && count <= MaxChannels) {
            EXPECT_FALSE(refusal.has_value()) << count;
        } else {
            ASSERT_TRUE(refusal.has_value()) << count;
            EXPECT_EQ(*refusal, ChannelCountNotShownMessage(count));
        }
    }
}
