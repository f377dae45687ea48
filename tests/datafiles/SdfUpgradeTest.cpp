#include "datafiles/sdf/SdfUpgrade.h"
#include "OldSdfBuilder.h"
#include "TestSupport.h"
#include "datafiles/io/LittleEndian.h"
#include "datafiles/sdf/SdfFileReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "model/FileError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace tavrel;
using namespace tavrel::test;

namespace {

MeasurementHeader OldHeader(int channels, int extra, int samples, int bursts) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.Comment = std::string_view("old file");
    h.ChannelCount = static_cast<std::int16_t>(channels);
    h.ExtraChannelCount = static_cast<std::int16_t>(extra);
    h.SampleCount = samples;
    h.BurstCount = static_cast<std::int16_t>(bursts);
    h.StartTime = 36000.75;
    for (int i = 0; i < channels + extra; ++i) {
        h.ChannelName[static_cast<std::size_t>(i)] = "c" + std::to_string(i);
        h.CoefA[static_cast<std::size_t>(i)] = static_cast<float>(i + 1);
    }
    return h;
}

// Values of block k: distinct per block and place, with both markers at fixed places.
std::vector<std::vector<std::int16_t>> Blocks(const MeasurementHeader& h) {
    const std::size_t n =
        static_cast<std::size_t>(h.ChannelCount * h.SampleCount + h.ExtraChannelCount);
    std::vector<std::vector<std::int16_t>> blocks;
    for (int k = 0; k < h.BurstCount; ++k) {
        std::vector<std::int16_t> values(n);
        for (std::size_t v = 0; v < n; ++v)
            values[v] = static_cast<std::int16_t>(k * 1000 + static_cast<int>(v) - 7);
        if (n > 3) {
            values[1] = OldErrorData;
            values[2] = ErrorData;
            values[n - 1] = OldErrorData; // past the last whole 16 bytes
        }
        blocks.push_back(values);
    }
    return blocks;
}

// The version-4 file expected for an old file: header, then the blocks packed, the old
// marker replaced.
std::string Expected(const MeasurementHeader& h4, std::vector<std::vector<std::int16_t>> blocks) {
    for (auto& b : blocks)
        for (auto& v : b)
            if (v == OldErrorData)
                v = ErrorData;
    return BuildSdf(4, h4, blocks);
}

// The header as stored, then the upgrade of an old layout, as after the operator's yes.
struct Upgrade {
    SDFdata data;
    RecordingProgress progress;
    std::optional<StoredHeader> stored;
    bool Read(const std::string& name) {
        stored = ReadStoredSdfHeader(name, data.Header);
        if (!stored)
            return false;
        data.Header = stored->Header;
        return !stored->OldLayout || UpgradeSdfFile(data, stored->Version, name, progress);
    }
};

} // namespace

TEST(SdfUpgrade, MillisecondsToUnit) {
    struct Case {
        std::int32_t ms, value;
        int unit;
    };
    for (const Case c :
         {Case{100, 100, 1}, Case{3600000, 1, 4}, Case{1000, 1, 2}, Case{90000, 90, 2},
          Case{86400000, 1, 5}, Case{0, 0, 5}, Case{120000, 2, 3}, Case{172800000, 2, 5},
          Case{-1500, -1500, 1}, Case{-7200000, -2, 4}}) {
        std::int32_t v = c.ms;
        std::uint8_t u = 77;
        MillisecondsToUnit(v, u);
        EXPECT_EQ(v, c.value) << c.ms;
        EXPECT_EQ(u, c.unit) << c.ms;
    }
}

TEST(SdfUpgrade, Version1NamesTheUnitsAndRepacks) {
    TempDir dir;
    MeasurementHeader old = OldHeader(1, 0, 100, 4);
    old.SamplingInterval = 100;
    old.BurstInterval = 3600000;
    const auto blocks = Blocks(old);
    const std::string name = dir.File("v1.sdf");
    WriteBytes(name, BuildSdf(1, old, blocks));
    ASSERT_EQ(ReadBytes(name).size(), 512u + 4 * 256); // old block k at 512 + 256 k

    Upgrade u;
    ASSERT_TRUE(u.Read(name));
    EXPECT_TRUE(u.stored->OldLayout); // the window asks first
    EXPECT_EQ(u.stored->Version, 1);
    EXPECT_EQ(u.data.Header.SamplingInterval, 100);
    EXPECT_EQ(u.data.Header.SamplingUnit, 1);
    EXPECT_EQ(u.data.Header.BurstInterval, 1);
    EXPECT_EQ(u.data.Header.BurstUnit, 4);
    EXPECT_EQ(u.data.BlockData[0].size(), 100u); // sized for the header
    EXPECT_EQ(u.progress.Percents, (std::vector<int>{0, 25, 50, 75}));
    EXPECT_EQ(u.progress.Calls.front(), "start:ただ今、データ形式の更新中．．．．");
    EXPECT_EQ(u.progress.Calls.back(), "hide");

    MeasurementHeader h4 = old;
    h4.SamplingUnit = 1;
    h4.BurstInterval = 1;
    h4.BurstUnit = 4;
    const std::string bytes = ReadBytes(name);
    EXPECT_EQ(bytes.size(), 512u + 4 * 200); // new block k at 512 + 200 k
    EXPECT_EQ(bytes, Expected(h4, blocks));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"v1.sdf"});
    // The block buffers hold the last block converted.
    EXPECT_EQ(u.data.BlockData[0][0], 3000 - 7);
    EXPECT_EQ(u.data.BlockData[0][1], ErrorData);
    // The result reads as version 4, nothing to ask.
    Upgrade again;
    ASSERT_TRUE(again.Read(name));
    EXPECT_FALSE(again.stored->OldLayout);
    EXPECT_EQ(again.stored->Version, 4);
    EXPECT_EQ(again.data.Header.BurstUnit, 4);
}

TEST(SdfUpgrade, Versions2And3KeepIntervalsAndReplaceTheMarker) {
    for (int version : {2, 3}) {
        TempDir dir;
        MeasurementHeader old = OldHeader(2, 0, 64, 3); // exactly 128 values: same places
        old.SamplingInterval = 7;
        old.SamplingUnit = 0;
        old.BurstInterval = 9;
        old.BurstUnit = 6;
        const auto blocks = Blocks(old);
        const std::string name = dir.File("v.sdf");
        const std::string before = BuildSdf(version, old, blocks);
        WriteBytes(name, before);
        Upgrade u;
        ASSERT_TRUE(u.Read(name)) << version;
        EXPECT_EQ(ReadBytes(name), Expected(old, blocks)) << version;
        EXPECT_EQ(ReadBytes(name).size(), before.size());
        EXPECT_EQ(u.data.Header.SamplingUnit, 0);
        EXPECT_EQ(u.data.Header.BurstUnit, 6);
    }
}

TEST(SdfUpgrade, ExtraChannelsAndAShortLastBlock) {
    TempDir dir;
    MeasurementHeader old = OldHeader(3, 2, 50, 3); // 152 values: 2 units per old block
    const auto blocks = Blocks(old);
    const std::string name = dir.File("x.sdf");
    WriteBytes(name, BuildSdf(3, old, blocks, /*fillLastBlock=*/false));
    Upgrade u;
    ASSERT_TRUE(u.Read(name));
    EXPECT_EQ(ReadBytes(name), Expected(old, blocks));
    EXPECT_EQ(u.data.ExtraData, (std::vector<std::int16_t>{2000 + 150 - 7, ErrorData}));
}

TEST(SdfUpgrade, CancelBeforeTheThirdBlockLeavesTheSource) {
    TempDir dir;
    MeasurementHeader old = OldHeader(1, 0, 100, 4);
    const std::string name = dir.File("c.sdf");
    const std::string before = BuildSdf(2, old, Blocks(old));
    WriteBytes(name, before);
    Upgrade u;
    u.progress.CancelAt = 50;
    EXPECT_FALSE(u.Read(name));
    EXPECT_EQ(u.progress.Percents, (std::vector<int>{0, 25, 50}));
    EXPECT_EQ(u.progress.Calls.back(), "hide");
    EXPECT_EQ(ReadBytes(name), before);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"c.sdf"});
    EXPECT_EQ(u.data.Header.BurstCount, 4); // the header as read
}

TEST(SdfUpgrade, NoBurstGivesTheHeaderAlone) {
    TempDir dir;
    MeasurementHeader old = OldHeader(1, 0, 100, 0);
    old.SamplingInterval = 0;
    old.BurstInterval = 0;
    const std::string name = dir.File("z.sdf");
    WriteBytes(name, BuildSdf(1, old, {{std::vector<std::int16_t>(100, 1)}}));
    Upgrade u;
    ASSERT_TRUE(u.Read(name));
    EXPECT_TRUE(u.progress.Percents.empty());
    MeasurementHeader h4 = old;
    h4.SamplingUnit = 5; // 0 ms gives 0 days
    h4.BurstUnit = 5;
    EXPECT_EQ(ReadBytes(name), EncodeSdfHeader(h4));
}

TEST(SdfUpgrade, TemporaryFileLiesBesideTheSource) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "sub");
    std::filesystem::create_directory(dir.Path() / "cwd");
    const auto oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path() / "cwd");
    // A longer leftover of an earlier upgrade must not leave its tail in the result.
    WriteBytes(dir.File("sub/Qr~temp1234!"), std::string(100000, 'J'));
    MeasurementHeader old = OldHeader(1, 0, 100, 2);
    const auto blocks = Blocks(old);
    const std::string name = dir.File("sub/o.sdf");
    WriteBytes(name, BuildSdf(3, old, blocks));
    Upgrade u;
    EXPECT_EQ(UpgradeTempFileName(name), dir.File("sub/Qr~temp1234!"));
    EXPECT_EQ(UpgradeTempFileName("plain.sdf"), "Qr~temp1234!");
    const bool ok = u.Read(name);
    std::filesystem::current_path(oldCwd);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ReadBytes(name), Expected(old, blocks));
    // The temporary file had a name of its own: the leftover is neither used nor removed.
    EXPECT_EQ(ReadBytes(dir.File("sub/Qr~temp1234!")), std::string(100000, 'J'));
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path() / "sub"))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Qr~temp1234!", "o.sdf"}));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "cwd"));
}

TEST(SdfUpgrade, InputErrorRemovesTheTemporaryFileAndRestores) {
    TempDir dir;
    MeasurementHeader old = OldHeader(1, 0, 100, 5);
    auto blocks = Blocks(old);
    blocks.resize(3); // the file ends after three of five blocks
    const std::string name = dir.File("cut.sdf");
    const std::string before = BuildSdf(2, old, blocks);
    WriteBytes(name, before);
    Upgrade u;
    EXPECT_THROW(u.Read(name), FileError);
    EXPECT_EQ(u.progress.Calls.back(), "hide");
    EXPECT_EQ(u.data.Header.BurstCount, 5); // the header as read
    EXPECT_EQ(ReadBytes(name), before);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"cut.sdf"});
}

TEST(SdfUpgrade, WhatStandsAtTheTemporaryNameIsLeftAlone) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "Qr~temp1234!"); // cannot be a file
    MeasurementHeader old = OldHeader(1, 0, 10, 1);
    const std::string name = dir.File("ro.sdf");
    const std::string before = BuildSdf(2, old, Blocks(old));
    WriteBytes(name, before);
    Upgrade u;
    EXPECT_TRUE(u.Read(name));
    EXPECT_EQ(ReadBytes(name), Expected(old, Blocks(old)));
    // What stands in the temporary file's way is not removed.
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "Qr~temp1234!"));
    EXPECT_TRUE(u.progress.Calls.empty() || u.progress.Calls.back() == "hide");
}
