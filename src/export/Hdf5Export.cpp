#include "export/Hdf5Export.h"

#include "datafiles/DataFileReader.h"
#include "datafiles/h5/H5Writer.h"
#include "datafiles/io/AtomicReplace.h"
#include "datafiles/io/BinaryFile.h"
#include "datafiles/sdf/SdfToTsd.h"
#include "model/FileError.h"
#include "model/SDFdata.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "text/Messages.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <utility>

namespace tavrel {
namespace {

constexpr std::uint32_t QuietNanBits = 0x7FC00000u;

} // namespace

bool ExportHdf5(const DataFileReader& reader, const ExportSelection& selection,
                const std::string& out, ProgressReporter& progress) {
    const MeasurementHeader& h = reader.Header();
    const ResolvedSelection s = ResolveSelection(selection, reader);
    RefuseOutputFile(reader.FileName(), out);

    h5::Attributes attributes = H5AttributesOf(h, "");
    attributes.BurstsPlanned = static_cast<std::int64_t>(s.Bursts.size());
    attributes.ScansPerBurst = s.Scans();
    // The trigger's channel by its place among those exported; gone with its channel.
    attributes.Trigger = reader.RecordedTrigger();
    const auto triggerChannel =
        std::find(s.Channels.begin(), s.Channels.end(), attributes.Trigger.Channel);
    if (triggerChannel == s.Channels.end())
        attributes.Trigger = {};
    else
        attributes.Trigger.Channel = static_cast<int>(triggerChannel - s.Channels.begin());
    const std::vector<h5::Channel> all = H5ChannelsOf(h, {});
    std::vector<h5::Channel> channels;
    for (const int c : s.Channels)
        channels.push_back(static_cast<std::size_t>(c) < all.size()
                               ? all[static_cast<std::size_t>(c)]
                               : h5::Channel{ChannelNameUtf8(h, c), ChannelUnitUtf8(h, c), "",
                                             h.CoefA[static_cast<std::size_t>(c)],
                                             h.CoefB[static_cast<std::size_t>(c)], NAN, NAN});
    // Burst k began at the instant StartTime + k x the burst interval, whatever the local clock
    // did in between.
    const double burstSeconds = static_cast<double>(h.BurstInterval * TimeUnitFactor(h.BurstUnit));

    const std::string tempPrefix = std::filesystem::path(ConversionTempName(out)).filename();
    auto write = [&](const std::string& tempName) {
        h5::Writer w(tempName, out, false);
        {
            // All the values' space before the library writes any (it cannot stop halfway
            // through its own writes): a full disk is then an error of ours, not of HDF5's.
            const BinaryFile held(tempName, BinaryFile::Mode::Existing);
            const auto bytes = static_cast<std::int64_t>(s.Bursts.size()) * s.Scans() *
                               static_cast<std::int64_t>(s.Channels.size() * sizeof(float));
            ReserveDiskSpace(held.Descriptor(), bytes + bytes / 64 + (1 << 16), out);
        }
        w.SetAttributes(attributes);
        w.SetChannels(channels);
        const std::size_t width = s.Channels.size();
        const auto stride =
            static_cast<std::size_t>(std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels));
        const std::int64_t pieceScans = ExportPieceScans(h);
        bool allInOrder = width == stride;
        for (std::size_t c = 0; c < width; ++c)
            allInOrder = allInOrder && s.Channels[c] == static_cast<int>(c);
        std::vector<std::int16_t> rows;
        std::vector<float> piece;
        for (std::size_t i = 0; i < s.Bursts.size(); ++i) {
            progress.SetProgress(static_cast<int>(i * 100 / s.Bursts.size()));
            if (progress.Cancelled())
                return false;
            const std::int64_t k = s.Bursts[i];
            const std::int64_t firstScan = w.Scans();
            for (std::int64_t first = 0; first < s.Scans(); first += pieceScans) {
                const std::int64_t count = std::min(pieceScans, s.Scans() - first);
                reader.ReadScanRows(k, s.FirstSample + first, count, rows);
                piece.resize(static_cast<std::size_t>(count) * width);
                if (allInOrder) // one straight loop without branches: the compiler makes it wide
                    for (std::size_t i = 0; i < piece.size(); ++i) {
                        const auto errorMask =
                            std::uint32_t{0} - static_cast<std::uint32_t>(rows[i] == ErrorData);
                        piece[i] = std::bit_cast<float>(
                            (std::bit_cast<std::uint32_t>(static_cast<float>(rows[i])) &
                             ~errorMask) |
                            (QuietNanBits & errorMask));
                    }
                else
                    for (std::int64_t j = 0; j < count; ++j)
                        for (std::size_t c = 0; c < width; ++c) {
                            const std::int16_t code = rows[static_cast<std::size_t>(j) * stride +
                                                           static_cast<std::size_t>(s.Channels[c])];
                            piece[static_cast<std::size_t>(j) * width + c] =
                                code == ErrorData ? NAN : static_cast<float>(code);
                        }
                w.AppendScans(piece);
            }
            const double cut = static_cast<double>(s.FirstSample) * reader.SamplingSeconds();
            const double start = attributes.StartTime + static_cast<double>(k) * burstSeconds + cut;
            BurstTrigger trigger = reader.TriggerOf(k);
            if (trigger.Origin == BurstOrigin::Scheduled) {
                w.AppendBurst(
                    {firstScan, w.Scans() - firstScan, start, start, BurstEnd::Complete, trigger});
                continue;
            }
            // A triggered burst began its pre-trigger scans before its trigger time.
            const double begun =
                trigger.TimeSeconds - static_cast<double>(trigger.Scan) * reader.SamplingSeconds();
            trigger.Scan -= s.FirstSample;
            if (trigger.Scan < 0 || trigger.Scan >= s.Scans())
                trigger.Scan = -1;
            w.AppendBurst(
                {firstScan, w.Scans() - firstScan, begun + cut, NAN, BurstEnd::Complete, trigger});
        }
        w.Close();
        return true;
    };
    return WithProgressShown(progress, ExportCaption, [&] {
        return ReplaceFileAtomically(out, tempPrefix, write, CannotWriteMessage(out),
                                     TargetLock::Take, TemporaryKind::Named);
    });
}

} // namespace tavrel
