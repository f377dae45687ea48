#include "acquisition/TsdRebuild.h"

#include "datafiles/FileError.h"
#include "datafiles/TextLineReader.h"
#include "datafiles/TsdFile.h"

#include <filesystem>
#include <fstream>

namespace tavrel {

std::string TsdTemporaryName(const std::string& fileName) {
    std::filesystem::path path(fileName);
    path.replace_extension(".$$$");
    return path.string();
}

namespace {

void CopyBlocks(const SDFdata& data, const std::string& fileName, const std::string& tempName) {
    TextLineReader old(fileName);
    std::ofstream out(tempName, std::ios::binary | std::ios::app);
    if (!out)
        throw FileError("ファイル " + tempName + " に書き込めません。");

    std::string line;
    bool found = false;
    while (!old.AtEnd()) {
        line = old.ReadLine();
        if (line == "No.1") {
            found = true;
            break;
        }
    }
    const int blocks = data.Header.BurstCount;
    if (blocks > 0 && !found)
        throw FileError("ファイル " + fileName + " にデータブロックがありません。");
    for (int b = 0; b < blocks; ++b) {
        out << line << "\r\n";
        for (std::int32_t j = 0; j < data.Header.SampleCount; ++j) {
            if (old.AtEnd())
                throw FileError("ファイル " + fileName +
                                " のデータブロックが途中で終わっています。");
            out << old.ReadLine() << "\r\n";
        }
        if (!old.AtEnd())
            line = old.ReadLine();
        else if (b + 1 < blocks)
            throw FileError("ファイル " + fileName + " のデータブロックが足りません。");
    }
    out.flush();
    if (!out)
        throw FileError("ファイル " + tempName + " に書き込めません。");
}

} // namespace

void RebuildTsdFile(const SDFdata& data, const std::string& fileName) {
    const std::string tempName = TsdTemporaryName(fileName);
    try {
        WriteTsdHeader(data, tempName);
        CopyBlocks(data, fileName, tempName);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(tempName, ignored);
        throw;
    }
    // Renaming over the old file replaces it in one step: either file survives a crash.
    std::error_code ec;
    std::filesystem::rename(tempName, fileName, ec);
    if (ec) {
        std::filesystem::remove(tempName, ec);
        throw FileError("ファイル " + fileName + " を置き換えられません。");
    }
}

} // namespace tavrel
