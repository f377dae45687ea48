#pragma once

#include "export/ExportSelection.h"
#include "model/ProgressReporter.h"

#include <string>
#include <vector>

namespace tavrel {

class DataFileReader;

// The files a WAV export writes: out itself when one burst is chosen, else one per burst
// named after out and the burst's number (OUT-001.wav, OUT-002.wav, ...).
std::vector<std::string> WavFileNames(const std::string& out, const ResolvedSelection& s);

// The sample rate in whole hertz of the file's sampling interval; throws FileError
// (WavRateMessage) when it is no whole number of hertz.
int WavSampleRate(const MeasurementHeader& h);

// Writes the selection as 16-bit PCM WAV, the codes as they are (error data is -32768), one
// WAV channel per chosen channel. Every file is written beside its name before any is
// renamed into place, so a failure or a cancel leaves none. False when progress cancels;
// throws FileError.
bool ExportWav(const DataFileReader& reader, const ExportSelection& selection,
               const std::string& out, ProgressReporter& progress);

} // namespace tavrel
