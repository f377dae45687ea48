#pragma once

#include "export/ExportSelection.h"
#include "model/ProgressReporter.h"

#include <string>

namespace tavrel {

class DataFileReader;

enum class CsvEncoding { Utf8, Cp932 };

// Writes the selection as CSV: a header row ("time [s]", "burst", then "name [unit]" per
// channel), then a row per scan: the time from the burst's start in seconds, the burst's
// number (1-based), and each channel's value Y = AX + B as the tsd file holds it (7 digits),
// error data as an empty field. UTF-8 starts with a byte-order mark so spreadsheet programs
// read Japanese names; CP932 keeps the file's own bytes. Written beside out and renamed into
// place. False when progress cancels (out then stays as it was); throws FileError.
bool ExportCsv(const DataFileReader& reader, const ExportSelection& selection,
               const std::string& out, CsvEncoding encoding, ProgressReporter& progress);

// The time text of a scan: microseconds as seconds, at most 6 decimals, no trailing zeros
// ("0", "0.00025", "12.5", "3600"). Appends at out, gives the new end (at most 32 chars).
char* PutSecondsText(char* out, std::int64_t microseconds);

} // namespace tavrel
