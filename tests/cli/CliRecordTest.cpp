#include "TestSupport.h"
#include "datafiles/DataFileRepair.h"
#include "datafiles/MainEntries.h"
#include "datafiles/ParameterFile.h"
#include "datafiles/h5/H5FileReader.h"
#include "datafiles/h5/H5Layout.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/tsd/TsdFile.h"
#include "model/MeasurementHeader.h"

#include "datafiles/h5/H5FileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <pty.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tavrel::test {
namespace {

namespace fs = std::filesystem;

class CliRecordTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir / "out"); }

    // A parameter file whose data file is given relative to it.
    fs::path WriteParams(int samples, int bursts, int burstInterval, int burstUnit,
                         const std::string& dataName, int fileType = -1,
                         const std::string& paramName = "rec.apm",
                         const TriggerEntries& trigger = {}) {
        MainEntries e = DefaultMainEntries(dir.string() + "/");
        e.Trigger = trigger;
        e.EditDataNum = std::to_string(samples);
        e.EditIteration = std::to_string(bursts);
        e.EditBurstInterval = std::to_string(burstInterval);
        e.ComboBoxBITUnit = burstUnit;
        e.EditSInterval = Sampling;
        e.ComboSampUnit = SamplingUnit;
        e.EditFileName = dataName;
        e.RadioGroupFileType = fileType >= 0 ? fileType : dataName.ends_with(".tsd") ? 1 : 0;
        MeasurementHeader header = DefaultMeasurementHeader();
        const fs::path p = dir / paramName;
        SaveParameterFile(e, header, p.string());
        return p;
    }

    pid_t Start(const std::vector<std::string>& args, const std::string& errName = "stderr.txt",
                long fileSizeLimit = -1) {
        std::vector<std::string> all{TAVREL_CLI, "record"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string err = (dir / errName).string();
        if (fileSizeLimit >= 0) {
            // A full disk: the child may write no file beyond the limit.
            const pid_t pid = fork();
            if (pid == 0) {
                const rlimit limit{static_cast<rlim_t>(fileSizeLimit),
                                   static_cast<rlim_t>(fileSizeLimit)};
                setrlimit(RLIMIT_FSIZE, &limit);
                signal(SIGXFSZ, SIG_IGN);
                const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                dup2(fd, 2);
                const int null = open("/dev/null", O_WRONLY);
                dup2(null, 1);
                execv(TAVREL_CLI, argv.data());
                _exit(127);
            }
            return pid;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, TAVREL_CLI, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    int Wait(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    int Run(const std::vector<std::string>& args) { return Wait(Start(args)); }

    // Runs record with its output on a terminal, where the progress line is drawn; gives what
    // the terminal received, or nothing where the system has no pseudo-terminal to give.
    std::optional<std::string> RunOnTerminal(const std::vector<std::string>& args, int& status) {
        std::vector<std::string> all{TAVREL_CLI, "record"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int terminal = -1;
        const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
        if (pid < 0)
            return std::nullopt;
        if (pid == 0) {
            execv(TAVREL_CLI, argv.data());
            _exit(127);
        }
        std::string out;
        char buffer[4096];
        for (;;) { // ends with EIO once the program has closed the terminal
            const ssize_t n = read(terminal, buffer, sizeof buffer);
            if (n > 0)
                out.append(buffer, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR)
                break;
        }
        close(terminal);
        status = Wait(pid);
        return out;
    }

    // What devices prints.
    static std::string
    DevicesOutput(const std::string& env = "LC_ALL= LC_MESSAGES= LANG=ja_JP.UTF-8") {
        std::string out;
        FILE* pipe = popen((env + " " + std::string(TAVREL_CLI) + " devices").c_str(), "r");
        if (pipe == nullptr)
            return out;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            out += buffer;
        EXPECT_EQ(pclose(pipe), 0);
        return out;
    }

    TempDir temp;
    fs::path dir = temp.Path();
    std::string Sampling = "1";
    int SamplingUnit = 1; // msec
};

TEST_F(CliRecordTest, RecordsIntoTheDataFileBesideTheParameters) {
    const fs::path params = WriteParams(50, 2, 1, 0, "out/rec.sdf");
    ASSERT_EQ(Run({params.string()}), 0) << ReadBytes(dir / "stderr.txt");
    const fs::path data = dir / "out" / "rec.sdf";
    auto bytes = ReadBytes(data);
    ASSERT_GE(bytes.size(), 512u);
    EXPECT_EQ(I16(bytes, 223), 2);
    EXPECT_EQ(bytes.size(), 512u + 2u * 100u);
    EXPECT_NE(ReadBytes(dir / "stderr.txt").find("変換終了"), std::string::npos);

    // An existing data file is refused without --force, and kept.
    EXPECT_NE(Run({params.string()}), 0);
    const std::string err = ReadBytes(dir / "stderr.txt");
    EXPECT_NE(err.find("既に存在します"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_EQ(ReadBytes(data), bytes);

    EXPECT_EQ(Run({params.string(), "--force"}), 0);
    EXPECT_EQ(ReadBytes(data).size(), 512u + 2u * 100u);
}

TEST_F(CliRecordTest, InterruptStopsAndCompletesTheFile) {
    // Bursts an hour apart: the signal comes while the second burst is awaited.
    const fs::path params = WriteParams(20, 5, 1, 2, "rec.tsd");
    const fs::path data = dir / "rec.tsd";
    const pid_t pid = Start({params.string()});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ReadBytes(data).find("No.1") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(pid, SIGINT);
    EXPECT_EQ(Wait(pid), 0) << ReadBytes(dir / "stderr.txt");
    EXPECT_NE(ReadBytes(dir / "stderr.txt").find("変換中止"), std::string::npos);
    const std::string text = ReadBytes(data);
    EXPECT_NE(text.find("No.1"), std::string::npos);
    EXPECT_EQ(text.find("No.2"), std::string::npos);
    // The header says one burst: the twelve header lines, then one block of 21 lines.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12 + 21);
    EXPECT_FALSE(fs::exists(dir / "rec.$$$"));
}

// Bursts on a crossing of the simulated card's 0.5 Hz sine, with the trigger from the
// parameter file or the command line; sdf cannot hold them and a malformed one is a usage error.
TEST_F(CliRecordTest, TriggeredBurstsFromTheFileOrTheCommandLine) {
    TriggerEntries fromFile;
    fromFile.Mode = 1;
    fromFile.Edge = 2; // either: a crossing every second
    fromFile.PreTrigger = "50";
    const fs::path params = WriteParams(100, 2, 1, 0, "t.h5", 2, "t.apm", fromFile);
    ASSERT_EQ(Run({params.string()}), 0) << ReadBytes(dir / "stderr.txt");
    {
        H5FileReader reader((dir / "t.h5").string());
        ASSERT_EQ(reader.Bursts(), 2);
        EXPECT_EQ(reader.RecordedTrigger().Edge, TriggerEdge::Either);
        for (std::int64_t k = 0; k < 2; ++k) {
            EXPECT_EQ(reader.TriggerOf(k).Origin, BurstOrigin::Triggered);
            EXPECT_EQ(reader.TriggerOf(k).Scan, 50);
        }
        // A second apart, as the sine crosses zero.
        EXPECT_NEAR(reader.TriggerOf(1).TimeSeconds - reader.TriggerOf(0).TimeSeconds, 1.0, 0.01);
    }
    EXPECT_EQ(Run({params.string(), "--force", "--trigger", "1:falling:-1000:10"}), 0);
    EXPECT_EQ(H5FileReader((dir / "t.h5").string()).RecordedTrigger().Level, -1000);
    // The simulated card with pulses at random times on CH0: each burst around one of them.
    ASSERT_EQ(Run({params.string(), "--force", "--device", "simulated-events", "--trigger",
                   "1:rising:1500:10"}),
              0);
    {
        H5FileReader reader((dir / "t.h5").string());
        ASSERT_EQ(reader.Bursts(), 2);
        std::vector<std::int16_t> codes;
        for (std::int64_t k = 0; k < 2; ++k) {
            reader.ReadChannel(k, 0, codes);
            EXPECT_LT(codes[9], 1500);
            EXPECT_GE(codes[10], 1500);
        }
    }

    const fs::path sdf = WriteParams(100, 2, 1, 0, "t.sdf", 0, "s.apm");
    EXPECT_EQ(Run({sdf.string(), "--trigger", "1:rising:0"}), 1);
    EXPECT_NE(ReadBytes(dir / "stderr.txt").find("hdf5"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "t.sdf"));
    EXPECT_EQ(Run({sdf.string(), "--trigger", "1:up:0"}), 2);
    EXPECT_FALSE(fs::exists(dir / "t.sdf"));
}

TEST_F(CliRecordTest, ErrorsGiveOneLineAndAFailureStatus) {
    EXPECT_NE(Run({(dir / "missing.apm").string()}), 0);
    const std::string err = ReadBytes(dir / "stderr.txt");
    EXPECT_NE(err.find("missing.apm"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);

    { std::ofstream(dir / "bad.apm") << "not a parameter file\r\n"; }
    EXPECT_NE(Run({(dir / "bad.apm").string()}), 0);
    EXPECT_NE(Run({}), 0);
}

// Whole blocks behind an sdf header of one channel of 50 scans.
std::int64_t SdfBlocks(const std::string& bytes) {
    return bytes.size() < 512 ? 0 : static_cast<std::int64_t>((bytes.size() - 512) / 100);
}

int BurstsEnded(const std::string& err) {
    // "N回目の計測待ち" follows the block of burst N - 1 written.
    int n = 0;
    for (std::size_t at = err.find("回目の計測待ち"); at != std::string::npos;
         at = err.find("回目の計測待ち", at + 1))
        ++n;
    return std::max(n - 1, 0);
}

TEST_F(CliRecordTest, KilledRecordersLeaveEveryBurstOfTheSecondBeforeTheKill) {
    constexpr int Trials = 20;
    std::mt19937 random(20240229);
    std::uniform_int_distribution<int> killMs(1100, 2000);
    struct Trial {
        pid_t Pid = -1;
        std::string Data, Err;
        int KillAt = 0, EndedSecondBefore = -1;
        bool Killed = false;
    };
    std::vector<Trial> trials(Trials);
    for (int i = 0; i < Trials; ++i) {
        Trial& t = trials[static_cast<std::size_t>(i)];
        const std::string data = "k" + std::to_string(i) + (i % 2 == 0 ? ".sdf" : ".tsd");
        // Bursts of 50 ms back to back: many blocks in the two seconds.
        const fs::path params =
            WriteParams(50, 200, 0, 0, data, -1, "k" + std::to_string(i) + ".apm");
        t.Data = (dir / data).string();
        t.Err = "err" + std::to_string(i) + ".txt";
        t.KillAt = -1;
        t.Pid = Start({params.string()}, t.Err);
    }
    // Each kill comes at a random moment 1.1 to 2 s after the trial's first burst has ended,
    // however slowly the programs start on a loaded machine.
    const auto start = std::chrono::steady_clock::now();
    for (int left = Trials; left > 0;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        for (Trial& t : trials) {
            if (t.Killed)
                continue;
            if (t.KillAt < 0 && (BurstsEnded(ReadBytes(dir / t.Err)) > 0 || ms > 30000))
                t.KillAt = static_cast<int>(ms) + killMs(random);
            if (t.KillAt >= 0 && t.EndedSecondBefore < 0 && ms >= t.KillAt - 1000)
                t.EndedSecondBefore = BurstsEnded(ReadBytes(dir / t.Err));
            if (t.KillAt >= 0 && ms >= t.KillAt) {
                kill(t.Pid, SIGKILL);
                t.Killed = true;
                --left;
            }
        }
    }
    int checked = 0, withBursts = 0;
    for (Trial& t : trials) {
        EXPECT_EQ(Wait(t.Pid), 128 + SIGKILL);
        if (!fs::exists(t.Data)) { // killed before its start: nothing was due
            EXPECT_EQ(t.EndedSecondBefore, 0) << t.Data;
            continue;
        }
        const std::string bytes = ReadBytes(t.Data);
        const DataFileCheck c = CheckDataFile(t.Data);
        ASSERT_NE(c.Result, DataFileCheck::Outcome::NotDataFile) << t.Data;
        if (t.Data.ends_with(".sdf")) {
            // The header never promises a block that is not there, at most one is uncounted.
            EXPECT_LE(I16(bytes, 223), SdfBlocks(bytes)) << t.Data;
            EXPECT_GE(I16(bytes, 223) + 1, SdfBlocks(bytes)) << t.Data;
            EXPECT_GE(I16(bytes, 223), t.EndedSecondBefore) << t.Data;
        }
        EXPECT_GE(c.WholeBlocks, t.EndedSecondBefore) << t.Data;
        withBursts += t.EndedSecondBefore > 0 ? 1 : 0;
        // repair makes it consistent and keeps those bursts.
        const DataFileCheck repaired = RepairDataFile(t.Data);
        EXPECT_EQ(CheckDataFile(t.Data).Result, DataFileCheck::Outcome::Consistent) << t.Data;
        EXPECT_EQ(CheckDataFile(t.Data).WholeBlocks, repaired.WholeBlocks);
        ++checked;
    }
    // Most trials had bursts to lose: the check above was not empty.
    EXPECT_GE(withBursts, Trials - 2);
    EXPECT_EQ(checked, Trials);
}

TEST_F(CliRecordTest, AFullDiskEndsTheRunLikeAStop) {
    for (const std::string name : {"full.sdf", "full.tsd"}) {
        const fs::path params = WriteParams(50, 10, 0, 0, name);
        const fs::path data = dir / name;
        // Room for the header and about three blocks.
        const long limit = name.ends_with(".sdf") ? 512 + 3 * 100 + 40 : 3000;
        EXPECT_EQ(Wait(Start({params.string()}, "stderr.txt", limit)), 1) << name;
        const std::string err = ReadBytes(dir / "stderr.txt");
        EXPECT_NE(err.find("ディスクがいっぱいになったため変換中止"), std::string::npos) << err;
        const DataFileCheck c = CheckDataFile(data.string());
        EXPECT_EQ(c.Result, DataFileCheck::Outcome::Consistent) << name;
        EXPECT_GT(c.WholeBlocks, 0) << name;
        EXPECT_LT(c.WholeBlocks, 10) << name;
        fs::remove(data);
    }
}

// An HDF5 recording onto a small file system that fills: every burst in the file is whole
// (its samples all there), the status says why it ended, and any HDF5 program opens the file.
// Needs the right to mount a tmpfs (root); skipped otherwise.
TEST_F(CliRecordTest, AFullDiskLeavesOnlyWholeHdf5Bursts) {
    const fs::path small = dir / "small";
    fs::create_directories(small);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    struct Unmount {
        fs::path at;
        ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
    } unmount{small};
    // 50 bursts of 20,000 scans of one channel every usec: 80 kB each, about twelve fit.
    SamplingUnit = 2;
    const fs::path params = WriteParams(20000, 50, 0, 0, (small / "full.h5").string(), 2);
    EXPECT_EQ(Run({params.string(), "--force"}), 1);
    const std::string err = ReadBytes(dir / "stderr.txt");
    EXPECT_NE(err.find("ディスクがいっぱいになったため変換中止"), std::string::npos) << err;
    const h5::Reader r((small / "full.h5").string());
    ASSERT_GT(r.Bursts().size(), 2u);
    EXPECT_LT(r.Bursts().size(), 14u);
    std::vector<float> values;
    r.ReadScans(0, r.Bursts().back().FirstScan + r.Bursts().back().ScanCount, values);
    EXPECT_EQ(std::count_if(values.begin(), values.end(), [](float v) { return std::isnan(v); }),
              0);
    EXPECT_FALSE(h5::IsMarkedAsWritten((small / "full.h5").string()));
}

TEST_F(CliRecordTest, AVanishedDataFileEndsTheRunAndIsNotMadeAgain) {
    for (const std::string name : {"gone.sdf", "gone.tsd"}) {
        // Bursts a second apart: the file goes while the second is awaited.
        const fs::path params = WriteParams(20, 4, 1, 0, name);
        const fs::path data = dir / name;
        const pid_t pid = Start({params.string()});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (BurstsEnded(ReadBytes(dir / "stderr.txt")) < 1 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        fs::remove(data);
        EXPECT_NE(Wait(pid), 0) << name;
        EXPECT_FALSE(fs::exists(data)) << name;
        const std::string err = ReadBytes(dir / "stderr.txt");
        EXPECT_NE(err.find("削除または置き換えられました"), std::string::npos) << err;
        for (const auto& e : fs::directory_iterator(dir))
            EXPECT_FALSE(e.path().filename().string().starts_with("gone")) << e.path();
    }
}

TEST_F(CliRecordTest, TwoRecordersOnOneFile) {
    const fs::path params = WriteParams(20, 3, 1, 0, "both.sdf");
    const pid_t first = Start({params.string(), "--force"}, "err1.txt");
    const pid_t second = Start({params.string(), "--force"}, "err2.txt");
    const int a = Wait(first), b = Wait(second);
    EXPECT_TRUE((a == 0) != (b == 0)) << a << " " << b;
    const std::string err = ReadBytes(dir / (a == 0 ? "err2.txt" : "err1.txt"));
    EXPECT_NE(err.find("使用中"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(ReadBytes(dir / "both.sdf").size(), 512u + 3 * 40);
    EXPECT_EQ(CheckDataFile((dir / "both.sdf").string()).Result,
              DataFileCheck::Outcome::Consistent);
}

TEST_F(CliRecordTest, APlannedFileBeyondTheFreeSpaceIsRefused) {
    const fs::path params = WriteParams(1000000, 32000, 0, 0, "huge.tsd");
    EXPECT_EQ(Run({params.string()}), 1);
    const std::string err = ReadBytes(dir / "stderr.txt");
    EXPECT_NE(err.find("ディスクの空き容量"), std::string::npos) << err;
    EXPECT_NE(err.find("--force"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(fs::exists(dir / "huge.tsd"));
}

TEST_F(CliRecordTest, ATsdNamedLikeItsTemporaryFileSurvivesItsCompletion) {
    const fs::path params = WriteParams(20, 5, 1, 2, "odd.$$$", 1);
    const pid_t pid = Start({params.string()});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ReadBytes(dir / "odd.$$$").find("No.1") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(pid, SIGTERM);
    EXPECT_EQ(Wait(pid), 0) << ReadBytes(dir / "stderr.txt");
    const std::string text = ReadBytes(dir / "odd.$$$");
    EXPECT_NE(text.find("No.1"), std::string::npos);
    EXPECT_EQ(CheckDataFile((dir / "odd.$$$").string()).Result, DataFileCheck::Outcome::Consistent);
}

TEST_F(CliRecordTest, ErrorsNameTheirCauseOnOneLineAndLeaveNoFile) {
    // Parameters whose check fails: the check's own message, one line.
    const fs::path params = WriteParams(0, 2, 1, 0, "none.sdf");
    EXPECT_EQ(Run({params.string()}), 1);
    std::string err = ReadBytes(dir / "stderr.txt");
    EXPECT_NE(err.find("データ数は1以上"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(fs::exists(dir / "none.sdf"));

    // A data file that cannot be made: the system's reason.
    const fs::path noDir = WriteParams(20, 2, 1, 0, "missing/dir/x.sdf");
    EXPECT_EQ(Run({noDir.string()}), 1);
    err = ReadBytes(dir / "stderr.txt");
    EXPECT_NE(err.find(std::strerror(ENOENT)), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

    // A full disk at the start leaves no empty file to refuse the next run.
    const fs::path full = WriteParams(50, 3, 0, 0, "empty.sdf");
    EXPECT_EQ(Wait(Start({full.string()}, "stderr.txt", 0)), 1);
    EXPECT_FALSE(fs::exists(dir / "empty.sdf"));

    // An endless parameter line is refused at once.
    WriteBytes(dir / "long.apm", std::string(1 << 20, '1'));
    EXPECT_EQ(Run({(dir / "long.apm").string()}), 1);
}

TEST_F(CliRecordTest, TheLastBurstsEndIsPrinted) {
    const fs::path params = WriteParams(20, 2, 0, 0, "end.sdf");
    ASSERT_EQ(Run({params.string()}), 0);
    const std::string err = ReadBytes(dir / "stderr.txt");
    // One end notification per burst, the last one's included.
    int ends = 0;
    for (std::size_t at = err.find("[カード] 変換終了["); at != std::string::npos;
         at = err.find("[カード] 変換終了[", at + 1))
        ++ends;
    EXPECT_EQ(ends, 2) << err;
}

TEST_F(CliRecordTest, TheProgressLineNeverShowsTheLastPhasesPercentage) {
    // Two short bursts 3 s apart: the wait between them is drawn on the terminal.
    const fs::path params = WriteParams(20, 2, 3, 0, "tty.sdf");
    int status = -1;
    const auto terminal = RunOnTerminal({params.string()}, status);
    if (!terminal)
        GTEST_SKIP() << "no pseudo-terminal here (/dev/pts)";
    const std::string& out = *terminal;
    ASSERT_EQ(status, 0) << out;
    // The pieces the terminal shows one after another: lines, and progress redrawn in place.
    std::vector<std::string> shown;
    std::string piece;
    for (const char c : out) {
        if (c == '\r' || c == '\n') {
            if (!piece.empty())
                shown.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    const auto waiting = std::find(shown.begin(), shown.end(), "2回目の計測待ち");
    ASSERT_NE(waiting, shown.end()) << out;
    const auto progress = std::find_if(waiting, shown.end(), [](const std::string& p) {
        return p.find("残り時間：") != std::string::npos;
    });
    ASSERT_NE(progress, shown.end()) << out;
    // The first drawing of the wait shows the wait's own percentage, not the finished burst's.
    EXPECT_EQ(progress->find("[100%]"), std::string::npos) << *progress;
    EXPECT_NE(progress->find("00:00:0"), std::string::npos) << *progress;
}

TEST_F(CliRecordTest, DevicesListsTheSimulatedCardFirstThenTheDemoDevice) {
    const std::string out = DevicesOutput();
    EXPECT_EQ(out.rfind("simulated\t", 0), 0u) << out;
    EXPECT_NE(out.find("\ndemo\tDemo device\t4 ch: A0,A1,A2,A3\t1 Hz - 1 GHz\n"), std::string::npos)
        << out;
    EXPECT_EQ(out.rfind("simulated\t模擬カード REX-5054U\t", 0), 0u) << out;
    const std::string english = DevicesOutput("LC_ALL= LC_MESSAGES= LANG=en_US.UTF-8");
    EXPECT_EQ(english.rfind("simulated\tSimulated card REX-5054U\t", 0), 0u) << english;
}

TEST_F(CliRecordTest, RecordsFromTheDemoDeviceByName) {
    const fs::path params = WriteParams(300, 2, 1, 0, "demo.sdf");
    ASSERT_EQ(Run({params.string(), "--device", "demo"}), 0) << ReadBytes(dir / "stderr.txt");
    SdfBlockReader reader((dir / "demo.sdf").string());
    ASSERT_EQ(reader.Check(), SdfHeaderCheck::Ok);
    EXPECT_EQ(reader.Decoded().Header.BurstCount, 2);
    std::vector<std::int16_t> values;
    int blocks = 0;
    while (reader.NextBlock(values)) {
        ++blocks;
        ASSERT_EQ(values.size(), 300u);
        // The demo's A0: a square of +-10 V, five samples each, as millivolt codes.
        for (std::size_t i = 0; i + 5 < values.size(); ++i) {
            ASSERT_EQ(std::abs(values[i]), 10000) << i;
            ASSERT_EQ(values[i], -values[i + 5]) << i;
        }
    }
    EXPECT_EQ(blocks, 2);
}

TEST_F(CliRecordTest, AnUnknownDeviceOrARateItCannotGiveWritesNothing) {
    const fs::path params = WriteParams(100, 1, 1, 0, "none.sdf");
    EXPECT_EQ(Run({params.string(), "--device", "no-such-device"}), 1);
    EXPECT_NE(ReadBytes(dir / "stderr.txt").find("装置「no-such-device」が見つかりません。"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "none.sdf"));
    Sampling = "3"; // 333.3 Hz
    const fs::path odd = WriteParams(100, 1, 1, 0, "odd.sdf");
    EXPECT_EQ(Run({odd.string(), "--device", "demo"}), 1);
    const std::string err = ReadBytes(dir / "stderr.txt");
    EXPECT_NE(err.find("2500 usec（400 Hz）"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "odd.sdf"));
    // The simulated card takes the same parameters.
    EXPECT_EQ(Run({odd.string()}), 0);
    EXPECT_TRUE(fs::exists(dir / "odd.sdf"));
}

} // namespace
} // namespace tavrel::test
