#include "datafiles/io/AtomicReplace.h"

#include "TestSupport.h"
#include "datafiles/io/BinaryFile.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <gtest/gtest.h>

#include <cerrno>

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
