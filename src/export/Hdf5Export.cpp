#include "export/Hdf5Export.h"

#include "datafiles/DataFileReader.h"
#include "datafiles/io/AtomicReplace.h"
#include "datafiles/sdf/SdfToTsd.h"
#include "model/FileError.h"
#include "model/SDFdata.h"
#include "text/DateTime.h"
#include "text/Messages.h"

#include <hdf5.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

namespace tavrel {
namespace {

// An HDF5 identifier closed with its own close function when it goes.
class Handle {
public:
    Handle(hid_t id, herr_t (*close)(hid_t), const std::string& out) : id_(id), close_(close) {
        if (id_ < 0)
            throw FileError(CannotWriteMessage(out));
    }
    ~Handle() { close_(id_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    operator hid_t() const { return id_; }

private:
    hid_t id_;
    herr_t (*close_)(hid_t);
};

class Writer {
public:
    explicit Writer(std::string out) : out_(std::move(out)) {}

    void Check(herr_t status) const {
        if (status < 0)
            throw FileError(CannotWriteMessage(out_));
    }

    void Strings(hid_t at, const char* name, const std::vector<std::string>& values,
                 bool scalar = false) const {
        const Handle type(H5Tcopy(H5T_C_S1), H5Tclose, out_);
        Check(H5Tset_size(type, H5T_VARIABLE));
        Check(H5Tset_cset(type, H5T_CSET_UTF8));
        const hsize_t n = values.size();
        const Handle space(scalar ? H5Screate(H5S_SCALAR) : H5Screate_simple(1, &n, nullptr),
                           H5Sclose, out_);
        const Handle attribute(H5Acreate2(at, name, type, space, H5P_DEFAULT, H5P_DEFAULT),
                               H5Aclose, out_);
        std::vector<const char*> pointers;
        for (const std::string& v : values)
            pointers.push_back(v.c_str());
        Check(H5Awrite(attribute, type, pointers.data()));
    }
    void String(hid_t at, const char* name, const std::string& value) const {
        Strings(at, name, {value}, true);
    }

    template <typename T>
    void Numbers(hid_t at, const char* name, hid_t fileType, hid_t memoryType,
                 const std::vector<T>& values, bool scalar = false) const {
        const hsize_t n = values.size();
        const Handle space(scalar ? H5Screate(H5S_SCALAR) : H5Screate_simple(1, &n, nullptr),
                           H5Sclose, out_);
        const Handle attribute(H5Acreate2(at, name, fileType, space, H5P_DEFAULT, H5P_DEFAULT),
                               H5Aclose, out_);
        Check(H5Awrite(attribute, memoryType, values.data()));
    }
    void Double(hid_t at, const char* name, double v) const {
        Numbers(at, name, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, std::vector<double>{v}, true);
    }
    void Int64(hid_t at, const char* name, std::int64_t v) const {
        Numbers(at, name, H5T_STD_I64LE, H5T_NATIVE_INT64, std::vector<std::int64_t>{v}, true);
    }

    const std::string& Out() const { return out_; }

private:
    std::string out_;
};

} // namespace

bool ExportHdf5(const DataFileReader& reader, const ExportSelection& selection,
                const std::string& out, ProgressReporter& progress) {
    const MeasurementHeader& h = reader.Header();
    const ResolvedSelection s = ResolveSelection(selection, reader);
    RefuseOutputFile(reader.FileName(), out);
    // Failures are reported by status; the library's own printing would add lines to stderr.
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);

    std::vector<std::string> names, units;
    std::vector<double> a, b;
    for (const int c : s.Channels) {
        names.push_back(ChannelNameUtf8(h, c));
        units.push_back(ChannelUnitUtf8(h, c));
        a.push_back(h.CoefA[static_cast<std::size_t>(c)]);
        b.push_back(h.CoefB[static_cast<std::size_t>(c)]);
    }
    const std::string comment = CommentUtf8(h);
    const double seconds = reader.SamplingSeconds();
    const Writer w(out);

    auto write = [&](const std::string& tempName) {
        const Handle file(H5Fcreate(tempName.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT),
                          H5Fclose, out);
        w.String(file, "comment", comment);
        w.String(file, "start_time", FormatIsoDateTime(h.StartTime));
        w.Double(file, "sampling_interval_s", seconds);
        w.Int64(file, "bursts", static_cast<std::int64_t>(s.Bursts.size()));
        w.String(file, "source_file", std::filesystem::path(reader.FileName()).filename().string());

        const hsize_t dims[2] = {static_cast<hsize_t>(s.Scans()),
                                 static_cast<hsize_t>(s.Channels.size())};
        const std::size_t width = s.Channels.size();
        std::vector<std::int16_t> rows;
        const auto stride =
            static_cast<std::size_t>(std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels));
        // All channels in the file's order: the rows go to the dataset as they are read.
        const bool asRead = width == stride;
        const std::int64_t pieceScans = ExportPieceScans(h);
        std::vector<std::int16_t> piece(
            static_cast<std::size_t>(std::min<std::int64_t>(pieceScans, s.Scans())) * width);
        const Handle create(H5Pcreate(H5P_DATASET_CREATE), H5Pclose, out);
        // Every value is written: the library need not fill the dataset first.
        w.Check(H5Pset_fill_time(create, H5D_FILL_TIME_NEVER));
        for (std::size_t i = 0; i < s.Bursts.size(); ++i) {
            progress.SetProgress(static_cast<int>(i * 100 / s.Bursts.size()));
            if (progress.Cancelled())
                return false;
            const std::int64_t k = s.Bursts[i];
            char groupName[32];
            std::snprintf(groupName, sizeof groupName, "burst_%05lld",
                          static_cast<long long>(k + 1));
            const Handle group(H5Gcreate2(file, groupName, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT),
                               H5Gclose, out);
            const Handle space(H5Screate_simple(2, dims, nullptr), H5Sclose, out);
            const Handle data(
                H5Dcreate2(group, "codes", H5T_STD_I16LE, space, H5P_DEFAULT, create, H5P_DEFAULT),
                H5Dclose, out);
            for (std::int64_t first = 0; first < s.Scans(); first += pieceScans) {
                const std::int64_t count = std::min(pieceScans, s.Scans() - first);
                reader.ReadScanRows(k, s.FirstSample + first, count, rows);
                if (!asRead)
                    for (std::int64_t j = 0; j < count; ++j)
                        for (std::size_t c = 0; c < width; ++c)
                            piece[static_cast<std::size_t>(j) * width + c] =
                                rows[static_cast<std::size_t>(j) * stride +
                                     static_cast<std::size_t>(s.Channels[c])];
                const hsize_t start[2] = {static_cast<hsize_t>(first), 0};
                const hsize_t size[2] = {static_cast<hsize_t>(count), dims[1]};
                w.Check(H5Sselect_hyperslab(space, H5S_SELECT_SET, start, nullptr, size, nullptr));
                const Handle memory(H5Screate_simple(2, size, nullptr), H5Sclose, out);
                w.Check(H5Dwrite(data, H5T_NATIVE_INT16, memory, space, H5P_DEFAULT,
                                 asRead ? rows.data() : piece.data()));
            }
            w.Strings(group, "channel_names", names);
            w.Strings(group, "channel_units", units);
            w.Numbers(group, "A", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, a);
            w.Numbers(group, "B", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, b);
            w.Double(group, "sampling_interval_s", seconds);
            w.String(group, "start_time", FormatIsoDateTime(reader.BurstStartTime(k)));
            w.String(group, "comment", comment);
            w.Int64(group, "burst", k + 1);
            w.Int64(group, "first_sample", s.FirstSample);
            w.Double(group, "time_offset_s", static_cast<double>(s.FirstSample) * seconds);
            w.Numbers(group, "error_code", H5T_STD_I16LE, H5T_NATIVE_INT16,
                      std::vector<std::int16_t>{ErrorData}, true);
        }
        w.Check(H5Fflush(file, H5F_SCOPE_GLOBAL));
        return true;
    };
    return WithProgressShown(progress, ExportCaption, [&] {
        return ReplaceFileAtomically(out, std::filesystem::path(ConversionTempName(out)).filename(),
                                     write, CannotWriteMessage(out));
    });
}

} // namespace tavrel
