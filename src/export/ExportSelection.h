#pragma once

#include "model/MeasurementHeader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

class DataFileReader;

// The formats a data file can be exported to.
enum class ExportFormat { Csv, Hdf5, Wav };

// The format an output name's extension stands for (the table of exporters, any case).
std::optional<ExportFormat> ExportFormatOfName(const std::string& fileName);

// What an export writes: the whole file, chosen bursts and channels, or the scans between the
// viewer's cursors.
struct ExportSelection {
    std::vector<std::int64_t> Bursts; // 0-based; empty: every burst
    std::vector<int> Channels;        // 0-based sampled channels; empty: every one
    std::int64_t FirstSample = 0;     // the scans [FirstSample, EndSample) of each burst
    std::int64_t EndSample = -1;      // -1: to the end of the burst
};

// A selection made concrete for one file: lists filled, in the order given, the scan range
// within the burst.
struct ResolvedSelection {
    std::vector<std::int64_t> Bursts;
    std::vector<int> Channels;
    std::int64_t FirstSample = 0;
    std::int64_t EndSample = 0;
    std::int64_t Scans() const { return EndSample - FirstSample; }
};

// The scans an export reads at once (ReadScans): long bursts go in pieces, so memory stays
// small and warm whatever the burst's length.
std::int64_t ExportPieceScans(const MeasurementHeader& h);

// Throws FileError naming the first burst or channel that the file does not have or that is
// given twice, or a scan range outside the burst.
ResolvedSelection ResolveSelection(const ExportSelection& s, const DataFileReader& reader);

// A list of 1-based numbers and ranges ("1,3-5") as 0-based numbers in the order written;
// nullopt when the text is not such a list (empty or blank, 0, a reversed range, a range of more
// than 32768, ...). Blanks around a number are ignored. The work follows the text and most (the
// file's count), never what a range says: the first number past most, and the first number
// given twice, end the list, so that a selection names and refuses them.
std::optional<std::vector<std::int64_t>> ParseNumberList(std::string_view text,
                                                         std::int64_t most = INT32_MAX);

// The sampling interval in microseconds when it is a whole number of them (every unit up to
// years is); nullopt when it is not or it overflows.
std::optional<std::int64_t> SamplingMicroseconds(const MeasurementHeader& h);

// Texts of the channel table for an export: UTF-8, the padding of the field dropped.
std::string ChannelNameUtf8(const MeasurementHeader& h, int channel);
std::string ChannelUnitUtf8(const MeasurementHeader& h, int channel);
std::string CommentUtf8(const MeasurementHeader& h);
// The same texts as the file holds them (CP932).
std::string ChannelNameBytes(const MeasurementHeader& h, int channel);
std::string ChannelUnitBytes(const MeasurementHeader& h, int channel);

} // namespace tavrel
