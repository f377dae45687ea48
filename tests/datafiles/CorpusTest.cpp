// Every file of the fuzzers' corpus through every reader, from memory and from the file: each
// reader returns or refuses cleanly (FileError at most), and both sources read the same.
#include "TestSupport.h"
#include "datafiles/DataFileReader.h"
#include "datafiles/ParameterFile.h"
#include "datafiles/io/ByteSource.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/sdf/SdfFile.h"
#include "datafiles/tsd/TsdFile.h"
#include "model/FileError.h"
#include "model/SDFdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

using namespace tavrel;
using namespace tavrel::test;

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusFiles() {
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(TAVREL_FUZZ_CORPUS))
        if (e.is_regular_file())
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

// What one reader made of a source, as text to compare: the refusal or the values read.
using Reader = std::function<std::string(ByteSource&)>;

std::string ReadSdfHeaderOf(ByteSource& source) {
    DecodedSdfHeader d;
    const SdfHeaderCheck check = ReadSdfHeader(source, d);
    if (check != SdfHeaderCheck::Ok)
        return "refused " + std::to_string(static_cast<int>(check));
    return "v" + std::to_string(d.Version) + " " + std::to_string(d.Header.ChannelCount) + "x" +
           std::to_string(d.Header.SampleCount) + "x" + std::to_string(d.Header.BurstCount);
}

std::string ReadBlocksOf(ByteSource& source) {
    SdfBlockReader reader(source);
    if (reader.Check() != SdfHeaderCheck::Ok)
        return "refused";
    std::string out = std::to_string(reader.BlocksPresent()) + " blocks:";
    std::vector<std::int16_t> values;
    for (int k = 0; k < 1000 && reader.NextBlock(values); ++k)
        for (const std::int16_t v : values)
            out += " " + std::to_string(v);
    return out;
}

std::string ReadTsdHeaderOf(ByteSource& source) {
    MeasurementHeader h = DefaultMeasurementHeader();
    int version = 0;
    if (!ReadTsdHeader(source, h, version))
        return "refused";
    return "Ver." + std::to_string(version) + " " + std::to_string(h.ChannelCount) + "x" +
           std::to_string(h.SampleCount) + " " + FormatTsdHeader(h);
}

std::string LoadParametersOf(ByteSource& source) {
    MainEntries e = DefaultMainEntries("/x/");
    const bool all = LoadParameterFile(e, source);
    return (all ? "all " : "refused, part ") + e.EditDataNum + " " + e.Memo1 + " " +
           e.EditFileName + " " + std::to_string(e.GridRowCount);
}

// The reader's answer, or how it failed: "FileError" is a clean refusal; anything else fails.
std::string RunReader(const Reader& reader, ByteSource& source, const fs::path& file) {
    try {
        return reader(source);
    } catch (const FileError&) {
        return "FileError";
    } catch (const std::exception& e) {
        ADD_FAILURE() << file << ": " << e.what();
    } catch (...) {
        ADD_FAILURE() << file << ": not a FileError";
    }
    return "";
}

} // namespace

TEST(Corpus, EveryReaderReturnsOrRefusesCleanlyAndSourcesAgree) {
    const std::vector<std::pair<const char*, Reader>> readers = {
        {"sdf header", ReadSdfHeaderOf},
        {"sdf blocks", ReadBlocksOf},
        {"tsd header", ReadTsdHeaderOf},
        {"parameter file", LoadParametersOf},
    };
    const auto files = CorpusFiles();
    ASSERT_GE(files.size(), 20u); // the corpus is there
    int accepted = 0;
    for (const fs::path& file : files) {
        const std::string bytes = ReadBytes(file);
        for (const auto& [what, reader] : readers) {
            MemorySource memory(bytes, file.string());
            FileSource onDisk(file.string());
            const std::string fromMemory = RunReader(reader, memory, file);
            EXPECT_EQ(fromMemory, RunReader(reader, onDisk, file)) << what << " " << file;
            accepted += fromMemory.rfind("refused", 0) != 0 && fromMemory != "FileError";
        }
    }
    // Each kind of file is taken by its own reader at least.
    EXPECT_GE(accepted, static_cast<int>(files.size()));
}

TEST(Corpus, DataFileReaderReadsOrRefusesEveryFileCleanly) {
    int opened = 0;
    for (const fs::path& file : CorpusFiles()) {
        try {
            const auto reader = OpenDataFileReader(file.string());
            ++opened;
            std::array<std::vector<std::int16_t>, MaxSampledChannels> blocks;
            std::vector<std::int16_t> extra, rows;
            const std::int64_t scans = std::max<std::int32_t>(reader->Header().SampleCount, 0);
            for (std::int64_t k = 0; k < std::min<std::int64_t>(reader->Bursts(), 50); ++k) {
                reader->ReadBurst(k, blocks, extra);
                reader->ReadScanRows(k, scans / 2, scans - scans / 2, rows);
                EXPECT_EQ(rows.size(), static_cast<std::size_t>(scans - scans / 2) *
                                           static_cast<std::size_t>(reader->Header().ChannelCount))
                    << file;
            }
        } catch (const FileError&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << file << ": " << e.what();
        }
    }
    EXPECT_GE(opened, 5); // the corpus has data files of both kinds
}

TEST(Corpus, MemorySourceReadsLikeAFile) {
    const std::string bytes = "0123456789";
    MemorySource m(bytes, "m");
    char buffer[8] = {};
    EXPECT_EQ(m.Size(), 10);
    EXPECT_EQ(m.ReadAt(6, buffer, 8), 4u);
    EXPECT_EQ(std::string(buffer, 4), "6789");
    EXPECT_EQ(m.ReadAt(10, buffer, 8), 0u);
    EXPECT_EQ(m.ReadAt(99, buffer, 8), 0u);
    EXPECT_THROW(m.ReadExactAt(8, buffer, 4), FileError);
    EXPECT_THROW(m.ReadAt(-1, buffer, 1), FileError);
    EXPECT_EQ(m.Name(), "m");
}
