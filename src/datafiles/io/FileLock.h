#pragma once

#include <string>

namespace tavrel {

// The one lock of a data file, held by whatever writes it (a recording, repair, upgrade,
// convert, export) and never by a reader. It is an open-file-description write lock over the
// whole file: it holds against every other open of the file, in this process too, ends when
// the last descriptor of that open is closed, and never meets the flock locks of HDF5's
// readers.

// Takes the lock on fd (open for writing). False when another open holds it.
bool LockWholeFile(int fd);

// The lock on a file for one operation that rewrites or replaces it.
class FileLock {
public:
    // Holds nothing when the file does not exist or is no regular file. Throws
    // FileError(DataFileInUseMessage(fileName)) when another open holds the lock.
    explicit FileLock(const std::string& fileName);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace tavrel
