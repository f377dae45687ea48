#include "datafiles/DataFileReader.h"
#include "MeasurementFiles.h"
#include "OldSdfBuilder.h"
#include "TestSupport.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

#include <cmath>
#include <tuple>

using namespace tavrel;
using namespace tavrel::test;

namespace {

using Blocks = std::array<std::vector<std::int16_t>, MaxSampledChannels>;

// "電圧" and "温度" in CP932, written as bytes so the test does not lean on the converter.
const std::string Voltage = "\x93\x64\x88\xB3";
const std::string Temperature = "\x89\xB7\x93\x78";

MeasurementHeader TwoChannels(int samples, int bursts) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = 2;
    h.ExtraChannelCount = 1;
    h.SampleCount = samples;
    h.BurstCount = static_cast<std::int16_t>(bursts);
    h.SamplingInterval = 250;
    h.SamplingUnit = 0; // usec
    h.BurstInterval = 90;
    h.BurstUnit = 2; // sec
    h.StartTime = 46000.25;
    h.ChannelName[0].Assign(Voltage);
    h.ChannelName[1].Assign(Temperature);
    h.CoefA = {0.001f, 0.5f, 2.0f};
    h.CoefB = {-1.5f, 20.0f, 0.0f};
    return h;
}

// Block k in file order: scans of two channels, then the extra value.
std::vector<std::int16_t> FileOrderBlock(int samples, int k) {
    std::vector<std::int16_t> v;
    for (int j = 0; j < samples; ++j) {
        v.push_back(static_cast<std::int16_t>(1000 * k + j));
        v.push_back(static_cast<std::int16_t>(-7 * j - k));
    }
    v.push_back(static_cast<std::int16_t>(500 + k));
    return v;
}

} // namespace

TEST(DataFileReader, ReadsEveryOldSdfVersionInItsOwnLayoutByBurst) {
    constexpr int samples = 70; // 141 values: old blocks take two units with filler
    for (int version : {1, 2, 3, 4}) {
        SCOPED_TRACE(version);
        TempDir dir;
        MeasurementHeader h = TwoChannels(samples, 5); // the header claims more than there is
        if (version == 1) {
            h.SamplingUnit = 1;
            h.BurstUnit = 1; // version 1 has milliseconds only
        }
        std::vector<std::vector<std::int16_t>> blocks;
        for (int k = 0; k < 3; ++k)
            blocks.push_back(FileOrderBlock(samples, k));
        blocks[1][6] = 32767; // the old error marker in versions 1 to 3
        blocks[2][7] = ErrorData;
        std::string bytes = BuildSdf(version, h, blocks);
        bytes += std::string(100, '\x01'); // the start of a fourth block
        WriteBytes(dir.File("a.sdf"), bytes);

        const auto reader = OpenDataFileReader(dir.File("a.sdf"));
        EXPECT_EQ(reader->Type(), DataFileType::Sdf);
        EXPECT_EQ(reader->Version(), version);
        EXPECT_EQ(reader->Bursts(), 3);
        EXPECT_EQ(reader->Header().ChannelName[0].Str(), Voltage);
        EXPECT_EQ(reader->Header().ChannelCount, 2);
        const double seconds = version == 1 ? 0.25 : 0.00025;
        EXPECT_NEAR(reader->SamplingSeconds(), seconds, 1e-15);
        const double burstDays = version == 1 ? 0.09 / 86400 : 90.0 / 86400;
        EXPECT_NEAR(reader->BurstStartTime(2), 46000.25 + 2 * burstDays, 1e-9);

        Blocks data;
        std::vector<std::int16_t> extra;
        for (int k : {2, 0, 1}) { // any order
            reader->ReadBurst(k, data, extra);
            const auto& b = blocks[static_cast<std::size_t>(k)];
            ASSERT_EQ(data[0].size(), std::size_t{samples});
            ASSERT_EQ(data[1].size(), std::size_t{samples});
            for (std::size_t j = 0; j < samples; ++j) {
                std::int16_t first = b[2 * j], second = b[2 * j + 1];
                if (k == 1 && j == 3 && version < 4)
                    first = ErrorData;
                EXPECT_EQ(data[0][j], first) << k << " " << j;
                EXPECT_EQ(data[1][j], second) << k << " " << j;
            }
            ASSERT_EQ(extra.size(), 1u);
            EXPECT_EQ(extra[0], 500 + k);
        }
        std::vector<std::int16_t> codes;
        reader->ReadChannel(1, 0, codes);
        EXPECT_EQ(codes[3], version < 4 ? ErrorData : 32767);
        EXPECT_EQ(codes[4], 1004);
        reader->ReadChannel(2, 1, codes);
        EXPECT_EQ(codes[3], ErrorData);
        EXPECT_EQ(codes[4], -30);
        EXPECT_THROW(reader->ReadBurst(3, data, extra), FileError);
        EXPECT_THROW(reader->ReadChannel(0, 2, codes), FileError);
    }
}

TEST(DataFileReader, TsdAndSdfOfOneMeasurementReadTheSame) {
    TempDir dir;
    SDFdata d;
    d.Header = TwoChannels(300, 4);
    d.Header.CoefA[2] = 0.25f;
    d.AllocateBlockBuffers();
    // Codes over the whole range, and error data, with coefficients of 7 digits.
    auto fill = [](SDFdata& data, int k) {
        for (std::size_t j = 0; j < 300; ++j) {
            data.BlockData[0][j] =
                static_cast<std::int16_t>(-32767 + 219 * static_cast<int>(j) + k);
            data.BlockData[1][j] = static_cast<std::int16_t>(
                (j * 7 + static_cast<unsigned>(k)) % 5 == 0 ? ErrorData
                                                            : 32767 - static_cast<int>(j));
        }
        data.ExtraData[0] = static_cast<std::int16_t>(k == 2 ? ErrorData : -k);
    };
    WriteSdfAndTsd(d, dir.File("m.sdf"), dir.File("m.tsd"), 4, fill);
    // A block that was being written when the recorder stopped.
    std::string tsd = ReadBytes(dir.File("m.tsd"));
    tsd += "No.5\r\n1,2\r\n3,";
    WriteBytes(dir.File("m.tsd"), tsd);

    const auto sdf = OpenDataFileReader(dir.File("m.sdf"));
    const auto text = OpenDataFileReader(dir.File("m.tsd"));
    EXPECT_EQ(text->Type(), DataFileType::Tsd);
    EXPECT_EQ(text->Version(), 2);
    EXPECT_EQ(text->Bursts(), 4);
    EXPECT_EQ(sdf->Bursts(), 4);
    EXPECT_EQ(text->Header().ChannelName[1].Str(), Temperature);
    EXPECT_EQ(text->SamplingSeconds(), sdf->SamplingSeconds());
    Blocks a, b;
    std::vector<std::int16_t> ea, eb;
    SDFdata expected = d;
    for (int k : {3, 1, 0, 2}) {
        fill(expected, k);
        sdf->ReadBurst(k, a, ea);
        text->ReadBurst(k, b, eb);
        for (std::size_t c = 0; c < 2; ++c) {
            EXPECT_EQ(a[c], expected.BlockData[c]) << k << " " << c;
            EXPECT_EQ(b[c], expected.BlockData[c]) << k << " " << c;
        }
        EXPECT_EQ(ea, expected.ExtraData);
        EXPECT_EQ(eb, expected.ExtraData);
    }
    std::vector<std::int16_t> codes;
    text->ReadChannel(3, 1, codes);
    fill(expected, 3);
    EXPECT_EQ(codes, expected.BlockData[1]);
}

TEST(DataFileReader, RefusesWhatIsNoDataFile) {
    TempDir dir;
    EXPECT_EQ(Thrown([&] { OpenDataFileReader(dir.Path().string()); }),
              NotRegularFileMessage(dir.Path().string()));
    const std::string fifo = dir.File("pipe.sdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Thrown([&] { OpenDataFileReader(fifo); }), NotRegularFileMessage(fifo));
    EXPECT_EQ(Thrown([&] { OpenDataFileReader(dir.File("missing.sdf")); }),
              CannotOpenMessage(dir.File("missing.sdf")));

    WriteBytes(dir.File("text.txt"), "hello\r\nworld\r\n");
    EXPECT_EQ(Thrown([&] { OpenDataFileReader(dir.File("text.txt")); }), FormatMessage);
    // An sdf signature with counts the layout cannot hold.
    MeasurementHeader h = TwoChannels(4, 1);
    std::string bytes = BuildSdf(4, h, {FileOrderBlock(4, 0)});
    PutI16(reinterpret_cast<unsigned char*>(bytes.data()) + 210, 40);
    WriteBytes(dir.File("bad.sdf"), bytes);
    EXPECT_EQ(Thrown([&] { OpenDataFileReader(dir.File("bad.sdf")); }), FormatMessage);

    // A tsd file whose header is fine but a value is no number: refused when that block is read.
    SDFdata d;
    d.Header = TwoChannels(3, 2);
    d.AllocateBlockBuffers();
    WriteSdfAndTsd(d, dir.File("v.sdf"), dir.File("v.tsd"), 2, [](SDFdata&, int) {});
    std::string tsd = ReadBytes(dir.File("v.tsd"));
    const auto second = tsd.rfind("No.2\r\n");
    ASSERT_NE(second, std::string::npos);
    tsd.replace(second + 6, 1, "x");
    WriteBytes(dir.File("v.tsd"), tsd);
    const auto reader = OpenDataFileReader(dir.File("v.tsd"));
    EXPECT_EQ(reader->Bursts(), 2);
    Blocks data;
    std::vector<std::int16_t> extra;
    EXPECT_NO_THROW(reader->ReadBurst(0, data, extra));
    // Named by its file, its burst and its line: the one after "No.2".
    const auto line =
        std::count(tsd.begin(), tsd.begin() + static_cast<std::ptrdiff_t>(second), '\n') + 2;
    EXPECT_EQ(Thrown([&] { reader->ReadBurst(1, data, extra); }),
              TsdBadValueMessage(dir.File("v.tsd"), 2, line));

    // A tsd header cut before its last line.
    WriteBytes(dir.File("cut.tsd"), tsd.substr(0, tsd.find("'mV'")));
    EXPECT_EQ(Thrown([&] { OpenDataFileReader(dir.File("cut.tsd")); }), FormatMessage);
}

TEST(DataFileReader, ReadsTheOneBlockOfATsdVer1) {
    TempDir dir;
    const std::string head =
        "Time Series Data Text Format Ver.1\r\n'old'\r\n1999/12/31 23:59:58\r\n"
        "250\r\n3\r\n1,2\r\n0,0\r\n'a','b'\r\n'V','mV'\r\n";
    WriteBytes(dir.File("v1.tsd"), head + "1,4\r\n2,8\r\n3,12\r\n");
    const auto reader = OpenDataFileReader(dir.File("v1.tsd"));
    EXPECT_EQ(reader->Version(), 1);
    EXPECT_EQ(reader->Bursts(), 1);
    std::vector<std::int16_t> codes;
    reader->ReadChannel(0, 0, codes);
    EXPECT_EQ(codes, (std::vector<std::int16_t>{1, 2, 3}));
    reader->ReadChannel(0, 1, codes);
    EXPECT_EQ(codes, (std::vector<std::int16_t>{2, 4, 6}));
    // A bad value is named by its line of the file: the header has 9.
    WriteBytes(dir.File("bad.tsd"), head + "1,4\r\n2,x\r\n3,12\r\n");
    const auto bad = OpenDataFileReader(dir.File("bad.tsd"));
    EXPECT_EQ(Thrown([&] { bad->ReadChannel(0, 0, codes); }),
              TsdBadValueMessage(dir.File("bad.tsd"), 1, 11));
}

TEST(DataFileReader, ReadsTheLastBurstOfANearly2GiBFileAtOnce) {
    TempDir dir;
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = 1;
    h.SampleCount = 1 << 20; // 2 MiB a block
    h.BurstCount = 1023;
    const std::string name = dir.File("big.sdf");
    WriteBytes(name, BuildSdf(4, h, {}));
    // A sparse file behind the 512-byte header: the blocks read as zeros except the last one.
    std::string last(std::size_t{2} << 20, '\0');
    for (std::size_t j = 0; j < last.size() / 2; ++j)
        PutI16(reinterpret_cast<unsigned char*>(last.data()) + 2 * j, static_cast<std::int16_t>(j));
    {
        std::fstream f(name, std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(512 + std::streamoff{1022} * (2 << 20));
        f.write(last.data(), static_cast<std::streamsize>(last.size()));
    }
    const auto reader = OpenDataFileReader(name);
    EXPECT_EQ(reader->Bursts(), 1023);
    std::vector<std::int16_t> codes;
    reader->ReadChannel(1022, 0, codes);
    ASSERT_EQ(codes.size(), std::size_t{1} << 20);
    EXPECT_EQ(codes[70000], static_cast<std::int16_t>(70000));
    reader->ReadChannel(500, 0, codes);
    EXPECT_EQ(codes[70000], 0);
}

TEST(DataFileReader, ReadsAnyRangeOfScansByChannelAndByRow) {
    TempDir dir;
    SDFdata d;
    d.Header = TwoChannels(300, 3);
    d.AllocateBlockBuffers();
    auto fill = [](SDFdata& data, int k) {
        for (std::size_t j = 0; j < 300; ++j) {
            data.BlockData[0][j] = static_cast<std::int16_t>(k * 1000 + static_cast<int>(j));
            data.BlockData[1][j] =
                static_cast<std::int16_t>(j % 11 == 4 ? ErrorData : -static_cast<int>(j));
        }
        data.ExtraData[0] = 0;
    };
    WriteSdfAndTsd(d, dir.File("r.sdf"), dir.File("r.tsd"), 3, fill);
    std::vector<std::vector<std::int16_t>> oldBlocks;
    for (int k = 0; k < 3; ++k) {
        fill(d, k);
        std::vector<std::int16_t> b;
        for (std::size_t j = 0; j < 300; ++j) {
            b.push_back(d.BlockData[0][j]);
            b.push_back(d.BlockData[1][j] == ErrorData ? std::int16_t{32767} : d.BlockData[1][j]);
        }
        b.push_back(0);
        oldBlocks.push_back(b);
    }
    WriteBytes(dir.File("old.sdf"), BuildSdf(2, d.Header, oldBlocks));
    for (const char* name : {"r.sdf", "r.tsd", "old.sdf"}) {
        SCOPED_TRACE(name);
        const auto reader = OpenDataFileReader(dir.File(name));
        Blocks data;
        std::vector<std::int16_t> rows;
        // Pieces out of order, across bursts, empty and whole.
        for (const auto& [k, first, count] :
             {std::tuple{2, 290, 10}, {0, 0, 300}, {1, 17, 5}, {2, 0, 1}, {1, 300, 0}, {0, 4, 1}}) {
            reader->ReadScans(k, first, count, data);
            reader->ReadScanRows(k, first, count, rows);
            ASSERT_EQ(data[0].size(), std::size_t(count));
            ASSERT_EQ(rows.size(), std::size_t(2 * count));
            for (int j = 0; j < count; ++j) {
                const int scan = first + j;
                const std::int16_t second =
                    scan % 11 == 4 ? ErrorData : static_cast<std::int16_t>(-scan);
                EXPECT_EQ(data[0][std::size_t(j)], k * 1000 + scan);
                EXPECT_EQ(data[1][std::size_t(j)], second) << k << " " << scan;
                EXPECT_EQ(rows[std::size_t(2 * j)], k * 1000 + scan);
                EXPECT_EQ(rows[std::size_t(2 * j + 1)], second);
            }
        }
        EXPECT_THROW(reader->ReadScans(0, 299, 2, data), FileError);
        EXPECT_THROW(reader->ReadScanRows(3, 0, 1, rows), FileError);
        EXPECT_THROW(reader->ReadScanRows(0, -1, 1, rows), FileError);
    }
}
