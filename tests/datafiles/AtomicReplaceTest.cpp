#include "datafiles/io/AtomicReplace.h"

#include "TestSupport.h"
#include "datafiles/io/BinaryFile.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavrel;
using namespace tavrel::test;

TEST(AtomicReplace, ErrorsNameTheFileNeverItsTemporary) {
    TempDir dir;
    const std::string name = dir.File("out.csv");
    WriteBytes(name, "old");
    // Each failure of a write, as the writers raise them on the temporary's name.
    const std::vector<std::function<Message(const std::string&)>> failures = {
        [](const std::string& temp) { return CannotWriteMessage(temp); },
        [](const std::string& temp) { return NotRegularFileMessage(temp); },
        [](const std::string&) { return FormatMessage; }, // names no file: as it came
    };
    for (const auto& failure : failures) {
        Message thrown;
        try {
            ReplaceFileAtomically(
                name, "t",
                [&](const std::string& temp) -> bool { throw FileError(failure(temp), ENOSPC); },
                CannotReplaceMessage(name));
        } catch (const FileError& e) {
            thrown = e.GetMessage();
        }
        Message expected = failure(name);
        expected.SystemCode = ENOSPC;
        EXPECT_EQ(thrown, expected) << Japanese(thrown);
        EXPECT_EQ(ReadBytes(name), "old");
        EXPECT_EQ(dir.Names().size(), 1u) << "the temporary is gone";
    }
}

TEST(AtomicReplace, NothingIsNamedInTheDirectoryWhileWritten) {
    TempDir dir;
    const int probe = ::open(dir.Path().c_str(), O_TMPFILE | O_RDWR, 0600);
    if (probe < 0)
        GTEST_SKIP() << "no O_TMPFILE on this file system";
    ::close(probe);
    for (const bool existed : {false, true}) {
        const std::string name = dir.File("out.csv");
        std::filesystem::remove(name);
        if (existed) {
            WriteBytes(name, "old");
            ::chmod(name.c_str(), 0604);
        }
        std::vector<std::string> seen;
        ReplaceFileAtomically(
            name, "out.csv.part~",
            [&](const std::string& temp) {
                BinaryFile(temp, BinaryFile::Mode::Temporary).WriteAt(0, "new", 3);
                seen = dir.Names();
                return true;
            },
            CannotReplaceMessage(name));
        EXPECT_EQ(seen.size(), existed ? 1u : 0u) << existed;
        EXPECT_EQ(ReadBytes(name), "new");
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.csv"});
        struct stat st {};
        ::stat(name.c_str(), &st);
        EXPECT_TRUE(!existed || (st.st_mode & 07777) == 0604u) << std::oct << st.st_mode;
    }
}

TEST(AtomicReplace, RemovesOnlyStaleTemporariesOfItsOwnName) {
    TempDir dir;
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    struct Entry {
        std::string Name;
        bool Old, Directory, Gone;
    };
    const std::vector<Entry> entries = {
        {"out.csv.part~abc123", true, false, true},   // stale: goes
        {"out.csv.part~def456", false, false, false}, // written since this process began
        {"out.csv.part~ghi789", true, true, false},   // not a file
        {"out.csv.part~abc1234", true, false, false}, // not the temporaries' length
        {"other.csv.part~abc12", true, false, false}, // another output's
    };
    for (const Entry& e : entries) {
        if (e.Directory)
            std::filesystem::create_directory(dir.File(e.Name));
        else
            WriteBytes(dir.File(e.Name), "x");
        if (e.Old)
            std::filesystem::last_write_time(dir.File(e.Name), old);
    }
    std::filesystem::create_symlink(dir.File("out.csv.part~abc123"),
                                    dir.File("out.csv.part~lnk000"));
    RemoveStaleTemporaries(dir.File("out.csv"), "out.csv.part~");
    for (const Entry& e : entries)
        EXPECT_EQ(!std::filesystem::exists(dir.File(e.Name)), e.Gone) << e.Name;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("out.csv.part~lnk000")));
}
