#pragma once

#include "Prompter.h"
#include "SDFdata.h"

#include <string>

namespace tavrel {

// The tsd text format: written as "Ver.2", headers read in "Ver.1" and "Ver.2".
// Input/output failures throw FileError.

// Creates (empties) the file and writes header lines 1 to 12 of data.Header.
bool WriteTsdHeader(const SDFdata& data, const std::string& fileName);
// Appends block k of the block buffers to data.OutputFileName.
void AppendTsdBlock(const SDFdata& data, int k);
// Fills data.Header from the file's header lines and sizes the block buffers.
bool ReadTsdHeader(SDFdata& data, const std::string& fileName, Prompter& prompter);

} // namespace tavrel
