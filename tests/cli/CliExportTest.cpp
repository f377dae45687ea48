#include "CliRun.h"
#include "MeasurementFiles.h"
#include "OldSdfBuilder.h"
#include "TestSupport.h"
#include "model/SDFdata.h"
#include "text/DateTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <random>
#include <set>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

std::string Command(const std::vector<std::string>& args) {
    return tavrel::test::Command(TAVREL_CLI, args);
}

// Runs the command line with its output in files outside dir, so dir holds only what it wrote.
Result Cli(const std::vector<std::string>& args) {
    static const TempDir outputs;
    return RunCommand(Command(args), outputs);
}

// Three channels of 6 scans in 3 bursts, 20 msec apart (50 Hz).
void WriteMeasurement(const std::string& sdf, const std::string& tsd) {
    SDFdata d;
    d.Header.ChannelCount = 3;
    d.Header.SampleCount = 6;
    d.Header.BurstCount = 3;
    d.Header.SamplingInterval = 20;
    d.Header.ChannelName[1] = std::string_view("\x89\xB7\x93\x78"); // 温度
    d.Header.CoefA[1] = 0.5f;
    d.AllocateBlockBuffers();
    WriteSdfAndTsd(d, sdf, tsd, 3, [](SDFdata& data, int k) {
        for (std::size_t c = 0; c < 3; ++c)
            for (std::size_t j = 0; j < 6; ++j)
                data.BlockData[c][j] = static_cast<std::int16_t>(100 * k + 10 * int(c) + int(j));
    });
}

std::vector<std::string> Names(const TempDir& dir) {
    auto names = dir.Names();
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(CliExport, WritesTheFormatOfTheExtensionOrTheOneAskedFor) {
    TempDir dir;
    WriteMeasurement(dir.File("m.sdf"), dir.File("m.tsd"));
    for (const char* in : {"m.sdf", "m.tsd"}) {
        Result r = Cli({"export", dir.File(in), dir.File("all.csv"), "--force"});
        ASSERT_EQ(r.Status, 0) << r.Err;
        EXPECT_EQ(r.Out + r.Err, "");
        const std::string csv = ReadBytes(dir.File("all.csv"));
        EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
        const auto lines = CrlfLines(csv.substr(3));
        ASSERT_EQ(lines.size(), 19u);
        EXPECT_EQ(lines[0], "time [s],burst,Ch.1 [mV],\xE6\xB8\xA9\xE5\xBA\xA6 [mV],Ch.3 [mV]");
        EXPECT_EQ(lines[2], "0.02,1,1,5.5,21"); // 11 x 0.5
        EXPECT_EQ(lines[18], "0.1,3,205,107.5,225");

        r = Cli({"export", dir.File(in), dir.File("some.txt"), "--format", "csv", "--bursts", "3,1",
                 "--channels", "2", "--encoding", "cp932", "--force"});
        ASSERT_EQ(r.Status, 0) << r.Err;
        const auto some = CrlfLines(ReadBytes(dir.File("some.txt")));
        ASSERT_EQ(some.size(), 13u);
        EXPECT_EQ(some[0], "time [s],burst,\x89\xB7\x93\x78 [mV]");
        EXPECT_EQ(some[1], "0,3,105"); // the bursts in the order asked for
    }
    Result r = Cli({"export", dir.File("m.sdf"), dir.File("m.data"), "--format", "hdf5"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadBytes(dir.File("m.data")).substr(0, 8), "\x89HDF\r\n\x1A\n");
    r = Cli({"export", dir.File("m.tsd"), dir.File("w.wav"), "--bursts", "2-3"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"all.csv", "m.data", "m.sdf", "m.tsd",
                                                    "some.txt", "w-002.wav", "w-003.wav"}));
    EXPECT_EQ(ReadBytes(dir.File("w-003.wav")).substr(0, 4), "RIFF");
}

TEST(CliExport, UsageErrorsExitTwoFailuresOneAndLeaveNothing) {
    TempDir dir;
    WriteMeasurement(dir.File("m.sdf"), dir.File("m.tsd"));
    WriteBytes(dir.File("text.txt"), "hello\r\n");
    const std::string m = dir.File("m.sdf");
    const std::vector<std::vector<std::string>> usage = {
        {"export", m},
        {"export", m, dir.File("o.txt")},
        {"export", m, dir.File("o.csv"), "--format", "xml"},
        {"export", m, dir.File("o.csv"), "--bursts", "0"},
        {"export", m, dir.File("o.csv"), "--bursts", "x"},
        {"export", m, dir.File("o.csv"), "--channels", "3-1"},
        {"export", m, dir.File("o.csv"), "--encoding", "latin1"},
        {"export", m, dir.File("o.h5"), "--encoding", "cp932"},
        {"export", m, dir.File("o.csv"), "--bursts", "2,4"},
        {"export", m, dir.File("o.h5"), "--channels", "4"},
        {"export", m, dir.File("o.csv"), "--bursts", "2,2"},
        {"export", m, dir.File("o.csv"), "--channels", "1,3,1"},
        {"export", m, dir.File("o.csv"), "--bursts", ""},
        {"export", m, dir.File("o.csv"), "--bursts", " \t"},
        {"export", m, dir.File("o.csv"), "--channels", ""},
    };
    for (const auto& args : usage) {
        const Result r = Cli(args);
        EXPECT_EQ(r.Status, 2) << args.back() << ": " << r.Err;
        EXPECT_EQ(r.Out, "");
        EXPECT_GE(Lines(r.Err), 1);
    }
    // A 3 msec interval has no whole WAV rate.
    MeasurementHeader h = DefaultMeasurementHeader();
    h.SamplingInterval = 3;
    WriteBytes(dir.File("odd.sdf"), BuildSdf(4, h, {std::vector<std::int16_t>(512, 0)}));
    const std::vector<std::vector<std::string>> failures = {
        {"export", dir.File("none.sdf"), dir.File("o.csv")},
        {"export", dir.File("text.txt"), dir.File("o.csv")},
        {"export", dir.File("odd.sdf"), dir.File("o.wav")},
        {"export", m, dir.File("no/dir/o.csv")},
        {"export", m, m, "--format", "csv", "--force"},
        {"export", m, dir.Path().string() + "/", "--format", "hdf5"},
    };
    for (const auto& args : failures) {
        const Result r = Cli(args);
        EXPECT_EQ(r.Status, 1) << args[2] << ": " << r.Err;
        EXPECT_EQ(Lines(r.Err), 1) << r.Err;
        EXPECT_EQ(r.Out, "");
    }
    const Result wav = Cli(failures[2]);
    EXPECT_NE(wav.Err.find("3 msec"), std::string::npos) << wav.Err;
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"m.sdf", "m.tsd", "odd.sdf", "text.txt"}));
}

TEST(CliExport, KeepsTheOrderGivenAndNamesRepeats) {
    TempDir dir;
    WriteMeasurement(dir.File("m.sdf"), dir.File("m.tsd"));
    Result r =
        Cli({"export", dir.File("m.sdf"), dir.File("o.csv"), "--bursts", "2", "--channels", "3,1"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const auto lines = CrlfLines(ReadBytes(dir.File("o.csv")).substr(3));
    EXPECT_EQ(lines[0], "time [s],burst,Ch.3 [mV],Ch.1 [mV]");
    EXPECT_EQ(lines[1], "0,2,120,100");
    r = Cli({"export", dir.File("m.sdf"), dir.File("p.csv"), "--channels", "2,1-3"});
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("チャンネル 2 が2回"), std::string::npos) << r.Err;
}

TEST(CliExport, RefusesAnExistingOutputUnlessForced) {
    TempDir dir;
    WriteMeasurement(dir.File("m.sdf"), dir.File("m.tsd"));
    WriteBytes(dir.File("o.csv"), "keep");
    WriteBytes(dir.File("w-003.wav"), "keep");
    const struct {
        std::vector<std::string> Args;
        std::string Kept;
    } cases[] = {{{"o.csv"}, "o.csv"}, {{"w.wav", "--bursts", "2-3"}, "w-003.wav"}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {"export", dir.File("m.sdf"), dir.File(c.Args[0])};
        args.insert(args.end(), c.Args.begin() + 1, c.Args.end());
        Result r = Cli(args);
        EXPECT_EQ(r.Status, 1) << c.Kept;
        EXPECT_NE(r.Err.find(c.Kept), std::string::npos) << r.Err;
        EXPECT_NE(r.Err.find("--force"), std::string::npos) << r.Err;
        EXPECT_EQ(ReadBytes(dir.File(c.Kept)), "keep");
        args.push_back("--force");
        r = Cli(args);
        EXPECT_EQ(r.Status, 0) << r.Err;
        EXPECT_NE(ReadBytes(dir.File(c.Kept)), "keep");
    }
}

TEST(CliExport, ACutFileSaysWhatIsMissingAndFailsUnlessOnlyWholeBurstsAreAsked) {
    TempDir dir;
    WriteMeasurement(dir.File("m.sdf"), dir.File("m.tsd"));
    std::string bytes = ReadBytes(dir.File("m.sdf"));
    bytes.resize(bytes.size() - 10); // the third block cut short
    WriteBytes(dir.File("cut.sdf"), bytes);
    Result r = Cli({"export", dir.File("cut.sdf"), dir.File("all.csv")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("3 回のバーストのうち 2 回分"), std::string::npos) << r.Err;
    EXPECT_EQ(CrlfLines(ReadBytes(dir.File("all.csv")).substr(3)).size(), 13u);
    r = Cli({"export", dir.File("cut.sdf"), dir.File("some.csv"), "--bursts", "1-2"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
}

namespace {

// Two channels of 50000 scans in a number of bursts: an export that takes a while.
void WriteBigSdf(const TempDir& dir, int bursts = 100) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = 2;
    h.SampleCount = 50000;
    h.BurstCount = static_cast<std::int16_t>(bursts);
    const std::vector<std::vector<std::int16_t>> blocks(static_cast<std::size_t>(bursts),
                                                        std::vector<std::int16_t>(100000, 7));
    WriteBytes(dir.File("big.sdf"), BuildSdf(4, h, blocks));
}

// Starts an export of dir's big.sdf to out, sends sig after delay and gives its wait status.
int ExportSignalled(const TempDir& dir, const std::string& out, int sig,
                    std::chrono::microseconds delay) {
    const std::string format = out.substr(4) == "h5" ? "hdf5" : out.substr(4);
    const std::string command =
        "exec " + Command({"export", dir.File("big.sdf"), dir.File(out), "--format", format}) +
        " >/dev/null 2>/dev/null";
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(delay);
    kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

} // namespace

TEST(CliExport, SignalsLeaveNoFile) {
    TempDir dir;
    WriteBigSdf(dir);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        for (const std::string out : {"big.csv", "big.h5", "big.wav"}) {
            const int status = ExportSignalled(dir, out, sig, std::chrono::milliseconds(40));
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
                // Finished before the signal: remove what it wrote.
                for (const auto& name : dir.Names())
                    if (name != "big.sdf")
                        std::filesystem::remove(dir.File(name));
                continue;
            }
            EXPECT_EQ(Names(dir), std::vector<std::string>{"big.sdf"}) << sig << " " << out;
        }
    }
}

// Killed at any moment, an export leaves no temporary: only whole output files, if any.
TEST(CliExport, AKilledExportLeavesNothingButWholeFiles) {
    TempDir dir, whole;
    WriteBigSdf(dir, 20);
    WriteBigSdf(whole, 20);
    std::mt19937 random(20);
    for (const std::string out : {"big.csv", "big.h5", "big.wav"}) {
        // What a finished export writes, and how long it takes: the kills fall within it.
        const auto begun = std::chrono::steady_clock::now();
        ASSERT_EQ(ExportSignalled(whole, out, 0, std::chrono::microseconds(0)), 0) << out;
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - begun);
        std::set<std::string> named; // HDF5 writes its temporary by name
        for (int trial = 0; trial < 5; ++trial) {
            const auto delay = std::chrono::microseconds(random() % (took.count() + 1));
            ExportSignalled(dir, out, SIGKILL, delay);
            for (const std::string& name : dir.Names()) {
                if (name == "big.sdf")
                    continue;
                if (out == "big.h5" && name.size() == 18 && name.starts_with("big.h5.part~")) {
                    named.insert(name);
                    continue;
                }
                ASSERT_TRUE(std::filesystem::exists(whole.File(name))) << name << " left";
                if (out == "big.h5") // object times differ between runs; the layout does not
                    EXPECT_EQ(std::filesystem::file_size(dir.File(name)),
                              std::filesystem::file_size(whole.File(name)));
                else
                    EXPECT_TRUE(ReadBytes(dir.File(name)) == ReadBytes(whole.File(name))) << name;
                std::filesystem::remove(dir.File(name));
            }
        }
        // The next export removes such a name once no running process can own it.
        for (const std::string& name : named)
            std::filesystem::last_write_time(dir.File(name),
                                             std::filesystem::file_time_type::clock::now() -
                                                 std::chrono::hours(24 * 400));
        ASSERT_EQ(ExportSignalled(dir, out, 0, std::chrono::microseconds(0)), 0);
        for (const std::string& name : named)
            EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
        std::filesystem::remove(dir.File(out));
    }
}

// An export that fills the disk: one line, status 1, nothing left; for every format.
// Needs the right to mount a tmpfs (root); skipped otherwise.
TEST(CliExport, AFullDiskFailsWithOneLineAndLeavesNothing) {
    TempDir dir;
    WriteBigSdf(dir, 20); // 4 MB of codes: 8 MB as HDF5 values
    const std::filesystem::path small = dir.Path() / "small";
    std::filesystem::create_directories(small);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    struct Unmount {
        std::filesystem::path At;
        ~Unmount() { umount2(At.c_str(), MNT_DETACH); }
    } unmount{small};
    for (const std::string out : {"big.h5", "big.csv", "big.wav"}) {
        const Result r = Cli({"export", dir.File("big.sdf"), (small / out).string()});
        EXPECT_EQ(r.Status, 1) << out << " " << r.Err;
        EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
        EXPECT_TRUE(std::filesystem::is_empty(small)) << out;
    }
}
