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
#include <array>
#include <bit>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace tavrel {
namespace {

constexpr std::uint32_t QuietNanBits = 0x7FC00000u;

// Runs one job at a time on a thread of its own, so that a job can run beside the caller's
// work without a thread made for each.
class Worker {
public:
    Worker() : thread_([this] { Run(); }) {}
    ~Worker() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void Start(std::function<void()> job) {
        {
            const std::lock_guard lock(mutex_);
            job_ = std::move(job);
        }
        changed_.notify_all();
    }
    // Waits for the job started last; rethrows what it threw.
    void Wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !job_; });
        if (error_)
            std::rethrow_exception(std::exchange(error_, nullptr));
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stop_ || job_; });
            if (!job_)
                return;
            lock.unlock();
            std::exception_ptr error;
            try {
                job_();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            error_ = error;
            job_ = nullptr;
            changed_.notify_all();
        }
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    std::exception_ptr error_;
    bool stop_ = false;
    std::thread thread_; // last: starts when the rest is made
};

// The values of count scan rows of stride codes, of the channels chosen in their order; error
// data as NaN.
void ValuesOf(const std::vector<std::int16_t>& rows, std::int64_t count, std::size_t stride,
              const std::vector<int>& channels, std::vector<float>& values) {
    const std::size_t width = channels.size();
    values.resize(static_cast<std::size_t>(count) * width);
    bool allInOrder = width == stride;
    for (std::size_t c = 0; c < width; ++c)
        allInOrder = allInOrder && channels[c] == static_cast<int>(c);
    if (allInOrder) { // one straight loop without branches: the compiler makes it wide
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto errorMask =
                std::uint32_t{0} - static_cast<std::uint32_t>(rows[i] == ErrorData);
            values[i] = std::bit_cast<float>(
                (std::bit_cast<std::uint32_t>(static_cast<float>(rows[i])) & ~errorMask) |
                (QuietNanBits & errorMask));
        }
        return;
    }
    for (std::int64_t j = 0; j < count; ++j)
        for (std::size_t c = 0; c < width; ++c) {
            const std::int16_t code =
                rows[static_cast<std::size_t>(j) * stride + static_cast<std::size_t>(channels[c])];
            values[static_cast<std::size_t>(j) * width + c] =
                code == ErrorData ? NAN : static_cast<float>(code);
        }
}

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
        const auto stride =
            static_cast<std::size_t>(std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels));
        // Pieces of about 4 MB of values, in the order they are written.
        const std::int64_t pieceScans = 4 * ExportPieceScans(h);
        std::vector<std::pair<std::size_t, std::int64_t>> order; // (burst's place, first scan)
        for (std::size_t i = 0; i < s.Bursts.size(); ++i)
            for (std::int64_t first = 0; first < s.Scans(); first += pieceScans)
                order.emplace_back(i, first);
        struct Piece {
            std::vector<std::int16_t> Rows;
            std::vector<float> Values;
        };
        std::array<Piece, 2> pieces;
        auto fill = [&](std::size_t n) {
            const auto [i, first] = order[n];
            Piece& p = pieces[n % 2];
            const std::int64_t count = std::min(pieceScans, s.Scans() - first);
            reader.ReadScanRows(s.Bursts[i], s.FirstSample + first, count, p.Rows);
            ValuesOf(p.Rows, count, stride, s.Channels, p.Values);
        };
        // The next piece is read while this one is written: the disk and the processor work at
        // once. An HDF5 input stays on this thread (the library takes one thread at a time).
        std::optional<Worker> ahead;
        if (reader.Type() != DataFileType::Hdf5 && order.size() > 1)
            ahead.emplace();
        // Ends the job before the pieces it fills go, also on an error or a cancel.
        const struct Finish {
            std::optional<Worker>& Ahead;
            ~Finish() {
                if (Ahead) {
                    try {
                        Ahead->Wait();
                    } catch (...) { // the error that ended the export is the one told
                    }
                }
            }
        } finish{ahead};
        std::int64_t firstScan = 0;
        for (std::size_t n = 0; n < order.size(); ++n) {
            const auto [i, first] = order[n];
            if (n == 0 || !ahead)
                fill(n);
            else
                ahead->Wait();
            if (ahead && n + 1 < order.size())
                ahead->Start([&fill, n] { fill(n + 1); });
            if (first == 0) {
                progress.SetProgress(static_cast<int>(i * 100 / s.Bursts.size()));
                if (progress.Cancelled())
                    return false;
                firstScan = w.Scans();
            }
            w.AppendScans(pieces[n % 2].Values);
            if (n + 1 < order.size() && order[n + 1].first == i)
                continue;
            const std::int64_t k = s.Bursts[i];
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
