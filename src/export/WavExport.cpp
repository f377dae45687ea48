#include "export/WavExport.h"

#include "datafiles/DataFileReader.h"
#include "datafiles/io/AtomicReplace.h"
#include "datafiles/sdf/SdfToTsd.h"
#include "model/FileError.h"
#include "model/TimeUnits.h"
#include "text/Messages.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace tavrel {
namespace {

class SoundFile {
public:
    SoundFile(const std::string& tempName, SF_INFO& info, const std::string& out) : out_(out) {
        file_ = sf_open(tempName.c_str(), SFM_WRITE, &info);
        if (file_ == nullptr)
            throw FileError(CannotWriteMessage(out_));
    }
    ~SoundFile() {
        if (file_ != nullptr)
            sf_close(file_);
    }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    void Write(const std::int16_t* frames, std::int64_t count) {
        if (sf_writef_short(file_, frames, count) != count)
            throw FileError(CannotWriteMessage(out_));
    }
    void Close() {
        SNDFILE* f = file_;
        file_ = nullptr;
        if (sf_close(f) != 0)
            throw FileError(CannotWriteMessage(out_));
    }

private:
    std::string out_;
    SNDFILE* file_ = nullptr;
};

} // namespace

std::vector<std::string> WavFileNames(const std::string& out, const ResolvedSelection& s) {
    if (s.Bursts.size() == 1)
        return {out};
    const std::filesystem::path path(out);
    const std::string stem = (path.parent_path() / path.stem()).string();
    std::vector<std::string> names;
    for (const std::int64_t k : s.Bursts) {
        char number[32];
        std::snprintf(number, sizeof number, "-%03lld", static_cast<long long>(k + 1));
        names.push_back(stem + number + path.extension().string());
    }
    return names;
}

int WavSampleRate(const MeasurementHeader& h) {
    const auto micro = SamplingMicroseconds(h);
    if (!micro || *micro <= 0 || 1'000'000 % *micro != 0)
        throw FileError(WavRateMessage(std::to_string(h.SamplingInterval) + " " +
                                       std::string(TimeUnitName(h.SamplingUnit))));
    return static_cast<int>(1'000'000 / *micro);
}

bool ExportWav(const DataFileReader& reader, const ExportSelection& selection,
               const std::string& out, ProgressReporter& progress) {
    const ResolvedSelection s = ResolveSelection(selection, reader);
    const int rate = WavSampleRate(reader.Header());
    const std::vector<std::string> names = WavFileNames(out, s);
    std::vector<std::string> prefixes;
    for (const std::string& name : names) {
        RefuseOutputFile(reader.FileName(), name);
        prefixes.push_back(std::filesystem::path(ConversionTempName(name)).filename());
    }
    const std::size_t width = s.Channels.size();
    std::vector<std::int16_t> rows;
    const auto stride = static_cast<std::size_t>(
        std::clamp<int>(reader.Header().ChannelCount, 0, MaxSampledChannels));
    // All channels in the file's order: the rows are the frames.
    bool asRead = width == stride;
    for (std::size_t c = 0; c < width && asRead; ++c)
        asRead = s.Channels[c] == static_cast<int>(c);
    const std::int64_t pieceScans = ExportPieceScans(reader.Header());
    std::vector<std::int16_t> frames(static_cast<std::size_t>(pieceScans) * width);

    auto write = [&](std::size_t i, const std::string& tempName) {
        progress.SetProgress(static_cast<int>(i * 100 / s.Bursts.size()));
        if (progress.Cancelled())
            return false;
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = static_cast<int>(width);
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SoundFile file(tempName, info, names[i]);
        for (std::int64_t first = s.FirstSample; first < s.EndSample; first += pieceScans) {
            const std::int64_t count = std::min(pieceScans, s.EndSample - first);
            reader.ReadScanRows(s.Bursts[i], first, count, rows);
            if (!asRead)
                for (std::int64_t j = 0; j < count; ++j)
                    for (std::size_t c = 0; c < width; ++c)
                        frames[static_cast<std::size_t>(j) * width + c] =
                            rows[static_cast<std::size_t>(j) * stride +
                                 static_cast<std::size_t>(s.Channels[c])];
            file.Write(asRead ? rows.data() : frames.data(), count);
        }
        file.Close();
        return true;
    };
    return WithProgressShown(progress, ExportCaption, [&] {
        return ReplaceFilesAtomically(names, prefixes, write,
                                      [&](std::size_t i) { return CannotWriteMessage(names[i]); });
    });
}

} // namespace tavrel
