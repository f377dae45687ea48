#pragma once

#include "datafiles/DataFileFormats.h"
#include "model/SDFdata.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tavrel {

// The data file of one measurement, in the format chosen at its start: created with the
// header, a block appended for each burst, the header's burst count made true after a stop.
// The header is held to the shape the file was created with, whatever a later validation
// makes of it.
class RunDataFile {
public:
    explicit RunDataFile(SDFdata& data) : data_(data) {}

    // Creates fileName with the header, shaped channels x samples. A failure (thrown) leaves
    // no file behind and the last measurement's file as it was.
    void Create(DataFileType type, const std::string& fileName, bool durable, std::int16_t channels,
                std::int32_t samples);
    bool Exists() const { return writer_ != nullptr; }

    // The header once more, over a file without blocks (the start time is known only now).
    void WriteHeader();
    // Block k from the block buffers.
    void WriteBlock(int k);
    // The header's burst count becomes the blocks written, when it says otherwise.
    void Complete();
    // The file goes, when nothing was recorded into it.
    void Discard();
    // The measurement is over: the file is no longer held.
    void Release();

    // The header gets back the shape of the file.
    void KeepHeader();

    // Whole blocks in the file.
    std::int32_t BlocksWritten = 0;

private:
    SDFdata& data_;
    std::unique_ptr<DataFileWriter> writer_;
    std::int16_t channels_ = 1;
    std::int32_t samples_ = 0;
};

} // namespace tavrel
