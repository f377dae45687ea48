#include "datafiles/tsd/TsdFile.h"
#include "BadHeaders.h"
#include "TestSupport.h"
#include "datafiles/io/TextLineReader.h"
#include "datafiles/tsd/TsdFileReader.h"
#include "datafiles/tsd/TsdWriter.h"
#include "model/FileError.h"
#include "text/DateTime.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// Two channels of three samples at 100 msec, two bursts 1 hr apart.
SDFdata ExampleData() {
    SDFdata d;
    MeasurementHeader& h = d.Header;
    h.Comment = std::string_view("test run");
    h.StartTime = *EncodeDateTime({2003, 4, 5, 6, 7, 8, 0});
    h.SamplingInterval = 100;
    h.SamplingUnit = 1;
    h.BurstCount = 2;
    h.BurstInterval = 1;
    h.BurstUnit = 4;
    h.ChannelCount = 2;
    h.ExtraChannelCount = 0;
    h.SampleCount = 3;
    h.CoefA[0] = 1;
    h.CoefA[1] = 0.5f;
    h.CoefB[0] = 0;
    h.CoefB[1] = -1.25f;
    h.ChannelName[1] = std::string_view("Ch.2");
    h.ChannelUnit[1] = std::string_view("mV");
    d.AllocateBlockBuffers();
    d.BlockData[0] = {12, ErrorData, -3};
    d.BlockData[1] = {14, 0, 32767};
    return d;
}

// Reads the file's header onto back's; false, with back as it was, when refused. No tsd
// header is an old layout to ask about.
bool ReadBack(SDFdata& back, const std::string& fileName) {
    const auto stored = ReadStoredTsdHeader(fileName, back.Header);
    if (!stored)
        return false;
    EXPECT_FALSE(stored->OldLayout);
    back.Header = stored->Header;
    return true;
}

bool ReadBack(const std::string& text, SDFdata& d) {
    TempDir dir;
    WriteBytes(dir.File("r.tsd"), text);
    return ReadBack(d, dir.File("r.tsd"));
}

} // namespace

TEST(TsdFile, ExampleLineForLine) {
    TempDir dir;
    SDFdata d = ExampleData();
    const std::string name = dir.File("ex.tsd");
    ASSERT_NO_THROW(WriteTsdHeader(d.Header, name));
    TsdWriter(name).AppendBlock(0, d);
    const std::vector<std::string> expected = {
        "Time Series Data Text Format Ver.2",
        "'test run'",
        "2003/04/05 06:07:08",
        "100 msec",
        "2",
        "1 hr",
        "2,0",
        "3",
        "1,0.5",
        "0,-1.25",
        "'Ch.1','Ch.2'",
        "'mV','mV'",
        "No.1",
        "12,5.75",
        "=,-1.25",
        "-3,16382.25",
    };
    EXPECT_EQ(CrlfLines(ReadBytes(name)), expected);
    // A second block is appended after the first with its own number.
    TsdWriter(name).AppendBlock(1, d);
    const auto lines = CrlfLines(ReadBytes(name));
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[16], "No.2");
    // The header writer empties an existing file.
    ASSERT_NO_THROW(WriteTsdHeader(d.Header, name));
    EXPECT_EQ(CrlfLines(ReadBytes(name)).size(), 12u);
}

TEST(TsdFile, ExtraChannelsAddOneLinePerBlock) {
    SDFdata d = ExampleData();
    d.Header.ExtraChannelCount = 2;
    d.Header.CoefA[2] = 2;
    d.Header.CoefB[3] = 1;
    d.AllocateBlockBuffers();
    d.ExtraData = {10, ErrorData};
    std::string text;
    AppendTsdBlockText(text, d, 4);
    const auto lines = CrlfLines(text);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "No.5");
    EXPECT_EQ(lines[4], "20,=");
    EXPECT_EQ(CrlfLines(FormatTsdHeader(d.Header))[6], "2,2");
    EXPECT_EQ(CrlfLines(FormatTsdHeader(d.Header))[8], "1,0.5,2,1"); // entry 3 keeps its default A
}

TEST(TsdFile, HeaderRoundTripAndComments) {
    TempDir dir;
    SDFdata d = ExampleData();
    d.Header.Comment = std::string_view("it's a \x83\x65\x83\x58\x83\x67\r\nline\ntwo");
    d.Header.SamplingUnit = 0;
    d.Header.BurstUnit = 8;
    d.Header.ChannelName[0] = std::string_view("o'clock");
    d.Header.CoefA[1] = 0.1f;
    ASSERT_NO_THROW(WriteTsdHeader(d.Header, dir.File("c.tsd")));
    const auto lines = CrlfLines(ReadBytes(dir.File("c.tsd")));
    ASSERT_EQ(lines.size(), 12u); // the line breaks of the comment do not break the header
    EXPECT_EQ(lines[1], "'it''s a \x83\x65\x83\x58\x83\x67 line two'");

    SDFdata back;
    ASSERT_TRUE(ReadBack(back, dir.File("c.tsd")));
    EXPECT_EQ(back.Header.Comment.Str(), "it's a \x83\x65\x83\x58\x83\x67 line two");
    EXPECT_EQ(back.Header.ChannelName[0].Str(), "o'clock");
    EXPECT_EQ(back.Header.SamplingUnit, 0);
    EXPECT_EQ(back.Header.BurstUnit, 8);
    EXPECT_EQ(back.Header.CoefA[1], 0.1f);
    EXPECT_EQ(back.Header.CoefB[1], -1.25f);
    // The largest float reads back as nearly itself; its text rounded up still reads.
    d.Header.CoefA[0] = std::numeric_limits<float>::max();
    ASSERT_NO_THROW(WriteTsdHeader(d.Header, dir.File("c.tsd")));
    ASSERT_TRUE(ReadBack(back, dir.File("c.tsd")));
    EXPECT_NEAR(back.Header.CoefA[0] / std::numeric_limits<float>::max(), 1.0, 1e-6);
    std::string text = ReadBytes(dir.File("c.tsd"));
    text.replace(text.find("3.402823E38"), 11, "3.402824E38");
    WriteBytes(dir.File("c.tsd"), text);
    ASSERT_TRUE(ReadBack(back, dir.File("c.tsd")));
    EXPECT_EQ(back.Header.CoefA[0], std::numeric_limits<float>::max());
    EXPECT_EQ(back.Header.StartTime, d.Header.StartTime);
    EXPECT_EQ(back.Header.ChannelCount, 2);
}

TEST(TsdFile, Ver1HeaderAndCountsFromTheList) {
    SDFdata d;
    ASSERT_TRUE(
        ReadBack("Time Series Data Text Format Ver.1\r\n'old'\r\n1999/12/31 23:59:58\r\n"
                 "250\r\n64\r\n1,2,3\r\n0,0,0.5\r\n'a','b','c'\r\n'V','V','mV'\r\n1,2,3\r\n",
                 d));
    EXPECT_EQ(d.Header.ChannelCount, 3);
    EXPECT_EQ(d.Header.ExtraChannelCount, 0);
    EXPECT_EQ(d.Header.SamplingInterval, 250);
    EXPECT_EQ(d.Header.SamplingUnit, 1);
    EXPECT_EQ(d.Header.BurstCount, 1);
    EXPECT_EQ(d.Header.BurstInterval, 0);
    EXPECT_EQ(d.Header.BurstUnit, 2);
    EXPECT_EQ(d.Header.SampleCount, 64);
    EXPECT_EQ(d.Header.ChannelName[2].Str(), "c");
    EXPECT_EQ(d.Header.CoefB[2], 0.5f);
    EXPECT_EQ(FormatFileDateTime(d.Header.StartTime), "1999/12/31 23:59:58");

    SDFdata v2;
    ASSERT_TRUE(ReadBack("Time Series Data Text Format Ver.2\r\n''\r\n2003/04/05 06:07:08\r\n"
                         "5 sec\r\n3\r\n2 min\r\n0,0\r\n10\r\n1,1\r\n0,0\r\n'x','y'\r\n'V','V'\r\n",
                         v2));
    EXPECT_EQ(v2.Header.ChannelCount, 2);
    EXPECT_EQ(v2.Header.SamplingUnit, 2);
    EXPECT_EQ(v2.Header.BurstInterval, 2);
    EXPECT_EQ(v2.Header.BurstUnit, 3);
}

TEST(TsdFile, BadHeadersAreRefusedAndChangeNothing) {
    {
        SDFdata d;
        ASSERT_TRUE(ReadBack(GoodTsdHeader, d));
    }
    for (const auto& [what, text] : BadTsdHeaders()) {
        SDFdata d;
        d.Header.SampleCount = 99;
        EXPECT_FALSE(ReadBack(text, d)) << what;
        EXPECT_EQ(d.Header.SampleCount, 99) << what;
    }
}

TEST(TsdFields, SplitFields) {
    EXPECT_EQ(SplitFields(""), std::vector<std::string>{""});
    EXPECT_EQ(SplitFields("a,b,"), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(SplitFields("'x y',,z"), (std::vector<std::string>{"'x y'", "", "z"}));
    std::string forty;
    for (int i = 1; i <= 40; ++i)
        forty += std::to_string(i) + (i < 40 ? "," : "");
    const auto fields = SplitFields(forty);
    ASSERT_EQ(fields.size(), 33u);
    EXPECT_EQ(fields[32], "33");
}

TEST(TsdFile, CommasInQuotedNamesAndUnitsReadBack) {
    TempDir dir;
    SDFdata d = ExampleData();
    d.Header.ChannelName[0] = std::string_view("x'y,z");
    d.Header.ChannelUnit[0] = std::string_view("m,s");
    d.Header.ChannelName[1] = std::string_view(",");
    ASSERT_NO_THROW(WriteTsdHeader(d.Header, dir.File("q.tsd")));
    SDFdata back;
    ASSERT_TRUE(ReadBack(back, dir.File("q.tsd")));
    EXPECT_EQ(back.Header.ChannelName[0].Str(), "x'y,z");
    EXPECT_EQ(back.Header.ChannelUnit[0].Str(), "m,s");
    EXPECT_EQ(back.Header.ChannelName[1].Str(), ",");
    EXPECT_EQ(back.Header.ChannelUnit[1].Str(), "mV");
}

TEST(TsdFields, SplitQuotedFields) {
    const struct {
        std::string_view Line;
        std::vector<std::string> Fields;
    } cases[] = {
        {"", {""}},
        {"'a','b'", {"'a'", "'b'"}},
        {"'x''y,z','u'", {"'x''y,z'", "'u'"}},
        {"'a,b',c,'',d", {"'a,b'", "c", "''", "d"}},
        {"'it''s'", {"'it''s'"}},
        {"'open,x", {"'open,x"}},
        {"'',''", {"''", "''"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitQuotedFields(c.Line), c.Fields) << c.Line;
    std::string forty;
    for (int i = 1; i <= 40; ++i)
        forty += "'" + std::to_string(i) + "'" + (i < 40 ? "," : "");
    EXPECT_EQ(SplitQuotedFields(forty).size(), 33u);
}

TEST(TsdFields, QuotesAndUnits) {
    EXPECT_EQ(StripQuotes("'it''s'"), "it's");
    EXPECT_EQ(StripQuotes("''"), "");
    EXPECT_EQ(StripQuotes("'"), "");
    EXPECT_EQ(StripQuotes("plain"), "plain");
    EXPECT_EQ(StripQuotes("'a''''b'"), "a''b");
    EXPECT_EQ(QuoteText("it's"), "'it''s'");
    EXPECT_EQ(QuoteText("a\r\nb\rc\nd"), "'a b c d'");
    EXPECT_EQ(FindTimeUnit("100 msec"), 1);
    EXPECT_EQ(FindTimeUnit("5 sec"), 2);
    EXPECT_EQ(FindTimeUnit("5 usec"), 0);
    EXPECT_EQ(FindTimeUnit("5 days"), 5);
    EXPECT_EQ(FindTimeUnit("3 yr"), 8);
    EXPECT_EQ(FindTimeUnit("3 hours"), NoTimeUnit);
    EXPECT_EQ(FindTimeUnit(""), NoTimeUnit);
}

TEST(TextLineReader, LineEnds) {
    TempDir dir;
    WriteBytes(dir.File("l.txt"), std::string("a\r\nb\rc\nd\r\r\ne\x1A"
                                              "after\r\n"));
    FileSource l(dir.File("l.txt"));
    TextLineReader r(l);
    EXPECT_EQ(r.ReadLine(), "a");
    EXPECT_EQ(r.ReadLine(), "b");
    EXPECT_EQ(r.ReadLine(), "c\nd");
    EXPECT_EQ(r.ReadLine(), "");
    EXPECT_FALSE(r.AtEnd());
    EXPECT_EQ(r.ReadLine(), "e");
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(r.ReadLine(), "");
    EXPECT_EQ(r.ReadLine(), "");

    WriteBytes(dir.File("m.txt"), std::string("x\r\n"));
    FileSource mFile(dir.File("m.txt"));
    TextLineReader m(mFile);
    EXPECT_FALSE(m.AtEnd());
    EXPECT_EQ(m.ReadLine(), "x");
    EXPECT_TRUE(m.AtEnd());

    // Long lines cross the reader's buffer.
    const std::string longLine(200000, 'q');
    WriteBytes(dir.File("n.txt"), longLine + "\r\nz");
    FileSource nFile(dir.File("n.txt"));
    TextLineReader n(nFile);
    EXPECT_EQ(n.ReadLine(), longLine);
    EXPECT_EQ(n.ReadLine(), "z");
    EXPECT_TRUE(n.AtEnd());
    EXPECT_THROW(FileSource(dir.File("none.txt")), FileError);
}
