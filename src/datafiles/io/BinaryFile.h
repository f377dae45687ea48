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
        Temporary, // a temporary file this process made: emptied, never created, no link followed
    };

    // Read refuses anything but a regular file (a FIFO, a device, a directory) before opening
    // it, so an endless or blocking input never holds the caller.
    BinaryFile(const std::string& fileName, Mode mode);
    // Works on a duplicate of an open descriptor (the caller keeps its own).
    BinaryFile(const std::string& fileName, int descriptor);
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Reads up to size bytes at offset; fewer only at the end of the file.
    std::size_t ReadAt(std::int64_t offset, void* data, std::size_t size);
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
    // Cuts or extends the file to size bytes.
    void Truncate(std::int64_t size);
    // Flushes the written data (and the size) to the disk.
    void Sync();
    // Closes now, reporting a failure of the close itself (data not stored).
    void Close();

    const std::string& Name() const { return name_; }
    int Descriptor() const { return fd_; }

private:
    std::string name_;
    int fd_ = -1;
};

// Takes the disk space of the first bytes of the file open as fd before they are written (its
// size stays): a library that cannot stop halfway through its own writes then never meets a
// full disk. True when taken, false where the file system cannot; a full disk throws
// FileError(CannotWriteMessage(fileName)).
bool ReserveDiskSpace(int fd, std::int64_t bytes, const std::string& fileName);

} // namespace tavrel
