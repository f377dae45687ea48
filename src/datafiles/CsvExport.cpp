#include "datafiles/CsvExport.h"

#include "datafiles/AtomicReplace.h"
#include "datafiles/BinaryFile.h"
#include "datafiles/DataFileReader.h"
#include "datafiles/FileError.h"
#include "datafiles/Messages.h"
#include "datafiles/SdfToTsd.h"
#include "datafiles/ValueText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

namespace tavrel {
namespace {

constexpr std::size_t FlushBytes = 4 << 20;

// A field in double quotes when it holds a comma, a quote or a line break (quotes doubled).
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

std::string HeaderRow(const MeasurementHeader& h, const ResolvedSelection& s,
                      CsvEncoding encoding) {
    std::string row = "time [s],burst";
    for (const int c : s.Channels) {
        std::string name = ChannelNameUtf8(h, c);
        const std::string unit = ChannelUnitUtf8(h, c);
        if (!unit.empty())
            name += " [" + unit + "]";
        row += ',';
        if (encoding == CsvEncoding::Cp932) {
            // The file's own bytes come back unchanged (they were CP932 to begin with).
            const auto cp932 = Utf8ToCp932(name);
            row += CsvField(cp932 ? *cp932 : name);
        } else {
            row += CsvField(name);
        }
    }
    return row + "\r\n";
}

} // namespace

char* PutSecondsText(char* out, std::int64_t microseconds) {
    if (microseconds < 0) {
        *out++ = '-';
        microseconds = -microseconds;
    }
    const std::int64_t whole = microseconds / 1'000'000;
    std::int64_t fraction = microseconds % 1'000'000;
    out = std::to_chars(out, out + 20, whole).ptr;
    if (fraction != 0) {
        *out++ = '.';
        int digits = 6;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        char buffer[8];
        const char* end = std::to_chars(buffer, buffer + 8, fraction).ptr;
        const auto length = static_cast<int>(end - buffer);
        for (int i = length; i < digits; ++i)
            *out++ = '0';
        std::memcpy(out, buffer, static_cast<std::size_t>(length));
        out += length;
    }
    return out;
}

bool ExportCsv(const DataFileReader& reader, const ExportSelection& selection,
               const std::string& out, CsvEncoding encoding, ProgressReporter& progress) {
    const MeasurementHeader& h = reader.Header();
    const ResolvedSelection s = ResolveSelection(selection, reader);
    RefuseOutputFile(reader.FileName(), out);
    const auto micro = SamplingMicroseconds(h);
    const double seconds = reader.SamplingSeconds();
    std::vector<ValueTextTable> texts;
    texts.reserve(s.Channels.size());
    for (const int c : s.Channels)
        texts.emplace_back(h.CoefA[static_cast<std::size_t>(c)],
                           h.CoefB[static_cast<std::size_t>(c)], "");
    const std::size_t rowMax = 32 + 8 + s.Channels.size() * (ValueTextTable::MaxLength + 1) + 2;

    auto write = [&](const std::string& tempName) {
        std::unique_ptr<BinaryFile> opened;
        try {
            opened = std::make_unique<BinaryFile>(tempName, BinaryFile::Mode::Temporary);
        } catch (const FileError&) {
            throw FileError(CannotWriteMessage(out));
        }
        BinaryFile& file = *opened;
        std::string head = encoding == CsvEncoding::Utf8 ? "\xEF\xBB\xBF" : "";
        head += HeaderRow(h, s, encoding);
        file.Write(head.data(), head.size());

        std::vector<char> buffer(FlushBytes + rowMax);
        char* const start = buffer.data();
        char* p = start;
        std::array<std::vector<std::int16_t>, MaxSampledChannels> blockData;
        std::vector<std::int16_t> extraData;
        for (std::size_t b = 0; b < s.Bursts.size(); ++b) {
            progress.SetProgress(static_cast<int>(b * 100 / s.Bursts.size()));
            if (progress.Cancelled())
                return false;
            const std::int64_t k = s.Bursts[b];
            reader.ReadBurst(k, blockData, extraData);
            char number[24];
            const char* numberEnd = std::to_chars(number, number + 24, k + 1).ptr;
            const auto numberLength = static_cast<std::size_t>(numberEnd - number);
            for (std::int64_t j = s.FirstSample; j < s.EndSample; ++j) {
                std::int64_t at = 0;
                if (micro && !__builtin_mul_overflow(j, *micro, &at))
                    p = PutSecondsText(p, at);
                else
                    p = std::to_chars(p, p + 32, static_cast<double>(j) * seconds).ptr;
                *p++ = ',';
                std::memcpy(p, number, numberLength);
                p += numberLength;
                for (std::size_t i = 0; i < s.Channels.size(); ++i) {
                    *p++ = ',';
                    const auto c = static_cast<std::size_t>(s.Channels[i]);
                    p = texts[i].Put(p, blockData[c][static_cast<std::size_t>(j)]);
                }
                *p++ = '\r';
                *p++ = '\n';
                if (static_cast<std::size_t>(p - start) >= FlushBytes) {
                    file.Write(start, static_cast<std::size_t>(p - start));
                    p = start;
                }
            }
        }
        file.Write(start, static_cast<std::size_t>(p - start));
        file.Close();
        return true;
    };
    progress.StartProgress(ExportCaption);
    bool written = false;
    try {
        written =
            ReplaceFileAtomically(out, std::filesystem::path(ConversionTempName(out)).filename(),
                                  write, CannotWriteMessage(out));
    } catch (...) {
        progress.HideProgress();
        throw;
    }
    progress.HideProgress();
    return written;
}

} // namespace tavrel
