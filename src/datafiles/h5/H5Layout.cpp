#include "datafiles/h5/H5Layout.h"

#include "model/FileError.h"
#include "model/MeasurementHeader.h"
#include "text/DateTime.h"
#include "text/Messages.h"

#include <hdf5.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <utility>

namespace tavrel::h5 {
namespace {

// An identifier closed by its own close function when it goes; ids below 0 are none.
class Id {
public:
    Id() = default;
    Id(hid_t id, herr_t (*close)(hid_t)) : id_(id), close_(close) {}
    Id(Id&& other) noexcept : id_(std::exchange(other.id_, -1)), close_(other.close_) {}
    Id& operator=(Id&& other) noexcept {
        if (this != &other) {
            Reset();
            id_ = std::exchange(other.id_, -1);
            close_ = other.close_;
        }
        return *this;
    }
    ~Id() { Reset(); }
    void Reset() {
        if (id_ >= 0 && close_)
            close_(id_);
        id_ = -1;
    }
    bool Valid() const { return id_ >= 0; }
    operator hid_t() const { return id_; }

private:
    hid_t id_ = -1;
    herr_t (*close_)(hid_t) = nullptr;
};

// The library's own error printing would add lines to stderr; its file locks would make a
// reader wait for the recorder, which holds a lock of its own (see DataFileWriter).
void PrepareLibrary() {
    static const bool done = [] {
        ::setenv("HDF5_USE_FILE_LOCKING", "FALSE", 0);
        H5open();
        H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
        return true;
    }();
    (void)done;
}

Id StringType() {
    Id type(H5Tcopy(H5T_C_S1), H5Tclose);
    H5Tset_size(type, H5T_VARIABLE);
    H5Tset_cset(type, H5T_CSET_UTF8);
    return type;
}

struct ChannelRecord {
    const char* name;
    const char* unit;
    const char* deviceChannel;
    double a, b, rangeLow, rangeHigh;
};

struct BurstRecord {
    std::int64_t firstScan, scanCount;
    double startTime, scheduledTime;
    std::int8_t end;
    std::int8_t origin;
    std::int64_t triggerScan;
    double triggerTime;
};

constexpr const char* EdgeNames[] = {"rising", "falling", "either"};

Id ChannelType() {
    Id type(H5Tcreate(H5T_COMPOUND, sizeof(ChannelRecord)), H5Tclose);
    const Id text = StringType();
    H5Tinsert(type, "name", HOFFSET(ChannelRecord, name), text);
    H5Tinsert(type, "unit", HOFFSET(ChannelRecord, unit), text);
    H5Tinsert(type, "a", HOFFSET(ChannelRecord, a), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "b", HOFFSET(ChannelRecord, b), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "device_channel", HOFFSET(ChannelRecord, deviceChannel), text);
    H5Tinsert(type, "range_low", HOFFSET(ChannelRecord, rangeLow), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "range_high", HOFFSET(ChannelRecord, rangeHigh), H5T_NATIVE_DOUBLE);
    return type;
}

Id EndType() {
    Id type(H5Tenum_create(H5T_NATIVE_INT8), H5Tclose);
    const char* names[] = {"complete", "stopped", "overflow", "device lost"};
    for (std::int8_t v = 0; v < 4; ++v)
        H5Tenum_insert(type, names[v], &v);
    return type;
}

Id OriginType() {
    Id type(H5Tenum_create(H5T_NATIVE_INT8), H5Tclose);
    const char* names[] = {"scheduled", "triggered", "timed out"};
    for (std::int8_t v = 0; v < 3; ++v)
        H5Tenum_insert(type, names[v], &v);
    return type;
}

Id BurstType() {
    Id type(H5Tcreate(H5T_COMPOUND, sizeof(BurstRecord)), H5Tclose);
    H5Tinsert(type, "first_scan", HOFFSET(BurstRecord, firstScan), H5T_NATIVE_INT64);
    H5Tinsert(type, "scan_count", HOFFSET(BurstRecord, scanCount), H5T_NATIVE_INT64);
    H5Tinsert(type, "start_time_s", HOFFSET(BurstRecord, startTime), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "scheduled_time_s", HOFFSET(BurstRecord, scheduledTime), H5T_NATIVE_DOUBLE);
    const Id end = EndType();
    H5Tinsert(type, "end", HOFFSET(BurstRecord, end), end);
    const Id origin = OriginType();
    H5Tinsert(type, "origin", HOFFSET(BurstRecord, origin), origin);
    H5Tinsert(type, "trigger_scan", HOFFSET(BurstRecord, triggerScan), H5T_NATIVE_INT64);
    H5Tinsert(type, "trigger_time_s", HOFFSET(BurstRecord, triggerTime), H5T_NATIVE_DOUBLE);
    return type;
}

// The file access the layout needs: the newest format, which single-writer access requires.
Id LatestFormat() {
    Id fapl(H5Pcreate(H5P_FILE_ACCESS), H5Pclose);
    H5Pset_libver_bounds(fapl, H5F_LIBVER_LATEST, H5F_LIBVER_LATEST);
    return fapl;
}

constexpr hsize_t ChunkBytes = 64 * 1024;

} // namespace

bool IsHdf5Signature(std::string_view firstBytes) {
    return firstBytes.substr(0, 8) == std::string_view("\x89HDF\r\n\x1a\n", 8);
}

// --- Writer --------------------------------------------------------------------------------

struct Writer::Ids {
    Id file, samples, bursts, burstType;
};

Writer::Writer(const std::string& path, const std::string& shownName, bool swmr)
    // The file's values are little-endian floats: only then are the values' bytes a chunk's.
    : shown_(shownName), swmr_(swmr), direct_(!swmr && std::endian::native == std::endian::little),
      ids_(std::make_unique<Ids>()) {
    PrepareLibrary();
    const Id fapl = LatestFormat();
    ids_->file = Id(H5Fcreate(path.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, fapl), H5Fclose);
    Check(ids_->file.Valid() ? 0 : -1);
    ids_->burstType = BurstType();
    const hsize_t none = 0, unlimited = H5S_UNLIMITED, chunk = 256;
    const Id space(H5Screate_simple(1, &none, &unlimited), H5Sclose);
    const Id create(H5Pcreate(H5P_DATASET_CREATE), H5Pclose);
    Check(H5Pset_chunk(create, 1, &chunk));
    ids_->bursts = Id(
        H5Dcreate2(ids_->file, "bursts", ids_->burstType, space, H5P_DEFAULT, create, H5P_DEFAULT),
        H5Dclose);
    Check(ids_->bursts.Valid() ? 0 : -1);
    // What the file is, from the start: a reader recognises even a file cut short.
    const Id text = StringType();
    const Id scalar(H5Screate(H5S_SCALAR), H5Sclose);
    const Id format(H5Acreate2(ids_->file, "format", text, scalar, H5P_DEFAULT, H5P_DEFAULT),
                    H5Aclose);
    const char* name = FormatName;
    Check(format.Valid() ? H5Awrite(format, text, &name) : -1);
    const std::int64_t version = LayoutVersion;
    const Id layout(
        H5Acreate2(ids_->file, "layout_version", H5T_STD_I64LE, scalar, H5P_DEFAULT, H5P_DEFAULT),
        H5Aclose);
    Check(layout.Valid() ? H5Awrite(layout, H5T_NATIVE_INT64, &version) : -1);
}

Writer::~Writer() = default;

void Writer::Check(long long status) const {
    if (status < 0)
        throw FileError(CannotWriteMessage(shown_));
}

void Writer::SetAttributes(const Attributes& a) {
    const hid_t file = ids_->file;
    auto put = [&](const char* name, hid_t fileType, hid_t memoryType, const void* value) {
        if (H5Aexists(file, name) > 0)
            Check(H5Adelete(file, name));
        const Id space(H5Screate(H5S_SCALAR), H5Sclose);
        const Id attribute(H5Acreate2(file, name, fileType, space, H5P_DEFAULT, H5P_DEFAULT),
                           H5Aclose);
        Check(attribute.Valid() ? H5Awrite(attribute, memoryType, value) : -1);
    };
    const Id text = StringType();
    auto putText = [&](const char* name, const std::string& value) {
        const char* p = value.c_str();
        put(name, text, text, &p);
    };
    putText("comment", a.Comment);
    putText("start_time", FormatIsoEpochSeconds(a.StartTime));
    put("start_time_epoch_s", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, &a.StartTime);
    put("sampling_interval_s", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, &a.SamplingInterval);
    putText("device", a.Device);
    put("bursts_planned", H5T_STD_I64LE, H5T_NATIVE_INT64, &a.BurstsPlanned);
    put("scans_per_burst", H5T_STD_I64LE, H5T_NATIVE_INT64, &a.ScansPerBurst);
    put("sampling_interval", H5T_STD_I64LE, H5T_NATIVE_INT64, &a.SamplingCount);
    put("sampling_unit", H5T_STD_I64LE, H5T_NATIVE_INT64, &a.SamplingUnit);
    put("burst_interval", H5T_STD_I64LE, H5T_NATIVE_INT64, &a.BurstIntervalCount);
    put("burst_unit", H5T_STD_I64LE, H5T_NATIVE_INT64, &a.BurstUnit);
    const TriggerSettings& t = a.Trigger;
    if (t.Start != BurstStart::Trigger)
        return;
    putText("burst_start", "trigger");
    const std::int64_t channel = t.Channel, pre = t.PreTriggerPercent;
    put("trigger_channel", H5T_STD_I64LE, H5T_NATIVE_INT64, &channel);
    putText("trigger_edge", EdgeNames[std::clamp(static_cast<int>(t.Edge), 0, 2)]);
    put("trigger_level", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, &t.Level);
    put("trigger_hysteresis", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, &t.Hysteresis);
    put("trigger_pre_percent", H5T_STD_I64LE, H5T_NATIVE_INT64, &pre);
    put("trigger_holdoff_s", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, &t.HoldOffSeconds);
    put("trigger_timeout_s", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, &t.AutoTimeoutSeconds);
}

void Writer::SetChannels(const std::vector<Channel>& channels) {
    const hid_t file = ids_->file;
    for (const char* name : {"channels", "samples"})
        if (H5Lexists(file, name, H5P_DEFAULT) > 0)
            Check(H5Ldelete(file, name, H5P_DEFAULT));
    ids_->samples.Reset();
    channels_ = channels.size();

    std::vector<ChannelRecord> rows;
    for (const Channel& c : channels)
        rows.push_back({c.Name.c_str(), c.Unit.c_str(), c.DeviceChannel.c_str(), c.A, c.B,
                        c.RangeLow, c.RangeHigh});
    const hsize_t n = rows.size();
    const Id type = ChannelType();
    const Id space(H5Screate_simple(1, &n, nullptr), H5Sclose);
    const Id table(H5Dcreate2(file, "channels", type, space, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT),
                   H5Dclose);
    Check(table.Valid() ? H5Dwrite(table, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, rows.data()) : -1);

    const hsize_t width = std::max<hsize_t>(channels_, 1);
    const hsize_t dims[2] = {0, width}, maxDims[2] = {H5S_UNLIMITED, width};
    const hsize_t chunk[2] = {std::max<hsize_t>(ChunkBytes / sizeof(float) / width, 1), width};
    chunkScans_ = chunk[0];
    const Id samplesSpace(H5Screate_simple(2, dims, maxDims), H5Sclose);
    const Id create(H5Pcreate(H5P_DATASET_CREATE), H5Pclose);
    Check(H5Pset_chunk(create, 2, chunk));
    const float nan = std::nanf("");
    Check(H5Pset_fill_value(create, H5T_NATIVE_FLOAT, &nan));
    ids_->samples = Id(
        H5Dcreate2(file, "samples", H5T_IEEE_F32LE, samplesSpace, H5P_DEFAULT, create, H5P_DEFAULT),
        H5Dclose);
    Check(ids_->samples.Valid() ? 0 : -1);
}

void Writer::BeginSamples() {
    if (!ids_->samples.Valid())
        SetChannels({});
    if (swmr_) {
        swmr_ = false;
        Check(H5Fstart_swmr_write(ids_->file));
    }
}

void Writer::AppendScans(std::span<const float> values) {
    BeginSamples();
    if (values.empty() || channels_ == 0)
        return;
    const auto scans = static_cast<std::int64_t>(values.size() / channels_);
    const auto chunkScans = static_cast<std::int64_t>(chunkScans_);
    for (std::int64_t done = 0; done < scans;) {
        const std::int64_t left = scans - done;
        // Whole chunks from a chunk's start go to the file as they are: no cache, no copy.
        const bool whole = direct_ && scans_ % chunkScans == 0 && left >= chunkScans;
        const std::int64_t count = whole ? left / chunkScans * chunkScans
                                         : std::min(left, chunkScans - scans_ % chunkScans);
        const auto piece = values.subspan(static_cast<std::size_t>(done) * channels_,
                                          static_cast<std::size_t>(count) * channels_);
        if (whole)
            WriteChunks(piece);
        else
            WriteScans(piece);
        done += count;
    }
}

void Writer::WriteScans(std::span<const float> values) {
    const auto count = static_cast<hsize_t>(values.size() / channels_);
    const hsize_t newDims[2] = {static_cast<hsize_t>(scans_) + count, channels_};
    Check(H5Dset_extent(ids_->samples, newDims));
    const Id space(H5Dget_space(ids_->samples), H5Sclose);
    const hsize_t start[2] = {static_cast<hsize_t>(scans_), 0}, size[2] = {count, channels_};
    Check(H5Sselect_hyperslab(space, H5S_SELECT_SET, start, nullptr, size, nullptr));
    const Id memory(H5Screate_simple(2, size, nullptr), H5Sclose);
    Check(H5Dwrite(ids_->samples, H5T_NATIVE_FLOAT, memory, space, H5P_DEFAULT, values.data()));
    scans_ += static_cast<std::int64_t>(count);
}

void Writer::WriteChunks(std::span<const float> values) {
    const auto count = static_cast<hsize_t>(values.size() / channels_);
    const hsize_t newDims[2] = {static_cast<hsize_t>(scans_) + count, channels_};
    Check(H5Dset_extent(ids_->samples, newDims));
    const std::size_t chunkValues = chunkScans_ * channels_;
    for (std::size_t at = 0; at < values.size(); at += chunkValues) {
        const hsize_t offset[2] = {static_cast<hsize_t>(scans_), 0};
        Check(H5Dwrite_chunk(ids_->samples, H5P_DEFAULT, 0, offset, chunkValues * sizeof(float),
                             values.data() + at));
        scans_ += static_cast<std::int64_t>(chunkScans_);
    }
}

void Writer::AppendBurst(const Burst& b) {
    BeginSamples();
    const BurstRecord row{b.FirstScan,
                          b.ScanCount,
                          b.StartTime,
                          b.ScheduledTime,
                          static_cast<std::int8_t>(b.End),
                          static_cast<std::int8_t>(b.Trigger.Origin),
                          b.Trigger.Scan,
                          b.Trigger.TimeSeconds};
    const hsize_t newSize = static_cast<hsize_t>(bursts_) + 1, one = 1;
    Check(H5Dset_extent(ids_->bursts, &newSize));
    const Id space(H5Dget_space(ids_->bursts), H5Sclose);
    const hsize_t at = static_cast<hsize_t>(bursts_);
    Check(H5Sselect_hyperslab(space, H5S_SELECT_SET, &at, nullptr, &one, nullptr));
    const Id memory(H5Screate_simple(1, &one, nullptr), H5Sclose);
    Check(H5Dwrite(ids_->bursts, ids_->burstType, memory, space, H5P_DEFAULT, &row));
    ++bursts_;
}

void Writer::Flush() {
    // The samples before the row that points at them.
    if (ids_->samples.Valid())
        Check(H5Dflush(ids_->samples));
    Check(H5Dflush(ids_->bursts));
    Check(H5Fflush(ids_->file, H5F_SCOPE_LOCAL));
}

void Writer::Close() {
    Flush();
    ids_->samples.Reset();
    ids_->bursts.Reset();
    ids_->burstType.Reset();
    const hid_t file = ids_->file;
    const herr_t closed = H5Fclose(file);
    ids_->file = Id();
    Check(closed);
}

// --- Reader --------------------------------------------------------------------------------

struct Reader::Ids {
    Id file, samples, bursts;
};

namespace {

std::optional<std::string> TextAttribute(hid_t at, const char* name) {
    if (H5Aexists(at, name) <= 0)
        return std::nullopt;
    const Id attribute(H5Aopen(at, name, H5P_DEFAULT), H5Aclose);
    const Id type = StringType();
    char* value = nullptr;
    if (H5Aread(attribute, type, &value) < 0 || !value)
        return std::nullopt;
    std::string result(value);
    H5free_memory(value);
    return result;
}

template <typename T>
std::optional<T> NumberAttribute(hid_t at, const char* name, hid_t memoryType) {
    if (H5Aexists(at, name) <= 0)
        return std::nullopt;
    const Id attribute(H5Aopen(at, name, H5P_DEFAULT), H5Aclose);
    T value{};
    if (H5Aread(attribute, memoryType, &value) < 0)
        return std::nullopt;
    return value;
}

} // namespace

Reader::Reader(const std::string& path) : path_(path), ids_(std::make_unique<Ids>()) {
    PrepareLibrary();
    const auto fail = [&] { throw FileError(FormatMessage); };
    const Id fapl = LatestFormat();
    ids_->file = Id(H5Fopen(path.c_str(), H5F_ACC_RDONLY | H5F_ACC_SWMR_READ, fapl), H5Fclose);
    if (!ids_->file.Valid()) // a file written without single-writer access
        ids_->file = Id(H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT), H5Fclose);
    if (!ids_->file.Valid()) {
        // Not HDF5 at all is another format; HDF5 the library cannot open is a damaged file.
        std::ifstream in(path, std::ios::binary);
        char first[8] = {};
        if (in) {
            in.read(first, sizeof first);
            if (!IsHdf5Signature(std::string_view(first, static_cast<std::size_t>(in.gcount()))))
                fail();
        }
        throw FileError(CannotReadMessage(path));
    }
    const hid_t file = ids_->file;
    if (TextAttribute(file, "format") != std::string(FormatName) ||
        H5Lexists(file, "samples", H5P_DEFAULT) <= 0 ||
        H5Lexists(file, "bursts", H5P_DEFAULT) <= 0 ||
        H5Lexists(file, "channels", H5P_DEFAULT) <= 0)
        fail();
    attributes_.Comment = TextAttribute(file, "comment").value_or("");
    attributes_.Device = TextAttribute(file, "device").value_or("");
    attributes_.StartTime =
        NumberAttribute<double>(file, "start_time_epoch_s", H5T_NATIVE_DOUBLE).value_or(0);
    attributes_.SamplingInterval =
        NumberAttribute<double>(file, "sampling_interval_s", H5T_NATIVE_DOUBLE).value_or(0);
    const auto integer = [&](const char* name, std::int64_t missing) {
        return NumberAttribute<std::int64_t>(file, name, H5T_NATIVE_INT64).value_or(missing);
    };
    attributes_.BurstsPlanned = integer("bursts_planned", 0);
    attributes_.ScansPerBurst = integer("scans_per_burst", 0);
    attributes_.SamplingCount = integer("sampling_interval", 0);
    attributes_.SamplingUnit = integer("sampling_unit", 1);
    attributes_.BurstIntervalCount = integer("burst_interval", 0);
    attributes_.BurstUnit = integer("burst_unit", 4);
    if (TextAttribute(file, "burst_start") == std::string("trigger")) {
        TriggerSettings& t = attributes_.Trigger;
        const auto real = [&](const char* name) {
            return NumberAttribute<double>(file, name, H5T_NATIVE_DOUBLE)
                .value_or(std::numeric_limits<double>::quiet_NaN());
        };
        t.Start = BurstStart::Trigger;
        t.Channel = static_cast<int>(
            std::clamp<std::int64_t>(integer("trigger_channel", 0), 0, MaxChannels - 1));
        const std::string edge = TextAttribute(file, "trigger_edge").value_or("");
        for (int e = 0; e < 3; ++e)
            if (edge == EdgeNames[e])
                t.Edge = static_cast<TriggerEdge>(e);
        t.Level = real("trigger_level");
        t.Hysteresis = real("trigger_hysteresis");
        t.PreTriggerPercent =
            static_cast<int>(std::clamp<std::int64_t>(integer("trigger_pre_percent", 0), 0, 99));
        t.HoldOffSeconds = real("trigger_holdoff_s");
        t.AutoTimeoutSeconds = real("trigger_timeout_s");
    }

    const Id table(H5Dopen2(file, "channels", H5P_DEFAULT), H5Dclose);
    const Id space(H5Dget_space(table), H5Sclose);
    hsize_t n = 0;
    if (H5Sget_simple_extent_ndims(space) != 1 || H5Sget_simple_extent_dims(space, &n, nullptr) < 0)
        fail();
    std::vector<ChannelRecord> rows(n);
    const Id type = ChannelType();
    if (n > 0 && H5Dread(table, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, rows.data()) < 0)
        fail();
    for (const ChannelRecord& r : rows)
        channels_.push_back({r.name ? r.name : "", r.unit ? r.unit : "",
                             r.deviceChannel ? r.deviceChannel : "", r.a, r.b, r.rangeLow,
                             r.rangeHigh});
    if (n > 0)
        H5Dvlen_reclaim(type, space, H5P_DEFAULT, rows.data());

    ids_->samples = Id(H5Dopen2(file, "samples", H5P_DEFAULT), H5Dclose);
    ids_->bursts = Id(H5Dopen2(file, "bursts", H5P_DEFAULT), H5Dclose);
    const Id samplesSpace(H5Dget_space(ids_->samples), H5Sclose);
    hsize_t dims[2] = {0, 0};
    if (H5Sget_simple_extent_ndims(samplesSpace) != 2 ||
        H5Sget_simple_extent_dims(samplesSpace, dims, nullptr) < 0 ||
        dims[1] != std::max<hsize_t>(channels_.size(), 1))
        fail();
    ReadBursts();
}

Reader::~Reader() = default;

bool Reader::Refresh() {
    const std::size_t before = bursts_.size();
    H5Drefresh(ids_->samples);
    H5Drefresh(ids_->bursts);
    ReadBursts();
    return bursts_.size() != before;
}

void Reader::ReadBursts() {
    const Id space(H5Dget_space(ids_->bursts), H5Sclose);
    hsize_t n = 0;
    if (H5Sget_simple_extent_dims(space, &n, nullptr) < 0)
        throw FileError(CannotReadMessage(path_));
    if (n <= bursts_.size())
        return;
    const hsize_t first = bursts_.size(), count = n - first;
    // A row of a file without the trigger's columns keeps these.
    std::vector<BurstRecord> rows(
        count, BurstRecord{0, 0, 0, 0, 0, 0, -1, std::numeric_limits<double>::quiet_NaN()});
    H5Sselect_hyperslab(space, H5S_SELECT_SET, &first, nullptr, &count, nullptr);
    const Id memory(H5Screate_simple(1, &count, nullptr), H5Sclose);
    const Id type = BurstType();
    if (H5Dread(ids_->bursts, type, memory, space, H5P_DEFAULT, rows.data()) < 0)
        throw FileError(CannotReadMessage(path_));
    for (const BurstRecord& r : rows)
        bursts_.push_back({r.firstScan,
                           r.scanCount,
                           r.startTime,
                           r.scheduledTime,
                           static_cast<BurstEnd>(std::clamp<int>(r.end, 0, 3)),
                           {static_cast<BurstOrigin>(std::clamp<int>(r.origin, 0, 2)),
                            r.triggerScan, r.triggerTime}});
}

void Reader::ReadScans(std::int64_t first, std::int64_t count, std::vector<float>& values) const {
    const hsize_t width = std::max<hsize_t>(channels_.size(), 1);
    values.assign(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)) * width,
                  std::nanf(""));
    if (count <= 0)
        return;
    const Id space(H5Dget_space(ids_->samples), H5Sclose);
    hsize_t dims[2] = {0, 0};
    H5Sget_simple_extent_dims(space, dims, nullptr);
    if (first < 0 || static_cast<hsize_t>(first + count) > dims[0])
        throw FileError(CannotReadMessage(path_));
    const hsize_t start[2] = {static_cast<hsize_t>(first), 0},
                  size[2] = {static_cast<hsize_t>(count), width};
    H5Sselect_hyperslab(space, H5S_SELECT_SET, start, nullptr, size, nullptr);
    const Id memory(H5Screate_simple(2, size, nullptr), H5Sclose);
    if (H5Dread(ids_->samples, H5T_NATIVE_FLOAT, memory, space, H5P_DEFAULT, values.data()) < 0)
        throw FileError(CannotReadMessage(path_));
}

bool IsMarkedAsWritten(const std::string& path) {
    PrepareLibrary();
    const Id plain(H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT), H5Fclose);
    return !plain.Valid();
}

bool ClearRecordingFlags(const std::string& path) {
    if (!IsMarkedAsWritten(path))
        return false;
    // What h5clear -s does: a property of the file access that clears the superblock's marks.
    const Id fapl = LatestFormat();
    hbool_t clear = true;
    if (H5Pexist(fapl, "clear_status_flags") <= 0 || H5Pset(fapl, "clear_status_flags", &clear) < 0)
        throw FileError(CannotWriteMessage(path));
    const Id file(H5Fopen(path.c_str(), H5F_ACC_RDWR, fapl), H5Fclose);
    if (!file.Valid())
        throw FileError(CannotWriteMessage(path));
    return true;
}

} // namespace tavrel::h5
