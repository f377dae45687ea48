#pragma once

#include "datafiles/Prompter.h"
#include "datafiles/SDFdata.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// The tsd text format: written as "Ver.2", headers read in "Ver.1" and "Ver.2".
// Input/output failures throw FileError.

inline constexpr std::string_view TsdSignature = "Time Series Data Text Format Ver.";
inline constexpr std::size_t MaxTsdFields = 33;
// FindTimeUnit's answer for a line that names no unit.
inline constexpr int NoTimeUnit = 10;

// Creates (empties) the file and writes header lines 1 to 12 of data.Header.
bool WriteTsdHeader(const SDFdata& data, const std::string& fileName);
// Appends block k of the block buffers to data.OutputFileName.
void AppendTsdBlock(const SDFdata& data, int k);
// Fills data.Header from the file's header lines and sizes the block buffers.
bool ReadTsdHeader(SDFdata& data, const std::string& fileName, Prompter& prompter);

// The fields of a line split at ",": at most 33, the text after the 33rd comma ignored.
std::vector<std::string> SplitFields(std::string_view line);
// Removes one leading and one trailing apostrophe and turns doubled apostrophes into one.
std::string StripQuotes(std::string_view field);
// The code of the first unit name of TimeUnits in the line; NoTimeUnit when none occurs.
int FindTimeUnit(std::string_view line);

// A text in apostrophes with inner apostrophes doubled, kept on one line: each line break
// (CR LF, CR or LF) becomes one space.
std::string QuoteText(std::string_view cp932);
// Header lines 1 to 12, each ended by CR LF.
std::string FormatTsdHeader(const MeasurementHeader& h);
// Appends the lines of block k (CR LF) of the block buffers to out.
void AppendTsdBlockText(std::string& out, const SDFdata& data, int k);

} // namespace tavrel
