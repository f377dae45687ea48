#pragma once

#include "datafiles/io/ByteSource.h"

#include <cstddef>
#include <string>

namespace tavrel {

// Longer than any header line of a tsd file or any line of a parameter file can be.
inline constexpr std::size_t MaxHeaderLineBytes = 64 * 1024;

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
    // A line longer than maxBytes ends the text at once (nothing more is read) and is reported
    // by LineTooLong: an endless line never holds the reader.
    void LimitLineLength(std::size_t maxBytes);
    bool LineTooLong() const;

private:
    struct Impl;
    Impl* impl_;
};

} // namespace tavrel
