#include "datafiles/io/BinaryFile.h"

#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace tavrel {
namespace {

void RefuseIfNotRegular(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0)
        throw FileError(CannotOpenMessage(fileName), errno);
    if (!S_ISREG(st.st_mode))
        throw FileError(NotRegularFileMessage(fileName));
}

} // namespace

BinaryFile::BinaryFile(const std::string& fileName, Mode mode) : name_(fileName) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read:
        // A FIFO would block the open and a device may never end: refused before opening,
        // and opened without waiting in case the name changed in between.
        flags |= O_RDONLY | O_NONBLOCK;
        RefuseIfNotRegular(fileName);
        break;
    case Mode::Temporary:
        flags |= O_RDWR | O_TRUNC;
        // A file without a name is reached through its descriptor's link; a named one never
        // through a link.
        if (!fileName.starts_with("/proc/self/fd/"))
            flags |= O_NOFOLLOW;
        break;
    case Mode::Overwrite:
        flags |= O_RDWR | O_CREAT;
        break;
    case Mode::Existing:
        flags |= O_RDWR;
        break;
    case Mode::Create:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    case Mode::Append:
        flags |= O_WRONLY | O_CREAT | O_APPEND;
        break;
    }
    do
        fd_ = ::open(fileName.c_str(), flags, 0666);
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        throw FileError(CannotOpenMessage(fileName), errno);
    // Opening a directory for writing fails by itself; for reading it must be refused here.
    struct stat st {};
    if (mode == Mode::Read && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd_);
        fd_ = -1;
        throw FileError(NotRegularFileMessage(fileName));
    }
    if (mode == Mode::Read)
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

BinaryFile::BinaryFile(const std::string& fileName, int descriptor) : name_(fileName) {
    fd_ = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0)
        throw FileError(CannotOpenMessage(fileName), errno);
}

BinaryFile::~BinaryFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::size_t BinaryFile::ReadAt(std::int64_t offset, void* data, std::size_t size) {
    auto* p = static_cast<unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(fd_, p + done, size - done, static_cast<off_t>(offset + std::int64_t(done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw FileError(CannotReadMessage(name_), errno);
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void BinaryFile::WriteAt(std::int64_t offset, const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pwrite(fd_, p + done, size - done, static_cast<off_t>(offset + std::int64_t(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw FileError(CannotWriteMessage(name_), n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
}

void BinaryFile::Write(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw FileError(CannotWriteMessage(name_), n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
}

void BinaryFile::WritePieces(const std::vector<Piece>& pieces) {
    std::vector<iovec> vectors;
    vectors.reserve(pieces.size());
    for (const Piece& piece : pieces)
        if (piece.Size > 0)
            vectors.push_back({const_cast<void*>(piece.Data), piece.Size});
    std::size_t first = 0;
    while (first < vectors.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(vectors.size() - first, IOV_MAX));
        const ssize_t n = ::writev(fd_, vectors.data() + first, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw FileError(CannotWriteMessage(name_), n < 0 ? errno : ENOSPC);
        // Skip what was written; a piece written in part goes on from where it stopped.
        auto left = static_cast<std::size_t>(n);
        while (left > 0 && left >= vectors[first].iov_len)
            left -= vectors[first++].iov_len;
        if (left > 0) {
            vectors[first].iov_base = static_cast<char*>(vectors[first].iov_base) + left;
            vectors[first].iov_len -= left;
        }
    }
}

std::int64_t BinaryFile::Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        throw FileError(CannotReadMessage(name_));
    return static_cast<std::int64_t>(st.st_size);
}

void BinaryFile::Truncate(std::int64_t size) {
    int r = 0;
    do
        r = ::ftruncate(fd_, static_cast<off_t>(size));
    while (r != 0 && errno == EINTR);
    if (r != 0)
        throw FileError(CannotWriteMessage(name_), errno);
}

void BinaryFile::Sync() {
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        throw FileError(CannotWriteMessage(name_), errno);
}

void BinaryFile::Close() {
    if (fd_ < 0)
        return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        throw FileError(CannotWriteMessage(name_), errno);
}

bool ReserveDiskSpace(int fd, std::int64_t bytes, const std::string& fileName) {
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, bytes) == 0)
        return true;
    if (errno == ENOSPC || errno == EDQUOT)
        throw FileError(CannotWriteMessage(fileName), errno);
    return false;
}

} // namespace tavrel
