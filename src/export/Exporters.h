#pragma once

#include "export/CsvExport.h"
#include "export/ExportSelection.h"
#include "model/ProgressReporter.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

class DataFileReader;

// What an export may be told besides the selection; an exporter reads the options its row
// names and ignores the others.
struct ExportOptions {
    CsvEncoding Encoding = CsvEncoding::Utf8; // option "encoding"
};

// Writes the selection of reader to out. False when progress cancels (nothing is then left
// under out's name); throws FileError.
using ExportWrite = bool (*)(const DataFileReader& reader, const ExportSelection& selection,
                             const std::string& out, const ExportOptions& options,
                             ProgressReporter& progress);

// One row of the table of exporters.
struct Exporter {
    ExportFormat Format;
    std::string_view Id; // "csv", "hdf5", "wav": the command line's --format
    // The viewer's texts, untranslated: the format box's item and the save dialog's filter
    // ("text (*.ext)|*.ext"). Both are translated in the context ExportContext.
    const char* Label;
    const char* Name;
    // Lower case, with the dot; the first is the one the viewer gives an output name.
    std::span<const std::string_view> Extensions;
    std::span<const std::string_view> Options; // the ExportOptions it reads ("encoding")
    ExportWrite Write;

    bool Takes(std::string_view option) const;
};

// The translation context of the exporters' texts: the viewer's export dialog.
inline constexpr const char* ExportContext = "tavrel::ExportDialog";

// Every exporter, one row each, in the order the viewer lists them.
std::span<const Exporter> Exporters();
const Exporter& ExporterOf(ExportFormat format);
// The names of the files e writes for out: out itself, or one per burst for WAV of several.
std::vector<std::string> OutputNames(const Exporter& e, const std::string& out,
                                     const ResolvedSelection& s);
// nullptr when no row has the id.
const Exporter* ExporterOfId(std::string_view id);
// The exporter an output name's extension stands for (any case); nullptr when none.
const Exporter* ExporterOfName(std::string_view fileName);

} // namespace tavrel
