#pragma once

#include "datafiles/io/ByteSource.h"
#include "model/SDFdata.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// The tsd text format: written as "Ver.2", headers read in "Ver.1" and "Ver.2".
// Input/output failures throw FileError; a file that is not a tsd file is a refusal (false).

inline constexpr std::string_view TsdSignature = "Time Series Data Text Format Ver.";
inline constexpr std::size_t MaxTsdFields = 33;
// FindTimeUnit's answer for a line that names no unit.
inline constexpr int NoTimeUnit = 10;

// Creates (empties) the file and writes header lines 1 to 12 of h.
void WriteTsdHeader(const MeasurementHeader& h, const std::string& fileName,
                    BinaryFile::Mode mode = BinaryFile::Mode::Create);
// Fills h from the file's header lines (Ver.1 or Ver.2, given in version). False, with h as
// it was, when the lines are not a tsd header the record can hold.
// True when line, a file's first line without its end, is a tsd signature line of Ver.1 or 2.
bool IsTsdFirstLine(std::string_view line);
bool ReadTsdHeader(ByteSource& source, MeasurementHeader& h, int& version);
bool ReadTsdHeader(const std::string& fileName, MeasurementHeader& h, int& version);

// The fields of a line split at ",": at most 33, the text after the 33rd comma ignored.
std::vector<std::string> SplitFields(std::string_view line);
// The same for the quoted texts the writer lists (names, units): a comma inside a field's
// apostrophes belongs to the field.
std::vector<std::string> SplitQuotedFields(std::string_view line);
// Removes one leading and one trailing apostrophe and turns doubled apostrophes into one.
std::string StripQuotes(std::string_view field);
// The code of the first unit name of TimeUnits in the line; NoTimeUnit when none occurs.
int FindTimeUnit(std::string_view line);

// A text in apostrophes with inner apostrophes doubled, kept on one line: each line break
// (CR LF, CR or LF) becomes one space.
std::string QuoteText(std::string_view cp932);
// Header lines 1 to 12, each ended by CR LF.
std::string FormatTsdHeader(const MeasurementHeader& h);
// The most bytes a whole tsd file of h's bursts can take.
std::int64_t TsdFileBytesAtMost(const MeasurementHeader& h);
// Appends the lines of block k (CR LF) of the block buffers to out.
void AppendTsdBlockText(std::string& out, const SDFdata& data, int k);

// The code a value of a tsd block stands for: "=" is error data, a number the nearest code
// of (value - B) / A (0 when A is 0). nullopt when the text is neither.
std::optional<std::int16_t> TsdValueCode(std::string_view text, float a, float b);

// Where the blocks of a tsd file lie, found by walking its lines after the 12 header lines
// (Ver.2) or the 9 of Ver.1, whose one block has no "No." line: a block is whole when its last
// line has ended (CR), and its end takes the LF right after. HeaderEnd is -1 when the header
// lines themselves are cut; block k spans [k == 0 ? HeaderEnd : BlockEnds[k - 1],
// BlockEnds[k]).
struct TsdBlockSpans {
    std::int64_t HeaderEnd = -1;
    std::vector<std::int64_t> BlockEnds;
};
TsdBlockSpans ScanTsdBlocks(ByteSource& source, const MeasurementHeader& h, int version = 2);
// The lines before the first block, and those of a block.
std::int64_t TsdHeaderLineCount(int version);
std::int64_t TsdBlockLineCount(const MeasurementHeader& h, int version);

// Decodes the text of one whole block ("No." line first) into block buffers as
// DecodeBlockValues sizes them. Gives 0, or the first line of the block (its "No." line being
// 1) that lacks values or has a value that is no number.
// A block of Ver.1 (numbered false) has no "No." line: its first value line is line 1.
std::int64_t ParseTsdBlock(std::string_view text, const MeasurementHeader& h,
                           std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                           std::vector<std::int16_t>& extraData, bool numbered = true);

} // namespace tavrel
