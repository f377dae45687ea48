#pragma once

#include "datafiles/io/ByteSource.h"
#include "datafiles/sdf/SdfLayout.h"
#include "model/SDFdata.h"

#include <string>
#include <vector>

namespace tavrel {

// Reading and writing sdf files, version 4. Input/output failures throw FileError; a file
// that is not a readable sdf file is a refusal, reported by the check.

enum class SdfHeaderWrite {
    KeepBlocks, // over the start of the file (created when missing); the rest stays
    NewFile,    // as the whole file, created or emptied
};
void WriteSdfHeader(const MeasurementHeader& h, const std::string& fileName,
                    SdfHeaderWrite how = SdfHeaderWrite::KeepBlocks);
// Writes the block buffers of data as block k of the file, whose header is written.
void WriteSdfBlock(const SDFdata& data, const std::string& fileName, int k);
// The block buffers as version-4 block bytes (BlockBytes of the header): the sampled values
// scan by scan, channels in order, then the extra values; values missing from buffers not
// sized for the header are ErrorData.
void EncodeBlockValues(const SDFdata& data, std::vector<unsigned char>& bytes);
// The part of those bytes for scans [firstScan, firstScan + scans), with the extra values when
// it ends at the last scan: a writer encodes a block piece by piece, in little memory.
void EncodeBlockScans(const SDFdata& data, std::size_t firstScan, std::size_t scans,
                      std::vector<unsigned char>& bytes);
// Decodes the header of a file of versions 1 to 4 (see DecodeSdfHeader). An old version is
// reported, not upgraded: whether to upgrade is the caller's question.
SdfHeaderCheck ReadSdfHeader(ByteSource& source, DecodedSdfHeader& out);
SdfHeaderCheck ReadSdfHeader(const std::string& fileName, DecodedSdfHeader& out);

} // namespace tavrel
