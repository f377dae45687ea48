#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrel {

// A file opened for one operation and closed at its end. Every failure throws FileError
// with a Japanese message naming the file.
class BinaryFile {
public:
    enum class Mode {
        Read,      // existing file, reading only
        Overwrite, // read and write; created when missing, never truncated
        Existing,  // read and write an existing file, never truncated
        Create,    // created or emptied
        Append,    // created when missing; writes go to the end
    };

    BinaryFile(const std::string& fileName, Mode mode);
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Reads up to size bytes at offset; fewer only at the end of the file.
    std::size_t ReadAt(std::int64_t offset, void* data, std::size_t size);
    // Reads exactly size bytes or throws (the file ends too early).
    void ReadExactAt(std::int64_t offset, void* data, std::size_t size);
    void WriteAt(std::int64_t offset, const void* data, std::size_t size);
    // Writes at the current position (the end in Append mode).
    void Write(const void* data, std::size_t size);
    struct Piece {
        const void* Data;
        std::size_t Size;
    };
    // Writes the pieces one after the other at the current position, in as few calls as can be.
    void WritePieces(const std::vector<Piece>& pieces);
    std::int64_t Size() const;
    // Closes now, reporting a failure of the close itself (data not stored).
    void Close();

    const std::string& Name() const { return name_; }

private:
    std::string name_;
    int fd_ = -1;
};

} // namespace tavrel
