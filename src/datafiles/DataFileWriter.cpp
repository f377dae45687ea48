#include "datafiles/DataFileWriter.h"

#include "datafiles/FileError.h"
#include "datafiles/Messages.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tavrel {

// Flushes the file on its own thread, so the measurement never waits for the disk: a second
// after data were written at the latest, and as soon as FlushBytes are outstanding, so that the
// flush at the end (which the measurement does wait for) never has much left to write.
class DataFileWriter::Flusher {
public:
    static constexpr std::int64_t FlushBytes = 8 << 20;

    explicit Flusher(int fd) : fd_(fd), thread_([this] { Run(); }) {}
    ~Flusher() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        thread_.join();
        if (outstanding_ > 0)
            ::fdatasync(fd_);
    }
    void Written(std::int64_t bytes) {
        bool wake = false;
        {
            std::lock_guard lock(mutex_);
            // Only the first write of a second and a full FlushBytes need the thread.
            wake = outstanding_ == 0 ||
                   (outstanding_ < FlushBytes && outstanding_ + bytes >= FlushBytes);
            outstanding_ += std::max<std::int64_t>(bytes, 1);
        }
        if (wake)
            wake_.notify_one();
    }

private:
    void Run() {
        using Clock = std::chrono::steady_clock;
        std::unique_lock lock(mutex_);
        while (!stop_) {
            wake_.wait(lock, [&] { return stop_ || outstanding_ > 0; });
            const auto due = Clock::now() + std::chrono::seconds(1);
            if (wake_.wait_until(lock, due, [&] { return stop_ || outstanding_ >= FlushBytes; }) &&
                stop_)
                break;
            outstanding_ = 0;
            lock.unlock();
            ::fdatasync(fd_);
            lock.lock();
        }
    }

    int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::int64_t outstanding_ = 0; // bytes written since the last flush began
    bool stop_ = false;
    std::thread thread_;
};

DataFileWriter::DataFileWriter(std::string fileName) : fileName_(std::move(fileName)) {}

DataFileWriter::~DataFileWriter() {
    Release();
}

void DataFileWriter::Hold() {
    if (fd_ >= 0) {
        Held(); // a second Begin: still the same file
        return;
    }
    Open(true);
}

void DataFileWriter::Open(bool create) {
    int fd = -1;
    created_ = false;
    do {
        fd = create ? ::open(fileName_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666) : -1;
        created_ = fd >= 0;
        if (fd < 0 && (!create || errno == EEXIST))
            fd = ::open(fileName_.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw FileError(CannotWriteMessage(fileName_), errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(NotRegularFileMessage(fileName_));
    }
    // Locked before anything is emptied: a second recorder must not cut this one's file.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw FileError(DataFileInUseMessage(fileName_), EWOULDBLOCK);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    device_ = st.st_dev;
    inode_ = st.st_ino;
}

BinaryFile DataFileWriter::Held() {
    if (fd_ < 0) // blocks added to a file begun elsewhere: it must exist
        Open(false);
    struct stat st {};
    if (fd_ < 0 || ::stat(fileName_.c_str(), &st) != 0 || st.st_dev != device_ ||
        st.st_ino != inode_)
        throw FileError(DataFileGoneMessage(fileName_), ENOENT);
    return BinaryFile(fileName_, fd_);
}

void DataFileWriter::Written(std::int64_t bytes) {
    if (!durable_ || fd_ < 0)
        return;
    if (!flusher_)
        flusher_ = std::make_unique<Flusher>(fd_);
    flusher_->Written(bytes);
}

void DataFileWriter::Release() {
    flusher_.reset(); // its last flush first
    if (fd_ >= 0)
        ::close(fd_); // the lock goes with it
    fd_ = -1;
}

void DataFileWriter::Discard() {
    if (fd_ >= 0 && created_) {
        struct stat st {};
        if (::stat(fileName_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
            ::unlink(fileName_.c_str());
    }
    flusher_.reset();
    Release();
}

} // namespace tavrel
