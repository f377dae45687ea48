#include "TestSupport.h"
#include "datafiles/MainEntries.h"
#include "datafiles/MeasurementHeader.h"
#include "datafiles/ParameterFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
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
                         const std::string& dataName) {
        MainEntries e = DefaultMainEntries(dir.string() + "/");
        e.EditDataNum = std::to_string(samples);
        e.EditIteration = std::to_string(bursts);
        e.EditBurstInterval = std::to_string(burstInterval);
        e.ComboBoxBITUnit = burstUnit;
        e.EditSInterval = "1";
        e.ComboSampUnit = 1;
        e.EditFileName = dataName;
        e.RadioGroupFileType = dataName.ends_with(".tsd") ? 1 : 0;
        MeasurementHeader header = DefaultMeasurementHeader();
        const fs::path p = dir / "rec.apm";
        SaveParameterFile(e, header, p.string());
        return p;
    }

    pid_t Start(const std::vector<std::string>& args) {
        std::vector<std::string> all{TAVREL_CLI, "record"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string err = (dir / "stderr.txt").string();
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

    TempDir temp;
    fs::path dir = temp.Path();
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

TEST_F(CliRecordTest, ErrorsGiveOneLineAndAFailureStatus) {
    EXPECT_NE(Run({(dir / "missing.apm").string()}), 0);
    const std::string err = ReadBytes(dir / "stderr.txt");
    EXPECT_NE(err.find("missing.apm"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);

    { std::ofstream(dir / "bad.apm") << "not a parameter file\r\n"; }
    EXPECT_NE(Run({(dir / "bad.apm").string()}), 0);
    EXPECT_NE(Run({}), 0);
}

} // namespace
} // namespace tavrel::test
