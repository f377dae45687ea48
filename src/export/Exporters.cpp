#include "export/Exporters.h"

#include "export/Hdf5Export.h"
#include "export/WavExport.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tavrel {
namespace {

// Marks a text for lupdate (an alias of QT_TRANSLATE_NOOP); the viewer translates it.
constexpr const char* Tr(const char*, const char* text) {
    return text;
}

constexpr std::array<std::string_view, 1> CsvExtensions{".csv"};
constexpr std::array<std::string_view, 3> Hdf5Extensions{".h5", ".hdf5", ".he5"};
constexpr std::array<std::string_view, 1> WavExtensions{".wav"};
constexpr std::array<std::string_view, 1> CsvOptions{"encoding"};

const std::array<Exporter, 3> Rows{{
    {ExportFormat::Csv, "csv", Tr("tavrel::ExportDialog", "CSV（表計算・pandas）"),
     Tr("tavrel::ExportDialog", "CSV ファイル (*.csv)|*.csv"), CsvExtensions, CsvOptions,
     [](const DataFileReader& reader, const ExportSelection& selection, const std::string& out,
        const ExportOptions& options, ProgressReporter& progress) {
         return ExportCsv(reader, selection, out, options.Encoding, progress);
     }},
    {ExportFormat::Hdf5,
     "hdf5",
     Tr("tavrel::ExportDialog", "HDF5（h5py・MATLAB）"),
     Tr("tavrel::ExportDialog", "HDF5 ファイル (*.h5)|*.h5;*.hdf5"),
     Hdf5Extensions,
     {},
     [](const DataFileReader& reader, const ExportSelection& selection, const std::string& out,
        const ExportOptions&,
        ProgressReporter& progress) { return ExportHdf5(reader, selection, out, progress); }},
    {ExportFormat::Wav,
     "wav",
     Tr("tavrel::ExportDialog", "WAV（音響ツール）"),
     Tr("tavrel::ExportDialog", "WAV ファイル (*.wav)|*.wav"),
     WavExtensions,
     {},
     [](const DataFileReader& reader, const ExportSelection& selection, const std::string& out,
        const ExportOptions&,
        ProgressReporter& progress) { return ExportWav(reader, selection, out, progress); }},
}};

} // namespace

bool Exporter::Takes(std::string_view option) const {
    return std::find(Options.begin(), Options.end(), option) != Options.end();
}

std::span<const Exporter> Exporters() {
    return Rows;
}

const Exporter& ExporterOf(ExportFormat format) {
    for (const Exporter& e : Rows)
        if (e.Format == format)
            return e;
    return Rows.front();
}

const Exporter* ExporterOfId(std::string_view id) {
    for (const Exporter& e : Rows)
        if (e.Id == id)
            return &e;
    return nullptr;
}

const Exporter* ExporterOfName(std::string_view fileName) {
    const auto slash = fileName.find_last_of('/');
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return nullptr;
    std::string ext(fileName.substr(dot));
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const Exporter& e : Rows)
        if (std::find(e.Extensions.begin(), e.Extensions.end(), ext) != e.Extensions.end())
            return &e;
    return nullptr;
}

std::vector<std::string> OutputNames(const Exporter& e, const std::string& out,
                                     const ResolvedSelection& s) {
    if (e.Format == ExportFormat::Wav)
        return WavFileNames(out, s);
    return {out};
}

} // namespace tavrel
