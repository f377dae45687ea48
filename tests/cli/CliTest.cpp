#include "CliRun.h"
#include "MeasurementFiles.h"
#include "OldSdfBuilder.h"
#include "TestSupport.h"
#include "datafiles/DataFileReader.h"
#include "datafiles/io/FileLock.h"
#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/tsd/TsdFile.h"
#include "model/SDFdata.h"
#include "text/DateTime.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// env: assignments put before the command ("TZ=JST-9").
Result Cli(const TempDir& dir, const std::vector<std::string>& args, const std::string& env = "") {
    return RunCommand(Command(TAVRELREX_CLI, args, env), dir);
}

std::vector<std::string> Keys(const nlohmann::json& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items())
        keys.push_back(key);
    return keys;
}

// Two channels of 5 samples, 3 bursts, written by the program's own writers.
SDFdata Measurement() {
    SDFdata d;
    MeasurementHeader& h = d.Header;
    h.Comment = std::string_view("\x8E\x8E\x8C\xB1 it's"); // 試験
    h.ChannelCount = 2;
    h.SampleCount = 5;
    h.BurstCount = 3;
    h.SamplingInterval = 20;
    h.BurstInterval = 2;
    h.BurstUnit = 3;
    h.StartTime = *EncodeDateTime({2024, 2, 29, 13, 14, 15, 0});
    h.CoefA[1] = 0.25f;
    h.CoefB[1] = -3;
    h.ChannelName[1] = std::string_view("\x89\xB7\x93\x78"); // 温度
    d.AllocateBlockBuffers();
    return d;
}

void FillBlock(SDFdata& d, int k) {
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t j = 0; j < 5; ++j)
            d.BlockData[c][j] = static_cast<std::int16_t>(k * 100 - 250 + 10 * j + c);
    d.BlockData[1][2] = ErrorData;
}

// The sdf file and the tsd file the program writes for the same measurement.
void WriteBoth(const std::string& sdf, const std::string& tsd, int blocks) {
    ASSERT_NO_THROW(WriteSdfAndTsd(Measurement(), sdf, tsd, blocks, FillBlock));
}

} // namespace

TEST(Cli, InfoAsJson) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 3);
    const Result r = Cli(dir, {"info", "--json", dir.File("m.sdf")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const auto j = nlohmann::json::parse(r.Out);
    std::vector<std::string> keys = Keys(j);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"BlocksPresent", "BurstCount", "BurstInterval", "BurstUnit",
                                        "ChannelCount", "Channels", "Comment", "ExtraChannelCount",
                                        "Format", "SampleCount", "SamplingInterval", "SamplingUnit",
                                        "StartTime", "StartTimeIso", "StartTimeText", "Version"}));
    EXPECT_EQ(j["Format"], "sdf");
    EXPECT_EQ(j["Version"], 4);
    EXPECT_EQ(j["Comment"], "試験 it's"); // without the padding of the comment field
    EXPECT_EQ(j["BurstCount"], 3);
    EXPECT_EQ(j["BurstUnit"], 3);
    EXPECT_EQ(j["SamplingInterval"], 20);
    EXPECT_EQ(j["StartTimeText"], "2024/02/29 13:14:15");
    EXPECT_EQ(j["BlocksPresent"], 3);
    ASSERT_EQ(j["Channels"].size(), 2u);
    EXPECT_EQ(j["Channels"][1]["ChannelName"], "温度");
    EXPECT_EQ(j["Channels"][1]["ChannelUnit"], "mV");
    EXPECT_EQ(j["Channels"][1]["CoefA"], 0.25);
    EXPECT_EQ(j["Channels"][1]["CoefB"], -3.0);

    const Result t = Cli(dir, {"info", "--json", dir.File("m.tsd")});
    ASSERT_EQ(t.Status, 0) << t.Err;
    const auto tj = nlohmann::json::parse(t.Out);
    EXPECT_EQ(tj["Format"], "tsd");
    EXPECT_EQ(tj["Version"], 2);
    EXPECT_FALSE(tj.contains("BlocksPresent"));
    EXPECT_EQ(tj["Comment"], "試験 it's");

    const Result human = Cli(dir, {"info", dir.File("m.sdf")});
    ASSERT_EQ(human.Status, 0);
    EXPECT_NE(human.Out.find("温度"), std::string::npos);
    EXPECT_NE(human.Out.find("サンプリング間隔：20 msec\n"), std::string::npos);
    EXPECT_NE(human.Out.find("2024/02/29 13:14:15"), std::string::npos);
    // The coefficients line up under Japanese names (a wide character takes two columns),
    // and a negative B reads as a subtraction.
    std::vector<std::size_t> columns;
    std::istringstream lines(human.Out);
    for (std::string line; std::getline(lines, line);) {
        const auto y = line.find("Y = ");
        if (y == std::string::npos)
            continue;
        std::size_t width = 0;
        for (std::size_t i = 0; i < y; ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            width += c < 0x80 ? 1 : (c >= 0xE0 ? 2 : 0); // 3-byte UTF-8 here: Japanese
        }
        columns.push_back(width);
    }
    ASSERT_EQ(columns.size(), 2u) << human.Out;
    EXPECT_EQ(columns[0], columns[1]) << human.Out;
    EXPECT_NE(human.Out.find("Y = 0.25 X - 3\n"), std::string::npos) << human.Out;
    EXPECT_NE(human.Out.find("Y = 1 X + 0\n"), std::string::npos) << human.Out;
}

TEST(Cli, InfoReportsAnOldFileAsItIs) {
    TempDir dir;
    MeasurementHeader h = DefaultMeasurementHeader();
    h.SamplingInterval = 90000;
    h.BurstInterval = 3600000;
    h.BurstCount = 2;
    h.SampleCount = 10;
    const std::string bytes = BuildSdf(1, h, {std::vector<std::int16_t>(10, 5)});
    WriteBytes(dir.File("v1.sdf"), bytes);
    const Result r = Cli(dir, {"info", "--json", dir.File("v1.sdf")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const auto j = nlohmann::json::parse(r.Out);
    EXPECT_EQ(j["Version"], 1);
    EXPECT_EQ(j["SamplingInterval"], 90000);
    EXPECT_EQ(j["BlocksPresent"], 1);
    EXPECT_EQ(ReadBytes(dir.File("v1.sdf")), bytes);
}

TEST(Cli, ConvertWritesWhatTheProgramWrites) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 3);
    const Result r = Cli(dir, {"convert", dir.File("m.sdf"), dir.File("out.tsd")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(ReadBytes(dir.File("out.tsd")), ReadBytes(dir.File("m.tsd")));
    EXPECT_NE(ReadBytes(dir.File("out.tsd")).find(",=\r\n"), std::string::npos);
}

TEST(Cli, ConvertOldFilesAndPartialBlocks) {
    TempDir dir;
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = 1;
    h.ExtraChannelCount = 1;
    h.SampleCount = 3;
    h.BurstCount = 4;
    h.SamplingInterval = 1500; // version 1: milliseconds
    h.BurstInterval = 60000;
    h.CoefA[1] = 2;
    std::string bytes = BuildSdf(1, h, {{1, 32767, -32768, 7}, {4, 5, 6, 8}});
    bytes += "\x01\x02\x03"; // the start of a third block
    WriteBytes(dir.File("old.sdf"), bytes);
    const Result r = Cli(dir, {"convert", dir.File("old.sdf"), dir.File("old.tsd")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Err.find("不完全なブロック 3"), std::string::npos) << r.Err;
    const std::string text = ReadBytes(dir.File("old.tsd"));
    EXPECT_NE(text.find("\r\n1500 msec\r\n2\r\n1 min\r\n1,1\r\n3\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("No.1\r\n1\r\n=\r\n=\r\n14\r\nNo.2\r\n4\r\n5\r\n6\r\n16\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("No.3"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File("old.sdf")), bytes);
}

TEST(Cli, FailuresLeaveNoOutput) {
    TempDir dir;
    WriteBytes(dir.File("text.txt"), "hello\r\n");
    WriteBytes(dir.File("cut.sdf"), EncodeSdfHeader(DefaultMeasurementHeader()).substr(0, 200));
    const std::vector<std::vector<std::string>> cases = {
        {"info", dir.File("none.sdf")},
        {"info", dir.File("text.txt")},
        {"info", "--json", dir.File("cut.sdf")},
        {"convert", dir.File("none.sdf"), dir.File("o.tsd")},
        {"convert", dir.File("text.txt"), dir.File("o.tsd")},
        {"convert", dir.File("cut.sdf"), dir.File("o.tsd")},
        {"upgrade", dir.File("text.txt")},
        {"upgrade", dir.File("none.sdf")},
        {"bogus"},
        {},
    };
    for (const auto& args : cases) {
        const Result r = Cli(dir, args);
        EXPECT_NE(r.Status, 0) << (args.empty() ? "" : args[0]);
        EXPECT_GE(Lines(r.Err), 1);
        EXPECT_EQ(r.Out, "");
    }
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 1);
    const Result r = Cli(dir, {"convert", dir.File("m.sdf"), dir.File("no/dir/o.tsd")});
    EXPECT_NE(r.Status, 0);
    EXPECT_EQ(Lines(r.Err), 1) << r.Err;
    auto names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"cut.sdf", "m.sdf", "m.tsd", "text.txt"}));
}

TEST(Cli, StartTimesNoDateCanShowAreAMalformedHeader) {
    TempDir dir;
    for (const double start : {1e300, -1e19, 9.2e18, -693594.5, 2958466.0}) {
        MeasurementHeader h = DefaultMeasurementHeader();
        h.SampleCount = 4;
        h.BurstCount = 1;
        h.StartTime = start;
        for (const int version : {1, 4}) {
            WriteBytes(dir.File("far.sdf"),
                       BuildSdf(version, h, {std::vector<std::int16_t>(4, 7)}));
            for (const auto& args : std::vector<std::vector<std::string>>{
                     {"info", dir.File("far.sdf")},
                     {"info", "--json", dir.File("far.sdf")},
                     {"convert", dir.File("far.sdf"), dir.File("o.tsd")},
                     {"upgrade", dir.File("far.sdf")}}) {
                const Result r = Cli(dir, args);
                EXPECT_NE(r.Status, 0) << start << " " << args[0];
                EXPECT_NE(r.Err.find("フォーマットが違います。"), std::string::npos) << r.Err;
                EXPECT_EQ(Lines(r.Err), 1) << r.Err;
                EXPECT_EQ(r.Out, "");
            }
            EXPECT_EQ(dir.Names(), std::vector<std::string>{"far.sdf"}) << start;
        }
    }
}

TEST(Cli, UpgradeInPlace) {
    TempDir dir;
    MeasurementHeader h = DefaultMeasurementHeader();
    h.SampleCount = 100;
    h.BurstCount = 2;
    h.SamplingUnit = 2;
    std::vector<std::vector<std::int16_t>> blocks = {std::vector<std::int16_t>(100, 32767),
                                                     std::vector<std::int16_t>(100, -5)};
    WriteBytes(dir.File("u.sdf"), BuildSdf(3, h, blocks));
    const Result r = Cli(dir, {"upgrade", dir.File("u.sdf")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    blocks[0].assign(100, ErrorData);
    EXPECT_EQ(ReadBytes(dir.File("u.sdf")), BuildSdf(4, h, blocks));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"u.sdf"});
    // A current file is left alone.
    const Result again = Cli(dir, {"upgrade", dir.File("u.sdf")});
    EXPECT_EQ(again.Status, 0);
    EXPECT_EQ(ReadBytes(dir.File("u.sdf")), BuildSdf(4, h, blocks));
}

// The default header with samples scans per burst and the given bursts.
MeasurementHeader Shape(std::int32_t samples, std::int16_t bursts) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.SampleCount = samples;
    h.BurstCount = bursts;
    return h;
}

TEST(Cli, ConvertRefusesItsOwnInputAndOutputsThatAreNoFiles) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 2);
    const std::string sdf = ReadBytes(dir.File("m.sdf"));
    std::filesystem::create_symlink(dir.File("m.sdf"), dir.File("link.tsd"));
    ASSERT_EQ(::mkfifo(dir.File("fifo.tsd").c_str(), 0600), 0);
    for (const std::string& out : {dir.File("m.sdf"), dir.File("link.tsd"), dir.File("fifo.tsd"),
                                   std::string("/dev/null")}) {
        const Result r = Cli(dir, {"convert", dir.File("m.sdf"), out});
        EXPECT_EQ(r.Status, 1) << out;
        EXPECT_EQ(Lines(r.Err), 1) << r.Err;
    }
    EXPECT_EQ(ReadBytes(dir.File("m.sdf")), sdf);
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("fifo.tsd")));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(dir.Names().size(), 4u);
}

TEST(Cli, InputsThatAreNoFilesAreRefusedAtOnce) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo.sdf").c_str(), 0600), 0);
    // A writer that never stops: the FIFO is held open, read-write, for the whole test.
    const int writer = ::open(dir.File("fifo.sdf").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    WriteBytes(dir.File("p.apm"), "");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"info", dir.File("fifo.sdf")},
                                               {"info", "/dev/zero"},
                                               {"info", dir.Path().string()},
                                               {"convert", "/dev/zero", dir.File("o.tsd")},
                                               {"upgrade", dir.File("fifo.sdf")},
                                               {"repair", "/dev/zero"},
                                               {"record", dir.File("fifo.sdf")}}) {
        const Result r = Cli(dir, args);
        EXPECT_EQ(r.Status, 1) << args[1];
        EXPECT_EQ(Lines(r.Err), 1) << r.Err;
    }
    ::close(writer);
}

TEST(Cli, PlantedLinksAtTheTemporaryNamesAreNeverFollowed) {
    TempDir dir;
    WriteBytes(dir.File("victim"), "keep");
    const MeasurementHeader h = Shape(10, 2);
    WriteBytes(
        dir.File("u.sdf"),
        BuildSdf(2, h, {std::vector<std::int16_t>(10, 1), std::vector<std::int16_t>(10, 2)}));
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 3);
    for (const char* planted : {"Qr~temp1234!", "o.tsd.part~", "u.sdf.part~"})
        std::filesystem::create_symlink(dir.File("victim"), dir.File(planted));
    EXPECT_EQ(Cli(dir, {"upgrade", dir.File("u.sdf")}).Status, 0);
    EXPECT_EQ(Cli(dir, {"convert", dir.File("m.sdf"), dir.File("o.tsd")}).Status, 0);
    EXPECT_EQ(ReadBytes(dir.File("victim")), "keep");
    EXPECT_EQ(ReadBytes(dir.File("o.tsd")), ReadBytes(dir.File("m.tsd")));
    EXPECT_EQ(dir.Names().size(), 8u);
}

TEST(Cli, UpgradeKeepsPermissionsAndUpgradesWhatALinkNames) {
    TempDir dir;
    const MeasurementHeader h = Shape(10, 1);
    const std::string old = BuildSdf(3, h, {std::vector<std::int16_t>(10, 3)});
    WriteBytes(dir.File("t.sdf"), old);
    ASSERT_EQ(::chmod(dir.File("t.sdf").c_str(), 0600), 0);
    std::filesystem::create_symlink("t.sdf", dir.File("l.sdf"));
    ASSERT_EQ(Cli(dir, {"upgrade", dir.File("l.sdf")}).Status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("l.sdf")));
    EXPECT_EQ(ReadBytes(dir.File("t.sdf")), BuildSdf(4, h, {std::vector<std::int16_t>(10, 3)}));
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("t.sdf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(Cli, UpgradesAndConversionsAtOnceInOneDirectory) {
    TempDir dir;
    const MeasurementHeader h = Shape(20000, 20);
    std::vector<std::string> names;
    std::string command;
    for (int i = 0; i < 4; ++i) {
        const std::string name = dir.File("c" + std::to_string(i) + ".sdf");
        WriteBytes(name, BuildSdf(3, h,
                                  std::vector<std::vector<std::int16_t>>(
                                      20, std::vector<std::int16_t>(20000, i + 1))));
        command += Quote(TAVRELREX_CLI) + " upgrade " + Quote(name) + " >/dev/null 2>&1 & ";
        names.push_back(name);
    }
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 3);
    for (int i = 0; i < 2; ++i)
        command += Quote(TAVRELREX_CLI) + " convert " + Quote(dir.File("m.sdf")) + " " +
                   Quote(dir.File("same.tsd")) + " >/dev/null 2>&1 & ";
    command += "wait";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ReadBytes(names[static_cast<std::size_t>(i)]),
                  BuildSdf(4, h,
                           std::vector<std::vector<std::int16_t>>(
                               20, std::vector<std::int16_t>(20000, i + 1))))
            << i;
    EXPECT_EQ(ReadBytes(dir.File("same.tsd")), ReadBytes(dir.File("m.tsd")));
    EXPECT_EQ(dir.Names().size(), 7u);
}

// Starts the command line with args, its stdout into a pipe that is already full, so that
// the report it writes once its work is done holds it until the pipe is read.
struct HeldCli {
    pid_t Pid = -1;
    int Out = -1; // the pipe's reading end

    explicit HeldCli(const std::vector<std::string>& args) {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
        const std::string fill(4096, 'x');
        while (::write(fds[1], fill.data(), fill.size()) > 0) {
        }
        ::fcntl(fds[1], F_SETFL, 0);
        std::vector<const char*> argv{TAVRELREX_CLI};
        for (const std::string& a : args)
            argv.push_back(a.c_str());
        argv.push_back(nullptr);
        Pid = fork();
        if (Pid == 0) {
            ::dup2(fds[1], STDOUT_FILENO);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDERR_FILENO);
            ::close(fds[0]);
            ::execv(TAVRELREX_CLI, const_cast<char* const*>(argv.data()));
            _exit(127);
        }
        ::close(fds[1]);
        Out = fds[0];
    }
    // Reads the pipe to its end (the program's exit) and gives what followed the filling.
    std::string Drain(int* status) {
        std::string all;
        char buffer[65536];
        for (ssize_t n; (n = ::read(Out, buffer, sizeof buffer)) != 0;)
            if (n > 0)
                all.append(buffer, static_cast<std::size_t>(n));
        ::close(Out);
        ::waitpid(Pid, status, 0);
        return all.substr(all.find_first_not_of('x') == std::string::npos
                              ? all.size()
                              : all.find_first_not_of('x'));
    }
};

// Waits (at most 60 s) until done() holds.
template <typename Done> bool WaitFor(Done done) {
    for (int i = 0; i < 60000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
}

// True when pid has a file open in dir that has no name there (O_TMPFILE), or dir holds a
// named temporary.
bool WritesATemporary(pid_t pid, const TempDir& dir) {
    std::error_code ec;
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto& fd : std::filesystem::directory_iterator(fds, ec)) {
        const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
        if (target.starts_with(dir.File("#")) && target.ends_with(" (deleted)"))
            return true;
    }
    return dir.Names().size() > 1;
}

TEST(Cli, SignalsDuringUpgradeAndConvertLeaveNoTemporaryFile) {
    // The contract: a signal before the file is in place cancels and leaves the old file and
    // nothing else; a signal after it finds the work done, reported with status 0. Each
    // signal lands at a known point: when the temporary file exists, and after the new file
    // is in place (the report held by a full pipe).
    TempDir dir;
    const MeasurementHeader h = Shape(50000, 100);
    const std::vector<std::vector<std::int16_t>> blocks(100, std::vector<std::int16_t>(50000, 7));
    const std::string old = BuildSdf(3, h, blocks);
    const std::string upgraded = BuildSdf(4, h, blocks);
    const std::string sdf = dir.File("big.sdf"), tsd = dir.File("big.tsd");
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        for (const bool convert : {false, true}) {
            for (const bool afterWork : {false, true}) {
                SCOPED_TRACE(std::to_string(sig) + (convert ? " convert" : " upgrade") +
                             (afterWork ? " after the work" : " during the work"));
                WriteBytes(sdf, old);
                struct stat before {};
                ASSERT_EQ(::stat(sdf.c_str(), &before), 0);
                HeldCli cli(convert ? std::vector<std::string>{"convert", sdf, tsd}
                                    : std::vector<std::string>{"upgrade", sdf});
                ASSERT_GT(cli.Pid, 0);
                const bool reached = WaitFor([&] {
                    if (!afterWork)
                        return WritesATemporary(cli.Pid, dir);
                    struct stat now {};
                    return convert ? std::filesystem::exists(tsd)
                                   : ::stat(sdf.c_str(), &now) == 0 && now.st_ino != before.st_ino;
                });
                EXPECT_TRUE(reached);
                kill(cli.Pid, sig);
                int status = 0;
                const std::string out = cli.Drain(&status);
                const bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
                if (afterWork) {
                    EXPECT_TRUE(finished) << status;
                }
                if (!finished) {
                    // Cancelled: 130, or killed by the signal before the work began.
                    EXPECT_TRUE(WIFEXITED(status) ? WEXITSTATUS(status) == 130
                                                  : WTERMSIG(status) == sig)
                        << status;
                    EXPECT_EQ(ReadBytes(sdf), old);
                    EXPECT_FALSE(std::filesystem::exists(tsd));
                } else {
                    if (!convert) { // the upgrade says it is done
                        EXPECT_NE(out.find("big.sdf"), std::string::npos) << out;
                    }
                    EXPECT_EQ(ReadBytes(sdf), convert ? old : upgraded);
                }
                std::filesystem::remove(tsd);
                EXPECT_EQ(dir.Names(), std::vector<std::string>{"big.sdf"});
            }
        }
    }
}

TEST(Cli, RepairReportsWhatItDid) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 3);
    const std::string whole = ReadBytes(dir.File("m.sdf"));
    Result r = Cli(dir, {"repair", dir.File("m.sdf")});
    EXPECT_EQ(r.Status, 0);
    EXPECT_NE(r.Out.find("一致しています"), std::string::npos) << r.Out;
    EXPECT_EQ(ReadBytes(dir.File("m.sdf")), whole);
    WriteBytes(dir.File("m.sdf"), whole.substr(0, whole.size() - 3));
    r = Cli(dir, {"repair", dir.File("m.sdf")});
    EXPECT_EQ(r.Status, 0);
    EXPECT_NE(r.Out.find("3 → 2"), std::string::npos) << r.Out;
    EXPECT_EQ(I16(ReadBytes(dir.File("m.sdf")), 223), 2);
    const std::string tsd = ReadBytes(dir.File("m.tsd"));
    WriteBytes(dir.File("m.tsd"), tsd.substr(0, tsd.size() - 4));
    r = Cli(dir, {"repair", dir.File("m.tsd")});
    EXPECT_EQ(r.Status, 0);
    EXPECT_NE(r.Out.find("3 → 2"), std::string::npos) << r.Out;
    EXPECT_EQ(Cli(dir, {"repair", dir.File("none.sdf")}).Status, 1);
    EXPECT_EQ(dir.Names().size(), 2u);
}

TEST(Cli, RepairOfADoubtfulFileChangesNothingUnlessForced) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 3);
    std::string damaged = ReadBytes(dir.File("m.sdf"));
    damaged[214] = static_cast<char>(damaged[214] ^ 8); // 5 samples read as 13
    WriteBytes(dir.File("m.sdf"), damaged);
    Result r = Cli(dir, {"repair", dir.File("m.sdf")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("m.sdf"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("--force"), std::string::npos) << r.Err;
    EXPECT_EQ(ReadBytes(dir.File("m.sdf")), damaged);
    r = Cli(dir, {"repair", dir.File("m.sdf")}, "LANG=en_US.UTF-8");
    EXPECT_NE(r.Err.find("cannot be shown to be an incomplete last burst"), std::string::npos)
        << r.Err;
    r = Cli(dir, {"repair", "--force", dir.File("m.sdf")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find(dir.File("m.sdf.bak")), std::string::npos) << r.Out;
    EXPECT_EQ(ReadBytes(dir.File("m.sdf.bak")), damaged);
    // A stray CR in a tsd block is named by its line.
    std::string tsd = ReadBytes(dir.File("m.tsd"));
    std::size_t at = 0;
    for (int line = 0; line < 14; ++line)
        at = tsd.find("\r\n", at) + 2;
    tsd.insert(at + 2, "\r");
    WriteBytes(dir.File("m.tsd"), tsd);
    r = Cli(dir, {"repair", dir.File("m.tsd")}, "LANG=en_US.UTF-8");
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("Line 15 of the file"), std::string::npos) << r.Err;
    EXPECT_EQ(ReadBytes(dir.File("m.tsd")), tsd);
}

TEST(Cli, CommandsThatWriteRefuseAFileBeingRecorded) {
    TempDir dir;
    WriteBoth(dir.File("in.sdf"), dir.File("in.tsd"), 3);
    WriteBytes(dir.File("old.sdf"), BuildSdf(3, Shape(10, 1), {std::vector<std::int16_t>(10, 1)}));
    const std::string rec = dir.File("rec.tsd");
    SDFdata d = Measurement();
    d.Header.BurstCount = 5;
    const auto writer = MakeDataFileWriter(DataFileType::Tsd, rec);
    writer->Begin(d.Header);
    const FileLock old(dir.File("old.sdf")); // as a recording holds it
    int k = 0;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"repair", rec},
             {"export", dir.File("in.sdf"), rec, "--format", "csv", "--force"},
             {"convert", dir.File("in.sdf"), rec},
             {"upgrade", dir.File("old.sdf")}}) {
        FillBlock(d, k);
        writer->AppendBlock(k++, d);
        const Result r = Cli(dir, args);
        EXPECT_EQ(r.Status, 1) << args[0];
        EXPECT_NE(r.Err.find("」は他の計測が使用中"), std::string::npos) << r.Err;
        // Reading never waits for the recording (its whole bursts: the rest is still to come).
        EXPECT_EQ(
            Cli(dir, {"export", rec, dir.File("copy.csv"), "--bursts", "1", "--force"}).Status, 0);
    }
    FillBlock(d, 4);
    writer->AppendBlock(4, d);
    writer->Release();
    const auto reader = OpenDataFileReader(rec);
    EXPECT_EQ(reader->Bursts(), 5);
    std::vector<std::int16_t> codes;
    reader->ReadChannel(4, 0, codes);
    EXPECT_EQ(codes.at(0), 4 * 100 - 250) << "the last burst as recorded";
}

TEST(Cli, AnEmptyDeviceNameOrAFullStandardOutputFails) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 1);
    const Result r = Cli(dir, {"record", dir.File("p.apm"), "--device", ""});
    EXPECT_EQ(r.Status, 2) << r.Err;
    EXPECT_NE(r.Err.find("--device"), std::string::npos) << r.Err;
    EXPECT_EQ(dir.Names().size(), 2u) << "no data file";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"devices"}, {"info", "--json", dir.File("m.sdf")}}) {
        const int status =
            std::system((Command(TAVRELREX_CLI, args) + " >/dev/full 2>/dev/null").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << args[0] << " " << status;
    }
}

TEST(Cli, InfoGivesTheStartTimeWithItsOffset) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 1);
    // POSIX zone rules, so that no zone database is needed.
    const std::vector<std::pair<std::string, std::string>> zones = {
        {"TZ=JST-9", "2024-02-29T13:14:15+09:00"},
        {"TZ=UTC0", "2024-02-29T13:14:15+00:00"},
        {"TZ=EST5EDT,M3.2.0,M11.1.0", "2024-02-29T13:14:15-05:00"},
        {"TZ=IST-5:30", "2024-02-29T13:14:15+05:30"},
    };
    for (const auto& [zone, iso] : zones) {
        for (const char* file : {"m.sdf", "m.tsd"}) {
            const Result r = Cli(dir, {"info", "--json", dir.File(file)}, zone);
            ASSERT_EQ(r.Status, 0) << r.Err;
            const auto j = nlohmann::json::parse(r.Out);
            EXPECT_EQ(j["StartTimeIso"], iso) << zone << " " << file;
            // The local text stays what the file holds, whatever the zone.
            EXPECT_EQ(j["StartTimeText"], "2024/02/29 13:14:15");
        }
    }
    // Summer time gives the summer offset.
    MeasurementHeader h = DefaultMeasurementHeader();
    h.StartTime = *EncodeDateTime({2024, 7, 1, 8, 0, 0, 0});
    WriteBytes(dir.File("summer.sdf"), BuildSdf(4, h, {std::vector<std::int16_t>(10, 0)}));
    const Result r =
        Cli(dir, {"info", "--json", dir.File("summer.sdf")}, "TZ=EST5EDT,M3.2.0,M11.1.0");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(nlohmann::json::parse(r.Out)["StartTimeIso"], "2024-07-01T08:00:00-04:00");
}

TEST(Cli, InfoNeverPrintsNegativeZero) {
    TempDir dir;
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = 2;
    h.SampleCount = 4;
    h.StartTime = -0.0;
    h.CoefA[0] = -0.0f;
    h.CoefB[0] = -0.0f;
    h.CoefB[1] = -0.5f;
    WriteBytes(dir.File("z.sdf"), BuildSdf(4, h, {std::vector<std::int16_t>(8, 1)}));
    const Result r = Cli(dir, {"info", "--json", dir.File("z.sdf")}, "TZ=UTC0");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out.find("-0.0"), std::string::npos) << r.Out;
    EXPECT_EQ(r.Out.find("-0,"), std::string::npos) << r.Out;
    const auto j = nlohmann::json::parse(r.Out);
    EXPECT_FALSE(std::signbit(j["StartTime"].get<double>()));
    EXPECT_FALSE(std::signbit(j["Channels"][0]["CoefA"].get<double>()));
    EXPECT_FALSE(std::signbit(j["Channels"][0]["CoefB"].get<double>()));
    EXPECT_EQ(j["Channels"][1]["CoefB"], -0.5); // a real negative stays negative
    EXPECT_EQ(j["StartTimeIso"], "1899-12-30T00:00:00+00:00");
}

TEST(Cli, VersionAndHelp) {
    TempDir dir;
    const Result v = Cli(dir, {"--version"});
    EXPECT_EQ(v.Status, 0) << v.Err;
    EXPECT_EQ(v.Out, "tavrelrex-cli " TAVREL_VERSION "\n");
    EXPECT_EQ(v.Err, "");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"info", "--help"}, {"record", "--help"}}) {
        const Result h = Cli(dir, args);
        EXPECT_EQ(h.Status, 0) << args[0];
        EXPECT_NE(h.Out.find("Usage"), std::string::npos) << h.Out;
    }
    EXPECT_NE(Cli(dir, {"--help"}).Out.find("upgrade"), std::string::npos);
}

TEST(Cli, UsageErrorsExitTwoAndFailuresOne) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 1);
    const std::vector<std::vector<std::string>> usage = {
        {},
        {"bogus"},
        {"bogus", dir.File("m.sdf")},
        {"--bogus"},
        {"info"},
        {"info", "--bogus", dir.File("m.sdf")},
        {"info", dir.File("m.sdf"), "extra"},
        {"convert", dir.File("m.sdf")},
        {"upgrade"},
    };
    for (const auto& args : usage) {
        const Result r = Cli(dir, args);
        EXPECT_EQ(r.Status, 2) << (args.empty() ? "" : args[0]) << ": " << r.Err;
        EXPECT_EQ(r.Out, "");
        EXPECT_GE(Lines(r.Err), 1);
    }
    const Result unknown = Cli(dir, {"bogus"});
    EXPECT_NE(unknown.Err.find("「bogus」"), std::string::npos) << unknown.Err;
    EXPECT_NE(unknown.Err.find("info"), std::string::npos) << unknown.Err;
    EXPECT_EQ(unknown.Err.find("required"), std::string::npos) << unknown.Err;

    const std::vector<std::vector<std::string>> failures = {
        {"info", dir.File("none.sdf")},
        {"convert", dir.File("none.sdf"), dir.File("o.tsd")},
        {"upgrade", dir.File("m.tsd")},
    };
    for (const auto& args : failures)
        EXPECT_EQ(Cli(dir, args).Status, 1) << args[0];
}

TEST(Cli, EnglishOnlyWhereTheLocaleIsEnglish) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 1);
    WriteBytes(dir.File("bad.sdf"), "Standard Burst-Interval Data Format Ver.9");
    const std::string english = "LANG=en_US.UTF-8";
    // The window's translation, in the command line's own texts and in the core's messages,
    // with the file names filled in.
    const Result info = Cli(dir, {"info", dir.File("m.sdf")}, english);
    ASSERT_EQ(info.Status, 0) << info.Err;
    EXPECT_NE(info.Out.find("Samples per channel: "), std::string::npos) << info.Out;
    EXPECT_EQ(info.Out.find("サンプリング個数"), std::string::npos) << info.Out;
    const Result bad = Cli(dir, {"info", dir.File("bad.sdf")}, english);
    EXPECT_EQ(bad.Status, 1);
    EXPECT_EQ(bad.Err, "tavrelrex-cli: Cannot read the file “" + dir.File("bad.sdf") +
                           "”. The file format is wrong.\n");
    EXPECT_NE(Cli(dir, {"bogus"}, english).Err.find("There is no subcommand “bogus”"),
              std::string::npos);
    // Every other locale gets the Japanese texts, C and POSIX included; LC_ALL comes first.
    for (const std::string env : {"LANG=ja_JP.UTF-8", "LANG=C", "LANG=POSIX", "LANG=de_DE.UTF-8",
                                  "LANG=en_US.UTF-8 LC_ALL=C", "LANG=C LC_MESSAGES=en_GB.UTF-8"}) {
        const Result r = Cli(dir, {"info", dir.File("bad.sdf")}, env);
        const bool englishMessages = env.ends_with("en_GB.UTF-8");
        EXPECT_EQ(r.Err.find("ファイル「") == std::string::npos, englishMessages) << env << r.Err;
    }
    // Data files are written the same whatever the language.
    ASSERT_EQ(Cli(dir, {"convert", dir.File("m.sdf"), dir.File("en.tsd")}, english).Status, 0);
    ASSERT_EQ(Cli(dir, {"convert", dir.File("m.sdf"), dir.File("ja.tsd")}).Status, 0);
    EXPECT_EQ(ReadBytes(dir.File("en.tsd")), ReadBytes(dir.File("ja.tsd")));
}

TEST(Cli, ManPageDocumentsEveryJsonKeyAndSubcommand) {
    TempDir dir;
    WriteBoth(dir.File("m.sdf"), dir.File("m.tsd"), 1);
    const std::string page = ReadBytes(TAVREL_CLI_MANPAGE);
    ASSERT_FALSE(page.empty());
    const Result r = Cli(dir, {"info", "--json", dir.File("m.sdf")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const auto j = nlohmann::json::parse(r.Out);
    std::vector<std::string> keys = Keys(j);
    for (const std::string& key : Keys(j["Channels"][0]))
        keys.push_back(key);
    for (const std::string& key : keys)
        EXPECT_NE(page.find(key), std::string::npos) << key << " is not in the man page";
    // Every subcommand the program offers (the lines after "Subcommands:" in its help).
    const Result help = Cli(dir, {"--help"});
    const auto list = help.Out.find("Subcommands:\n");
    ASSERT_NE(list, std::string::npos) << help.Out;
    std::istringstream lines(help.Out.substr(list + 13));
    std::vector<std::string> subcommands;
    for (std::string line; std::getline(lines, line) && line.starts_with("  ");) {
        std::istringstream words(line);
        subcommands.emplace_back();
        words >> subcommands.back();
    }
    EXPECT_GE(subcommands.size(), 4u) << help.Out;
    // ".BI sub ARGS", or ".B sub" for one without arguments.
    for (const std::string& sub : subcommands)
        EXPECT_TRUE(page.find(".BI " + sub + " ") != std::string::npos ||
                    page.find("\n.B " + sub + "\n") != std::string::npos)
            << sub << " is not in the man page";
}
