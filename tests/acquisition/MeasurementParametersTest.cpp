#include "acquisition/MeasurementParameters.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace tavrel;
using tavrel::test::RecordingPrompter;

namespace {

constexpr const char* ConversionMessage = "バースト／サンプリング時間間隔は整数で設定して下さい。";

struct Fixture : ::testing::Test {
    MainEntries entries = DefaultMainEntries("/data/");
    SDFdata data;
    MeasurementSettings settings;
    RecordingPrompter prompter;

    bool Validate(int scansDone = 0) {
        return ValidateParameters(entries, data, settings, prompter, scansDone);
    }
    void SetChannels(int n) {
        entries.SelectChannelItem(n - 1);
        ASSERT_TRUE(ComboChNumChange(entries, data.Header));
    }
    // Exactly one error box with an OK button.
    void ExpectOneError(const std::string& text) {
        ASSERT_EQ(prompter.Messages.size(), 1u);
        EXPECT_EQ(prompter.Messages[0].Kind, MessageKind::Error);
        EXPECT_EQ(prompter.Messages[0].Buttons, MessageButtons::Ok);
        EXPECT_EQ(prompter.Messages[0].Text, text);
    }
};

using ValidateParametersTest = Fixture;

} // namespace

TEST_F(ValidateParametersTest, TheDefaults) {
    ASSERT_TRUE(Validate());
    EXPECT_TRUE(prompter.Messages.empty());
    EXPECT_EQ(data.Header, DefaultMeasurementHeader());
    EXPECT_EQ(settings.DataFileName, "/data/ADdata.sdf");
    EXPECT_EQ(settings.WaitTime, 0);
    EXPECT_EQ(settings.BurstIntervalMs, 3600000);
    EXPECT_DOUBLE_EQ(settings.BurstIntervalDays, 1.0 / 24);
    EXPECT_EQ(settings.DriverRateUnit, 1);
    EXPECT_EQ(settings.RingBufferSize, 544);
    EXPECT_EQ(settings.ChartTimeUnit, "sec");
    EXPECT_DOUBLE_EQ(settings.ChartTimeScale, 0.1);
    EXPECT_EQ(settings.SampleBuffer.size(), 512u);
    EXPECT_EQ(data.BlockData[0].size(), 512u);
}

TEST_F(ValidateParametersTest, ChartTimeUnit) {
    struct Case {
        const char* samples;
        const char* interval;
        int sampUnitIndex; // 0 sec, 1 msec, 2 usec
        const char* unit;
        double scale;
    };
    const Case cases[] = {
        {"1000", "1", 2, "usec", 1},       // 1 msec: one msec is too few
        {"3600", "1", 0, "min", 1.0 / 60}, // one hour: "hr" gives 1
        {"600", "1", 0, "min", 1.0 / 60},  // exactly 10 min
        {"599", "1", 0, "sec", 1},         //
        {"10000", "1", 1, "sec", 0.001},   // exactly 10 s
        {"5", "1", 0, "sec", 1},           // shorter than 10 units: the sampling unit
        {"3", "2", 1, "msec", 2},          // likewise, one interval is 2 msec
        {"2000000", "65535", 0, "yr", 65535.0 / 31536000}, // product beyond 32 bits
        {"512", "100", 1, "sec", 0.1},
    };
    for (const Case& c : cases) {
        entries.EditDataNum = c.samples;
        entries.EditSInterval = c.interval;
        entries.ComboSampUnit = c.sampUnitIndex;
        entries.RadioGroupFileType = 1; // the big case is too big for an sdf file
        ASSERT_TRUE(Validate()) << c.samples;
        EXPECT_EQ(settings.ChartTimeUnit, c.unit) << c.samples << " x " << c.interval;
        EXPECT_DOUBLE_EQ(settings.ChartTimeScale, c.scale) << c.samples << " x " << c.interval;
        EXPECT_EQ(settings.DriverRateUnit, c.sampUnitIndex);
        EXPECT_EQ(data.Header.SamplingUnit, 2 - c.sampUnitIndex);
    }
}

TEST_F(ValidateParametersTest, BurstIntervalInMilliseconds) {
    entries.EditBurstInterval = "2";
    entries.ComboBoxBITUnit = 1; // min
    ASSERT_TRUE(Validate());
    EXPECT_EQ(data.Header.BurstUnit, 3);
    EXPECT_EQ(settings.BurstIntervalMs, 120000);
    EXPECT_DOUBLE_EQ(settings.BurstIntervalDays, 120000.0 / 86400000);
    entries.EditBurstInterval = "596"; // the longest that fits 32-bit milliseconds in hours
    entries.ComboBoxBITUnit = 2;
    ASSERT_TRUE(Validate());
    EXPECT_EQ(settings.BurstIntervalMs, 2145600000);
}

TEST_F(ValidateParametersTest, AFailedConversionKeepsTheEarlierSteps) {
    entries.EditFileName = "/other/run.tsd";
    entries.EditWaitTime = "2.5";
    entries.SelectChannelItem(1);
    entries.EditDataNum = "1000";
    entries.EditIteration = "3";
    entries.EditBurstInterval = "5";
    entries.ComboBoxBITUnit = 1;
    entries.EditSInterval = "1.5";
    entries.ComboSampUnit = 2;
    entries.Memo1 = "new comment";
    ASSERT_FALSE(Validate());
    ExpectOneError(ConversionMessage);
    EXPECT_EQ(settings.DataFileName, "/other/run.tsd");
    EXPECT_EQ(settings.WaitTime, 2.5);
    EXPECT_EQ(data.Header.ChannelCount, 2);
    EXPECT_EQ(data.Header.SampleCount, 1000);
    EXPECT_EQ(data.Header.BurstCount, 3);
    EXPECT_EQ(data.Header.BurstInterval, 5);
    EXPECT_EQ(data.Header.BurstUnit, 3);
    // From the failed step on, the previous values stay.
    EXPECT_EQ(data.Header.SamplingInterval, 100);
    EXPECT_EQ(data.Header.SamplingUnit, 1);
    EXPECT_EQ(settings.DriverRateUnit, 1);
    EXPECT_EQ(settings.BurstIntervalMs, 3600000);
    EXPECT_TRUE(data.Header.Comment.Empty());
    EXPECT_EQ(settings.RingBufferSize, 544);
    EXPECT_TRUE(settings.SampleBuffer.empty());
}

TEST_F(ValidateParametersTest, WhatDoesNotConvert) {
    struct Case {
        std::string MainEntries::*field;
        const char* text;
    };
    const Case cases[] = {
        {&MainEntries::EditWaitTime, "abc"},       {&MainEntries::EditWaitTime, ""},
        {&MainEntries::EditWaitTime, "1,5"},       {&MainEntries::EditWaitTime, "inf"},
        {&MainEntries::EditWaitTime, "1e999"},     {&MainEntries::ComboChNumText, "1.0"},
        {&MainEntries::EditDataNum, "12a"},        {&MainEntries::EditDataNum, ""},
        {&MainEntries::EditDataNum, "2147483648"}, {&MainEntries::EditDataNum, "1e3"},
        {&MainEntries::EditIteration, "+-1"},      {&MainEntries::EditIteration, "0x10"},
        {&MainEntries::EditBurstInterval, "1 0"},  {&MainEntries::EditSInterval, "1.5"},
        {&MainEntries::EditWaitTime, "nan"},       {&MainEntries::EditWaitTime, "+"},
        {&MainEntries::EditDataNum, " \t "},       {&MainEntries::EditDataNum, "++1"},
    };
    for (const Case& c : cases) {
        MainEntries e = DefaultMainEntries("/data/");
        e.*c.field = c.text;
        RecordingPrompter p;
        EXPECT_FALSE(ValidateParameters(e, data, settings, p, 0)) << c.text;
        ASSERT_EQ(p.Messages.size(), 1u) << c.text;
        EXPECT_EQ(p.Messages[0].Text, ConversionMessage);
    }
}

TEST_F(ValidateParametersTest, NumbersAsTyped) {
    entries.EditWaitTime = " -0.5e1 ";
    entries.EditDataNum = "+0100";
    entries.EditSInterval = " 7";
    entries.GridCells[1][3] = "0.1";
    entries.GridCells[1][4] = "-2.5E-3";
    ASSERT_TRUE(Validate());
    EXPECT_EQ(settings.WaitTime, -5.0);
    EXPECT_EQ(data.Header.SampleCount, 100);
    EXPECT_EQ(data.Header.SamplingInterval, 7);
    EXPECT_EQ(data.Header.CoefA[0], 0.1f); // rounded to single precision
    EXPECT_EQ(data.Header.CoefB[0], -2.5e-3f);
}

TEST_F(ValidateParametersTest, AnEmptyCoefficientOnAVisibleRowOnly) {
    entries.GridCells[2][3] = ""; // row 2 is hidden with one channel
    ASSERT_TRUE(Validate());
    entries.GridCells[1][3] = "";
    EXPECT_FALSE(Validate());
    ExpectOneError(ConversionMessage);
}

TEST_F(ValidateParametersTest, HiddenRowsComeBackWithTheirTexts) {
    SetChannels(3);
    EXPECT_EQ(entries.GridRowCount, 4);
    EXPECT_EQ(data.Header.ChannelCount, 3);
    ASSERT_TRUE(Validate());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(data.Header.ChannelName[i].Str(), "Ch." + std::to_string(i + 1));
        EXPECT_EQ(data.Header.ChannelUnit[i].Str(), "mV");
        EXPECT_EQ(data.Header.CoefA[i], 1.0f);
        EXPECT_EQ(data.Header.CoefB[i], 0.0f);
    }
    EXPECT_EQ(settings.RingBufferSize, 3 * 512 + 32);
    EXPECT_EQ(settings.SampleBuffer.size(), 3u * 512);

    entries.GridCells[3][1] = "圧力";
    SetChannels(1);
    EXPECT_EQ(entries.GridRowCount, 2);
    SetChannels(4);
    EXPECT_EQ(entries.GridCells[3][1], "圧力");
    EXPECT_EQ(entries.GridCells[4][1], "Ch.4");
    ASSERT_TRUE(Validate());
    EXPECT_EQ(data.Header.ChannelName[2].Str(), "\x88\xB3\x97\xCD"); // CP932
}

TEST_F(ValidateParametersTest, TheChannelBoxTakesOnlyWhatTheWindowOffers) {
    for (const char* text : {"x", "", "0", "5", "-1", "65537"}) {
        MainEntries e = entries;
        e.ComboChNumText = text;
        EXPECT_FALSE(ComboChNumChange(e, data.Header)) << text;
        EXPECT_EQ(e.GridRowCount, 2);
        EXPECT_EQ(data.Header.ChannelCount, 1);
    }
    entries.ComboChNumText = " 2";
    EXPECT_TRUE(ComboChNumChange(entries, data.Header));
    EXPECT_EQ(entries.GridRowCount, 3);
}

TEST_F(ValidateParametersTest, TextsAreTakenAsShiftJisAndCut) {
    entries.Memo1 = "a";
    for (int i = 0; i < 100; ++i)
        entries.Memo1 += "あ";
    entries.GridCells[1][1] = "温度センサー１２３";
    ASSERT_TRUE(Validate());
    EXPECT_EQ(data.Header.Comment.Size(), 159u); // 160 would split a character
    EXPECT_EQ(data.Header.ChannelName[0].Size(), 16u);

    entries.Memo1 = "\xF0\x9F\x98\x80"; // no CP932 form
    EXPECT_FALSE(Validate());
    ExpectOneError("コメントにShift-JISで表せない文字が含まれています。");
    prompter.Messages.clear();
    entries.Memo1.clear();
    entries.GridCells[1][2] = "\xF0\x9F\x98\x80";
    EXPECT_FALSE(Validate());
    ExpectOneError("チャンネル1の単位にShift-JISで表せない文字が含まれています。");
}

TEST_F(ValidateParametersTest, OutOfRangeValuesAreRefusedAndNothingIsTaken) {
    struct Case {
        void (*change)(MainEntries&);
        const char* message;
    };
    const Case cases[] = {
        {[](MainEntries& e) { e.ComboChNumText = "0"; },
         "チャンネル数は1～4の整数で設定して下さい。"},
        {[](MainEntries& e) { e.ComboChNumText = "5"; },
         "チャンネル数は1～4の整数で設定して下さい。"},
        {[](MainEntries& e) { e.ComboChNumText = "65537"; },
         "チャンネル数は1～4の整数で設定して下さい。"},
        {[](MainEntries& e) { e.EditDataNum = "0"; }, "データ数は1以上の整数で設定して下さい。"},
        {[](MainEntries& e) { e.EditSInterval = "0"; },
         "サンプリング時間間隔は1～65535の整数で設定して下さい。"},
        {[](MainEntries& e) { e.EditSInterval = "65536"; },
         "サンプリング時間間隔は1～65535の整数で設定して下さい。"},
        {[](MainEntries& e) { e.EditIteration = "0"; },
         "バースト回数は1～32767の整数で設定して下さい。"},
        {[](MainEntries& e) { e.EditIteration = "32768"; },
         "バースト回数は1～32767の整数で設定して下さい。"},
        {[](MainEntries& e) { e.EditIteration = "65537"; },
         "バースト回数は1～32767の整数で設定して下さい。"},
        {[](MainEntries& e) { e.EditBurstInterval = "-1"; },
         "バースト時間間隔は0～596 hrの整数で設定して下さい。"},
        {[](MainEntries& e) { e.EditBurstInterval = "597"; },
         "バースト時間間隔は0～596 hrの整数で設定して下さい。"},
        {[](MainEntries& e) {
             e.EditBurstInterval = "2147484";
             e.ComboBoxBITUnit = 0;
         },
         "バースト時間間隔は0～2147483 secの整数で設定して下さい。"},
        {[](MainEntries& e) {
             e.SelectChannelItem(3);
             e.EditDataNum = "300000";
             e.EditIteration = "1000";
         },
         "sdfファイルが上限の2147483647バイトを超えます。データ数、チャンネル数またはバースト回数を"
         "減らして下さい。"},
        {[](MainEntries& e) { e.GridCells[1][3] = "1e39"; },
         "チャンネル1の係数Aは-3.402823E38～3.402823E38の範囲で設定して下さい。"},
    };
    for (const Case& c : cases) {
        MainEntries e = DefaultMainEntries("/data/");
        e.EditFileName = "/elsewhere/x.sdf";
        c.change(e);
        SDFdata d;
        MeasurementSettings s;
        RecordingPrompter p;
        EXPECT_FALSE(ValidateParameters(e, d, s, p, 0)) << c.message;
        ASSERT_EQ(p.Messages.size(), 1u) << c.message;
        EXPECT_EQ(p.Messages[0].Kind, MessageKind::Error);
        EXPECT_EQ(p.Messages[0].Text, c.message);
        EXPECT_EQ(d.Header, DefaultMeasurementHeader()) << c.message;
        EXPECT_TRUE(s.DataFileName.empty()) << c.message;
        EXPECT_TRUE(s.SampleBuffer.empty()) << c.message;
    }
}

TEST_F(ValidateParametersTest, ABurstMustFitTheRingAndTheMemory) {
    entries.RadioGroupFileType = 1;
    entries.EditDataNum = "2147483616"; // one more than the ring's count allows
    EXPECT_FALSE(Validate());
    ASSERT_EQ(prompter.Messages.size(), 1u);
    const std::string& text = prompter.Messages[0].Text;
    const std::string head = "データ数×チャンネル数は";
    const std::string tail = "以下で設定して下さい。";
    ASSERT_EQ(text.rfind(head, 0), 0u) << text;
    ASSERT_GT(text.size(), head.size() + tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    const long limit = std::stol(text.substr(head.size()));
    EXPECT_LE(limit, 2147483615);
    EXPECT_GT(limit, 1000000); // any machine that runs the tests holds a million samples
    EXPECT_TRUE(settings.SampleBuffer.empty());
}

TEST_F(ValidateParametersTest, TheSdfLimitDoesNotBindATsdFile) {
    SetChannels(4);
    entries.EditDataNum = "300000";
    entries.EditIteration = "1000";
    entries.RadioGroupFileType = 1;
    EXPECT_TRUE(Validate());
    EXPECT_TRUE(prompter.Messages.empty());
}

TEST_F(ValidateParametersTest, UnitsThatNoItemNames) {
    // No burst unit chosen: the previous unit stays, when it is a unit at all.
    entries.ComboBoxBITUnit = -1;
    data.Header.BurstUnit = 5; // days, from a data file
    ASSERT_TRUE(Validate());
    EXPECT_EQ(settings.BurstIntervalMs, 86400000);
    data.Header.BurstUnit = 200;
    EXPECT_FALSE(Validate());
    ExpectOneError("バースト時間間隔の単位は sec、min、hr から選択して下さい。");

    // No sampling unit chosen, and the header's unit is not one the card can sample in.
    prompter.Messages.clear();
    entries.ComboBoxBITUnit = 2;
    entries.ComboSampUnit = -1;
    data.Header.SamplingUnit = 3;
    EXPECT_FALSE(Validate());
    ExpectOneError("サンプリング時間間隔の単位は sec、msec、usec から選択して下さい。");
}

TEST_F(ValidateParametersTest, AFileTypeOutsideTheChoiceIsRefused) {
    for (const int type : {-1, 3, 7}) {
        prompter.Messages.clear();
        entries.RadioGroupFileType = type;
        const MeasurementHeader before = data.Header;
        EXPECT_FALSE(Validate()) << type;
        ExpectOneError("データファイルの形式は sdf、tsd、hdf5 から選択して下さい。");
        EXPECT_EQ(data.Header, before);
    }
    prompter.Messages.clear();
    entries.RadioGroupFileType = 1;
    EXPECT_TRUE(Validate());
}

TEST_F(ValidateParametersTest, TheSampleBufferComesBackZeroedAfterABurst) {
    ASSERT_TRUE(Validate());
    settings.SampleBuffer[7] = 99;
    ASSERT_TRUE(Validate(0));
    EXPECT_EQ(settings.SampleBuffer[7], 99);
    ASSERT_TRUE(Validate(5));
    EXPECT_EQ(settings.SampleBuffer[7], 0);
}
