#include "datafiles/sdf/SdfFile.h"
#include "BadHeaders.h"
#include "TestSupport.h"
#include "datafiles/io/LittleEndian.h"
#include "datafiles/sdf/SdfFileReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "model/FileError.h"
#include "model/SDFdata.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>

using namespace tavrel;
using namespace tavrel::test;

namespace {

std::string Hex(std::string_view bytes) {
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X ", c);
        out += b;
    }
    if (!out.empty())
        out.pop_back();
    return out;
}

SDFdata WithCounts(int channels, int extra, int samples) {
    SDFdata d;
    d.Header.ChannelCount = static_cast<std::int16_t>(channels);
    d.Header.ExtraChannelCount = static_cast<std::int16_t>(extra);
    d.Header.SampleCount = samples;
    for (int i = 0; i < channels + extra; ++i) {
        d.Header.ChannelName[static_cast<std::size_t>(i)] = "n" + std::to_string(i);
        d.Header.ChannelUnit[static_cast<std::size_t>(i)] = std::string_view("V");
        d.Header.CoefA[static_cast<std::size_t>(i)] = 0.5f * static_cast<float>(i + 1);
        d.Header.CoefB[static_cast<std::size_t>(i)] = -1.0f * static_cast<float>(i);
    }
    d.AllocateBlockBuffers();
    return d;
}

} // namespace

TEST(SdfLayout, DefaultHeaderBytes) {
    TempDir dir;
    SDFdata d;
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, dir.File("a.sdf")));
    const std::string bytes = ReadBytes(dir.File("a.sdf"));
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(bytes.substr(0, 50),
              "Standard Burst-Interval Data Format Ver.4" + std::string(9, ' '));
    EXPECT_EQ(bytes.substr(50, 160), std::string(160, ' '));
    EXPECT_EQ(Hex(bytes.substr(210, 20)),
              "01 00 00 00 00 02 00 00 64 00 00 00 01 01 00 01 00 00 00 04");
    EXPECT_EQ(bytes.substr(238, 18), std::string(18, ' '));
    EXPECT_EQ(bytes.substr(256, 24), "Ch.1" + std::string(12, ' ') + "mV" + std::string(6, ' '));
    EXPECT_EQ(Hex(bytes.substr(280, 8)), "00 00 80 3F 00 00 00 00");
    EXPECT_EQ(bytes.substr(288), std::string(224, ' '));
    EXPECT_EQ(HeaderBlocks(d.Header), 2);
    EXPECT_EQ(BlockBytes(d.Header), 1024);
}

TEST(SdfLayout, HeaderBlocksAndPadding) {
    struct Case {
        int channels, extra;
        std::int64_t blocks;
    };
    for (const Case c :
         {Case{0, 0, 1}, Case{8, 0, 2}, Case{9, 0, 3}, Case{3, 2, 2}, Case{32, 1, 6}}) {
        TempDir dir;
        SDFdata d = WithCounts(c.channels, c.extra, 4);
        ASSERT_NO_THROW(WriteSdfHeader(d.Header, dir.File("h.sdf")));
        const std::string bytes = ReadBytes(dir.File("h.sdf"));
        EXPECT_EQ(HeaderBlocks(d.Header), c.blocks) << c.channels;
        ASSERT_EQ(static_cast<std::int64_t>(bytes.size()), c.blocks * 256) << c.channels;
        const std::size_t tableEnd = 256 + 32 * static_cast<std::size_t>(c.channels + c.extra);
        EXPECT_EQ(bytes.substr(tableEnd), std::string(bytes.size() - tableEnd, ' '));
    }
}

TEST(SdfLayout, FieldsAreUnalignedAndLittleEndian) {
    TempDir dir;
    SDFdata d;
    d.Header.BurstCount = -2; // refused: negative count
    EXPECT_THROW(WriteSdfHeader(d.Header, dir.File("x.sdf")), FileError);
    d.Header.BurstCount = 0x1234;
    d.Header.BurstInterval = 0x0A0B0C0D;
    d.Header.SamplingUnit = 0;
    d.Header.BurstUnit = 8;
    d.Header.StartTime = 37716.25;
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, dir.File("x.sdf")));
    const std::string bytes = ReadBytes(dir.File("x.sdf"));
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(GetI16(p + 223), 0x1234);
    EXPECT_EQ(GetI32(p + 225), 0x0A0B0C0D);
    EXPECT_EQ(p[222], 0);
    EXPECT_EQ(p[229], 8);
    EXPECT_EQ(GetF64(p + 230), 37716.25);
}

TEST(SdfFile, HeaderRoundTripKeepsPaddedComment) {
    TempDir dir;
    SDFdata d = WithCounts(3, 2, 100);
    d.Header.Comment = std::string_view("0123456789");
    d.Header.ChannelName[0] = std::string_view("ABCDEFGHIJKLMNOP");         // 16 bytes, no padding
    d.Header.ChannelUnit[1] = std::string_view("\x83\x7B\x83\x8B\x83\x67"); // ボルト
    d.Header.StartTime = 40000.5;
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, dir.File("r.sdf")));
    EXPECT_EQ(ReadBytes(dir.File("r.sdf")).substr(256, 16), "ABCDEFGHIJKLMNOP");

    SDFdata back;
    const auto stored = ReadStoredSdfHeader(dir.File("r.sdf"), back.Header);
    ASSERT_TRUE(stored.has_value());
    EXPECT_FALSE(stored->OldLayout); // nothing to ask
    back.Header = stored->Header;
    EXPECT_EQ(back.Header.Comment.Str(), "0123456789" + std::string(150, ' '));
    MeasurementHeader expected = d.Header;
    expected.Comment = back.Header.Comment;
    for (std::size_t i = 5; i < ChannelEntryCount; ++i) { // beyond the table: as before
        expected.ChannelName[i] = back.Header.ChannelName[i];
        expected.ChannelUnit[i] = back.Header.ChannelUnit[i];
        expected.CoefA[i] = back.Header.CoefA[i];
        expected.CoefB[i] = back.Header.CoefB[i];
    }
    EXPECT_EQ(back.Header, expected);
}

TEST(SdfFile, HeaderOverLongerFileKeepsItsTail) {
    TempDir dir;
    const std::string name = dir.File("t.sdf");
    SDFdata d = WithCounts(1, 0, 4);
    d.Header.BurstCount = 3;
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, name));
    for (int k = 0; k < 3; ++k) {
        for (int j = 0; j < 4; ++j)
            d.BlockData[0][static_cast<std::size_t>(j)] = static_cast<std::int16_t>(k * 10 + j);
        WriteSdfBlock(d, name, k);
    }
    const std::string before = ReadBytes(name);
    ASSERT_EQ(before.size(), 512u + 3 * 8);
    // An early stop rewrites the header with the bursts recorded.
    d.Header.BurstCount = 2;
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, name));
    const std::string after = ReadBytes(name);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(512), before.substr(512));
    EXPECT_EQ(GetI16(reinterpret_cast<const unsigned char*>(after.data()) + 223), 2);
    EXPECT_EQ(GetI16(reinterpret_cast<const unsigned char*>(after.data()) + 512 + 8 + 6), 13);
}

TEST(SdfFile, BlockLayoutWithExtraChannels) {
    TempDir dir;
    const std::string name = dir.File("b.sdf");
    SDFdata d = WithCounts(3, 2, 100);
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, name));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 100; ++j)
            d.BlockData[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] =
                static_cast<std::int16_t>(i * 1000 + j - 50);
    d.ExtraData = {-32768, 32767};
    WriteSdfBlock(d, name, 1); // block 1 before block 0: written at its place
    WriteSdfBlock(d, name, 0);
    const std::string bytes = ReadBytes(name);
    ASSERT_EQ(BlockBytes(d.Header), 604);
    ASSERT_EQ(bytes.size(), 512u + 2 * 604);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 512 + 604;
    EXPECT_EQ(GetI16(p), -50);
    EXPECT_EQ(GetI16(p + 2), 950);
    EXPECT_EQ(GetI16(p + 4), 1950);
    EXPECT_EQ(GetI16(p + 6), -49);
    EXPECT_EQ(GetI16(p + 600), -32768);
    EXPECT_EQ(GetI16(p + 602), 32767);
}

TEST(SdfFile, BlocksWithoutValuesNeverFail) {
    TempDir dir;
    SDFdata d = WithCounts(0, 0, 100);
    EXPECT_NO_THROW(WriteSdfBlock(d, dir.File("missing.sdf"), 0));
    EXPECT_NO_THROW(WriteSdfBlock(d, dir.File("missing.sdf"), 5));
    EXPECT_TRUE(dir.Names().empty());

    SDFdata extraOnly = WithCounts(2, 1, 0);
    const std::string name = dir.File("e.sdf");
    ASSERT_NO_THROW(WriteSdfHeader(extraOnly.Header, name));
    extraOnly.ExtraData = {7};
    WriteSdfBlock(extraOnly, name, 0);
    extraOnly.ExtraData = {-8};
    WriteSdfBlock(extraOnly, name, 1);
    const std::string bytes = ReadBytes(name);
    ASSERT_EQ(bytes.size(), 256u + 96 + 160 + 4);
    EXPECT_EQ(GetI16(reinterpret_cast<const unsigned char*>(bytes.data()) + 512), 7);
    EXPECT_EQ(GetI16(reinterpret_cast<const unsigned char*>(bytes.data()) + 514), -8);
}

TEST(SdfFile, BlockPastTheFileSizeLimitIsRefused) {
    TempDir dir;
    SDFdata d = WithCounts(4, 0, 4096);
    const std::string name = dir.File("big.sdf");
    ASSERT_NO_THROW(WriteSdfHeader(d.Header, name));
    // 512 + (k + 1) x 32768 must stay within 2^31 - 1: k = 65534 fits, 65535 does not.
    EXPECT_THROW(WriteSdfBlock(d, name, 65535), FileError);
    EXPECT_THROW(WriteSdfBlock(d, name, -1), FileError);
    EXPECT_EQ(ReadBytes(name).size(), 512u);
}

TEST(SdfFile, MissingFileIsAnError) {
    TempDir dir;
    SDFdata d;
    EXPECT_THROW(ReadStoredSdfHeader(dir.File("none.sdf"), d.Header), FileError);
    EXPECT_THROW(WriteSdfBlock(d, dir.File("no/such/dir.sdf"), 0), FileError);
    // A block never creates a file without its header.
    EXPECT_THROW(WriteSdfBlock(d, dir.File("deleted.sdf"), 0), FileError);
    EXPECT_TRUE(dir.Names().empty());
    EXPECT_THROW(WriteSdfHeader(d.Header, dir.File("no/such/dir.sdf")), FileError);
}

TEST(SdfFile, HeadersThatCannotBeRightAreRefused) {
    for (const auto& [what, bytes] : BadSdfHeaders()) {
        TempDir dir;
        WriteBytes(dir.File("bad.sdf"), bytes);
        EXPECT_FALSE(
            ReadStoredSdfHeader(dir.File("bad.sdf"), DefaultMeasurementHeader()).has_value())
            << what;
        EXPECT_EQ(ReadBytes(dir.File("bad.sdf")), bytes) << what;
    }
}

TEST(SdfFile, NulPaddedNameEndsTheEntryText) {
    TempDir dir;
    std::string bytes = EditedSdfHeader([](unsigned char* p, std::string&) {
        std::memcpy(p + 256, "Ch.1\0\0\0\0\0\0\0\0\0\0\0\0mV      ", 24);
    });
    WriteBytes(dir.File("n.sdf"), bytes);
    const auto d = ReadStoredSdfHeader(dir.File("n.sdf"), DefaultMeasurementHeader());
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->Header.ChannelName[0].Str(), "Ch.1");
    EXPECT_EQ(d->Header.ChannelUnit[0].Str(), "");
}
