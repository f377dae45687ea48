#include "datafiles/h5/H5Layout.h"
#include "datafiles/DataFileFormats.h"
#include "datafiles/h5/H5Writer.h"
#include "model/FileError.h"
#include "text/DateTime.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <hdf5.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrel::test {
namespace {

using namespace tavrel::h5;

const std::vector<Channel> TwoChannels{{"電圧", "V", "A0", 0.001, 0.5, -10000, 10000},
                                       {"ch,2", "mV", "A1", 2, -1, NAN, NAN}};

// Bursts of 100 scans of two channels, values b*1000 + scan + 0.25 and its negative.
void WriteBursts(Writer& w, int bursts) {
    for (int b = 0; b < bursts; ++b) {
        std::vector<float> values;
        for (int i = 0; i < 100; ++i) {
            values.push_back(static_cast<float>(b * 1000 + i) + 0.25f);
            values.push_back(-(static_cast<float>(b * 1000 + i) + 0.25f));
        }
        // The first burst comes in two pieces, as fetches give it.
        w.AppendScans(std::span<const float>(values).first(60));
        w.AppendScans(std::span<const float>(values).subspan(60));
        // The second burst as a trigger starts one.
        w.AppendBurst(
            {b * 100LL, 100, 1.7e9 + b + 0.004, b == 1 ? NAN : 1.7e9 + b,
             b == bursts - 1 ? BurstEnd::Stopped : BurstEnd::Complete,
             b == 1 ? BurstTrigger{BurstOrigin::Triggered, 30, 1.7e9 + 1.034} : BurstTrigger{}});
        w.Flush();
    }
}

void WriteFile(const std::string& path, int bursts) {
    Writer w(path, path, true);
    Attributes a;
    a.Comment = "最初";
    w.SetAttributes(a);
    a = {};
    a.Comment = "コメント";
    a.StartTime = 1.7e9;
    a.SamplingInterval = 0.001;
    a.Device = "Demo device";
    a.BurstsPlanned = 10;
    a.Trigger = {BurstStart::Trigger, 1, TriggerEdge::Falling, -0.5, 0.02, 30, 0.25, 2};
    w.SetAttributes(a); // again before the samples
    w.SetChannels(TwoChannels);
    WriteBursts(w, bursts);
    w.Close();
}

// Reads a double field of a compound dataset by name with the C API alone.
std::vector<double> Field(hid_t file, const char* dataset, const char* field) {
    const hid_t d = H5Dopen2(file, dataset, H5P_DEFAULT);
    const hid_t space = H5Dget_space(d);
    const auto n = static_cast<std::size_t>(H5Sget_simple_extent_npoints(space));
    const hid_t type = H5Tcreate(H5T_COMPOUND, sizeof(double));
    H5Tinsert(type, field, 0, H5T_NATIVE_DOUBLE);
    std::vector<double> values(n);
    EXPECT_GE(H5Dread(d, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()), 0) << field;
    H5Tclose(type);
    H5Sclose(space);
    H5Dclose(d);
    return values;
}

TEST(H5Layout, ReadsBackThroughTheLibraryAndTheReader) {
    TempDir dir;
    const std::string path = dir.File("r.h5");
    WriteFile(path, 3);

    // The library alone, as any other reader sees the file.
    const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
    ASSERT_GE(file, 0);
    const hid_t samples = H5Dopen2(file, "samples", H5P_DEFAULT);
    const hid_t space = H5Dget_space(samples);
    hsize_t dims[2] = {};
    H5Sget_simple_extent_dims(space, dims, nullptr);
    EXPECT_EQ(dims[0], 300u);
    EXPECT_EQ(dims[1], 2u);
    std::vector<float> all(600);
    H5Dread(samples, H5T_NATIVE_FLOAT, H5S_ALL, H5S_ALL, H5P_DEFAULT, all.data());
    EXPECT_FLOAT_EQ(all[2 * 150], 1050.25f);
    EXPECT_FLOAT_EQ(all[2 * 150 + 1], -1050.25f);
    H5Sclose(space);
    H5Dclose(samples);
    EXPECT_EQ(Field(file, "channels", "a"), (std::vector<double>{0.001, 2}));
    EXPECT_EQ(Field(file, "channels", "b"), (std::vector<double>{0.5, -1}));
    const std::vector<double> scheduled = Field(file, "bursts", "scheduled_time_s");
    EXPECT_EQ(scheduled[2], 1.7e9 + 2);
    EXPECT_TRUE(std::isnan(scheduled[1]));
    EXPECT_EQ(Field(file, "bursts", "trigger_time_s")[1], 1.7e9 + 1.034);
    H5Fclose(file);

    Reader r(path);
    EXPECT_EQ(r.Header().Comment, "コメント");
    EXPECT_EQ(r.Header().Device, "Demo device");
    EXPECT_EQ(r.Header().StartTime, 1.7e9);
    EXPECT_EQ(r.Header().SamplingInterval, 0.001);
    EXPECT_EQ(r.Header().BurstsPlanned, 10);
    ASSERT_EQ(r.Channels().size(), 2u);
    EXPECT_EQ(r.Channels()[0].Name, "電圧");
    EXPECT_EQ(r.Channels()[1].Name, "ch,2");
    EXPECT_EQ(r.Channels()[0].DeviceChannel, "A0");
    EXPECT_EQ(r.Channels()[0].RangeHigh, 10000);
    EXPECT_TRUE(std::isnan(r.Channels()[1].RangeLow));
    ASSERT_EQ(r.Bursts().size(), 3u);
    EXPECT_EQ(r.Bursts()[2].FirstScan, 200);
    EXPECT_EQ(r.Bursts()[2].ScanCount, 100);
    EXPECT_EQ(r.Bursts()[0].StartTime, 1.7e9 + 0.004);
    EXPECT_EQ(r.Bursts()[0].End, BurstEnd::Complete);
    EXPECT_EQ(r.Bursts()[2].End, BurstEnd::Stopped);
    EXPECT_EQ(r.Header().Trigger, (TriggerSettings{BurstStart::Trigger, 1, TriggerEdge::Falling,
                                                   -0.5, 0.02, 30, 0.25, 2}));
    EXPECT_EQ(r.Bursts()[1].Trigger.Origin, BurstOrigin::Triggered);
    EXPECT_EQ(r.Bursts()[1].Trigger.Scan, 30);
    EXPECT_EQ(r.Bursts()[0].Trigger.Scan, -1);
    EXPECT_TRUE(std::isnan(r.Bursts()[0].Trigger.TimeSeconds));
    std::vector<float> scans;
    r.ReadScans(199, 2, scans);
    EXPECT_EQ(scans, (std::vector<float>{1099.25f, -1099.25f, 2000.25f, -2000.25f}));
    EXPECT_THROW(r.ReadScans(299, 2, scans), FileError);
}

// Pieces that start and end anywhere within chunks (8192 scans of two channels), for a
// recording and for an export (whole chunks bypass the library's cache): every value at its
// place, read through the C API.
TEST(H5Layout, PiecesAcrossChunksKeepEveryValue) {
    TempDir dir;
    const std::vector<std::int64_t> pieces = {1, 8191, 8192, 3 * 8192 + 5, 8187, 2 * 8192, 7};
    for (const bool swmr : {true, false}) {
        const std::string path = dir.File(swmr ? "r.h5" : "e.h5");
        std::int64_t scans = 0;
        {
            Writer w(path, path, swmr);
            w.SetChannels(TwoChannels);
            for (const std::int64_t n : pieces) {
                std::vector<float> values;
                for (std::int64_t i = scans; i < scans + n; ++i)
                    values.insert(values.end(), {float(i), -float(i)});
                w.AppendScans(values);
                scans += n;
            }
            w.Close();
        }
        const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
        const hid_t samples = H5Dopen2(file, "samples", H5P_DEFAULT);
        std::vector<float> all(static_cast<std::size_t>(scans) * 2, 0.5f);
        EXPECT_GE(H5Dread(samples, H5T_NATIVE_FLOAT, H5S_ALL, H5S_ALL, H5P_DEFAULT, all.data()), 0);
        H5Dclose(samples);
        H5Fclose(file);
        std::int64_t wrong = 0;
        for (std::int64_t i = 0; i < scans; ++i)
            wrong +=
                all[2 * std::size_t(i)] != float(i) || all[2 * std::size_t(i) + 1] != -float(i);
        EXPECT_EQ(wrong, 0) << (swmr ? "recording" : "export");
    }
}

// A burst table written before bursts could start on a trigger reads as on the schedule.
TEST(H5Layout, ABurstTableWithoutTriggerColumnsReadsAsScheduled) {
    TempDir dir;
    const std::string path = dir.File("old.h5");
    WriteFile(path, 1);
    const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDWR, H5P_DEFAULT);
    ASSERT_GE(file, 0);
    ASSERT_GE(H5Ldelete(file, "bursts", H5P_DEFAULT), 0);
    struct Old {
        std::int64_t first, count;
        double start, scheduled;
        std::int8_t end;
    } row{0, 100, 1.7e9, 1.7e9, 0};
    const hid_t type = H5Tcreate(H5T_COMPOUND, sizeof(Old));
    H5Tinsert(type, "first_scan", HOFFSET(Old, first), H5T_NATIVE_INT64);
    H5Tinsert(type, "scan_count", HOFFSET(Old, count), H5T_NATIVE_INT64);
    H5Tinsert(type, "start_time_s", HOFFSET(Old, start), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "scheduled_time_s", HOFFSET(Old, scheduled), H5T_NATIVE_DOUBLE);
    const hid_t end = H5Tenum_create(H5T_NATIVE_INT8);
    const char* ends[] = {"complete", "stopped", "overflow", "device lost"};
    for (std::int8_t v = 0; v < 4; ++v)
        H5Tenum_insert(end, ends[v], &v);
    H5Tinsert(type, "end", HOFFSET(Old, end), end);
    H5Tclose(end);
    const hsize_t one = 1;
    const hid_t space = H5Screate_simple(1, &one, nullptr);
    const hid_t d = H5Dcreate2(file, "bursts", type, space, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    ASSERT_GE(H5Dwrite(d, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, &row), 0);
    H5Dclose(d);
    H5Sclose(space);
    H5Tclose(type);
    H5Fclose(file);

    Reader r(path);
    ASSERT_EQ(r.Bursts().size(), 1u);
    EXPECT_EQ(r.Bursts()[0].ScanCount, 100);
    EXPECT_EQ(r.Bursts()[0].Trigger.Origin, BurstOrigin::Scheduled);
    EXPECT_EQ(r.Bursts()[0].Trigger.Scan, -1);
}

TEST(H5Layout, AFileOfAnotherKindIsNoRecording) {
    TempDir dir;
    const std::string other = dir.File("other.h5");
    const hid_t file = H5Fcreate(other.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
    H5Fclose(file);
    EXPECT_THROW(Reader{other}, FileError);
    const std::string text = dir.File("text.h5");
    WriteBytes(text, "not hdf5");
    EXPECT_THROW(Reader{text}, FileError);
    EXPECT_FALSE(IsHdf5Signature("not hdf5"));
    EXPECT_TRUE(IsHdf5Signature(std::string("\x89HDF\r\n\x1a\n", 8)));
}

// A recorder killed after its third burst: the bursts flushed are there, readers open the
// file, and once its flags are cleared so does any HDF5 program.
TEST(H5Layout, AKilledRecordersBurstsStayReadable) {
    TempDir dir;
    const std::string path = dir.File("k.h5");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Writer w(path, path, true);
        w.SetChannels(TwoChannels);
        WriteBursts(w, 3);
        std::vector<float> part(40, 1.0f); // a burst begun, never ended
        w.AppendScans(part);
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    const hid_t plain = H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
    EXPECT_LT(plain, 0); // marked as still being written
    {
        Reader r(path);
        ASSERT_EQ(r.Bursts().size(), 3u);
        std::vector<float> scans;
        r.ReadScans(299, 1, scans);
        EXPECT_EQ(scans, (std::vector<float>{2099.25f, -2099.25f}));
    }

    EXPECT_TRUE(ClearRecordingFlags(path));
    EXPECT_FALSE(ClearRecordingFlags(path));
    const hid_t cleared = H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
    EXPECT_GE(cleared, 0);
    H5Fclose(cleared);
}

// Recorders killed at twenty moments: every burst whose row was flushed reads back whole, the
// values of the ones before it included.
TEST(H5Layout, EveryFlushedBurstSurvivesAKill) {
    TempDir dir;
    for (int trial = 0; trial < 20; ++trial) {
        const std::string path = dir.File("t" + std::to_string(trial) + ".h5");
        // Pseudo-random moments: after 0 to 6 bursts, and 0 to 99 scans into the next.
        const int bursts = (trial * 7 + 3) % 7, scans = (trial * 37) % 100;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Writer w(path, path, true);
            w.SetChannels(TwoChannels);
            WriteBursts(w, bursts);
            std::vector<float> part(static_cast<std::size_t>(2 * scans), 7.0f);
            w.AppendScans(part);
            ::kill(::getpid(), SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << trial;
        const Reader r(path);
        ASSERT_EQ(r.Bursts().size(), static_cast<std::size_t>(bursts)) << trial;
        for (int b = 0; b < bursts; ++b) {
            std::vector<float> scan;
            r.ReadScans(b * 100LL + 99, 1, scan);
            EXPECT_EQ(scan[0], static_cast<float>(b * 1000 + 99) + 0.25f) << trial << " " << b;
        }
    }
}

// A recording takes its planned blocks when it begins, so a disk that fills under it cannot cut
// HDF5's own writes short; what it did not use goes back at the end.
TEST(H5Layout, ARecordingReservesItsPlannedSpace) {
    TempDir dir;
    const std::string path = dir.File("r.h5");
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = 2;
    h.SampleCount = 100'000;
    h.BurstCount = 10; // 8 MB planned
    const std::int64_t planned = DataFormatOf(DataFileType::Hdf5).PlannedBytes(h);
    const auto allocated = [&] {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return static_cast<std::int64_t>(st.st_blocks) * 512;
    };
    {
        H5Writer w(path);
        w.Begin(h);
        if (allocated() < planned)
            GTEST_SKIP() << "the file system reserves no space";
        SDFdata data;
        data.Header = h;
        w.BeginBurst(0, 0, 0, {});
        w.AppendValues(std::vector<double>(2 * 1000, 1.5));
        w.EndBurstAs(BurstEnd::Stopped);
        w.AppendBlock(0, data);
        w.Release();
    }
    EXPECT_LT(allocated(), planned / 4);
    const Reader r(path);
    ASSERT_EQ(r.Bursts().size(), 1u);
    EXPECT_EQ(r.Bursts()[0].ScanCount, 1000);
}

// A reader open while the recorder writes takes the new bursts in on Refresh.
TEST(H5Layout, AReaderFollowsTheRecorder) {
    TempDir dir;
    const std::string path = dir.File("live.h5");
    Writer w(path, path, true);
    w.SetChannels(TwoChannels);
    WriteBursts(w, 1);
    Reader r(path);
    EXPECT_EQ(r.Bursts().size(), 1u);
    EXPECT_FALSE(r.Refresh());
    WriteBursts(w, 2);
    EXPECT_TRUE(r.Refresh());
    EXPECT_EQ(r.Bursts().size(), 3u);
    std::vector<float> scans;
    r.ReadScans(250, 1, scans);
    EXPECT_EQ(scans.size(), 2u);
    w.Close();
}

// An instant across a clock change keeps its offset; the local date-time goes there and back.
TEST(H5Layout, InstantsCarryTheOffsetInForce) {
    const char* saved = std::getenv("TZ");
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    const double start = *EncodeDateTime({2024, 3, 31, 1, 30, 0, 0});
    const double epoch = *EpochSecondsOf(start);
    const struct {
        double hours;
        const char* text;
    } cases[] = {{0, "2024-03-31T01:30:00+01:00"},
                 {1, "2024-03-31T03:30:00+02:00"},
                 {2, "2024-03-31T04:30:00+02:00"},
                 {2.5001, "2024-03-31T05:00:00.360+02:00"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatIsoEpochSeconds(epoch + c.hours * 3600), c.text) << c.hours;
    EXPECT_NEAR(DateTimeOfEpochSeconds(epoch + 3600), *EncodeDateTime({2024, 3, 31, 3, 30, 0, 0}),
                1e-9);
    EXPECT_FALSE(EpochSecondsOf(NAN).has_value());
    EXPECT_EQ(FormatIsoEpochSeconds(NAN), "");
    if (saved)
        ::setenv("TZ", saved, 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

} // namespace
} // namespace tavrel::test
