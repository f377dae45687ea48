#pragma once

#include "datafiles/ByteSource.h"

#include <string>

namespace tavrel {

// Reads a text file (tsd, parameter file) line by line as they are defined: a line ends at
// CR and an LF right after it is skipped; an LF alone does not end a line; the byte 0x1A or
// the end of the file ends the text; lines beyond the end read as empty. Bytes are returned
// as they are (CP932). Throws FileError when the source cannot be read. The source must
// outlive the reader.
class TextLineReader {
public:
    explicit TextLineReader(ByteSource& source);
    ~TextLineReader();
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;

    bool AtEnd() const;
    std::string ReadLine();

private:
    struct Impl;
    Impl* impl_;
};

} // namespace tavrel
