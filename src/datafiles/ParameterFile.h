#pragma once

#include "datafiles/MainEntries.h"
#include "datafiles/io/ByteSource.h"
#include "model/MeasurementHeader.h"
#include "text/Message.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tavrel {

// The parameter file (".apm"): the texts and item indices of the main window's entries, one
// per line, CP932, CR LF. With N channel rows it holds 12 + N lines, and one more,
// "Trigger=mode,channel,edge,'level','hysteresis','pre','hold-off','time-out'", when the
// trigger entries are not the defaults.

// Writes the entries; N is header.ChannelCount, and header.Comment takes Memo1 (cut to 160
// bytes). The file is written beside its final name and renamed into place. Line breaks of
// the comment are written as one space each, so the comment stays on its line. Throws
// FileError (nothing is replaced) when a text has no CP932 form or the file cannot be written.
void SaveParameterFile(const MainEntries& entries, MeasurementHeader& header,
                       const std::string& fileName);

// Reads a parameter file into the entries. Every line present is checked first: a line that
// does not convert applies nothing and gives false, and so does an empty file. Every line
// after the first that is missing at the end reads as empty: an empty text, no unit or file
// type selected (-1), a channel row of empty cells; a missing channel-count line keeps the
// channel count; a missing trigger line gives the default trigger entries (the schedule).
// True when the file was applied. Throws FileError when the file cannot be read.
bool LoadParameterFile(MainEntries& entries, const std::string& fileName);
bool LoadParameterFile(MainEntries& entries, ByteSource& source);

// The refusal of a data file's header whose channel count the window cannot show (not 1 to
// MaxChannels): ChannelCountNotShownMessage; nullopt when it can show them.
std::optional<Message> ChannelCountRefusal(const MeasurementHeader& h);

// Puts the parameters of a data file's header into the entries: the burst count, the intervals
// and their units, the sample count, the channel count with its rows, and the comment. A sampling
// unit the box offers (sec, msec, usec) becomes driverRateUnit too; another keeps driverRateUnit
// and shows it. The wait, the file type and the file name stay. h must pass ChannelCountRefusal.
void PutHeaderInEntries(const MeasurementHeader& h, MainEntries& entries,
                        std::uint16_t& driverRateUnit);

} // namespace tavrel
