#include "datafiles/io/FileLock.h"

#include "model/FileError.h"
#include "text/Messages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrel {
namespace {

struct flock WholeFile(short type) {
    struct flock whole {};
    whole.l_type = type;
    whole.l_whence = SEEK_SET;
    whole.l_start = 0;
    whole.l_len = 0; // to the end, however far the file grows
    return whole;
}

} // namespace

bool LockWholeFile(int fd) {
    struct flock whole = WholeFile(F_WRLCK);
    return ::fcntl(fd, F_OFD_SETLK, &whole) == 0;
}

FileLock::FileLock(const std::string& fileName) {
    // Non-blocking, so a FIFO planted under the name never holds the caller.
    int fd = -1;
    do {
        fd = ::open(fileName.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    const bool writable = fd >= 0;
    if (!writable && errno == EACCES) // a read-only file is still looked at
        fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    bool free = false;
    if (writable) {
        free = LockWholeFile(fd);
    } else {
        struct flock probe = WholeFile(F_WRLCK);
        free = ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type == F_UNLCK;
    }
    if (!free) {
        ::close(fd);
        throw FileError(DataFileInUseMessage(fileName), EWOULDBLOCK);
    }
    fd_ = fd;
}

FileLock::~FileLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace tavrel
