#include "datafiles/DataFileWriter.h"

#include "datafiles/io/FileLock.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tavrel {

// Flushes the file on its own thread, so the measurement never waits for the disk: data and
// size reach the disk (fdatasync) within a second of being written. In between, every
// WritebackBytes written start their way to the disk at once (without waiting and without a
// journal commit), so that neither a flush nor the one at the end (which the measurement waits
// for) has much left to write.
class DataFileWriter::Flusher {
public:
    static constexpr std::int64_t WritebackBytes = 8 << 20;

    explicit Flusher(int fd) : fd_(fd), thread_([this] { Run(); }) {}
    ~Flusher() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        thread_.join();
        if (dirty_)
            ::fdatasync(fd_);
    }
    void Written(std::int64_t bytes) {
        bool wake = false;
        {
            std::lock_guard lock(mutex_);
            // Only the first write after a flush and a full WritebackBytes need the thread.
            wake = !dirty_ || (pending_ < WritebackBytes && pending_ + bytes >= WritebackBytes);
            if (!dirty_)
                dirtySince_ = std::chrono::steady_clock::now();
            dirty_ = true;
            pending_ += bytes;
        }
        if (wake)
            wake_.notify_one();
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        while (!stop_) {
            wake_.wait(lock, [&] { return stop_ || dirty_; });
            const auto due = dirtySince_ + std::chrono::seconds(1);
            wake_.wait_until(lock, due, [&] { return stop_ || pending_ >= WritebackBytes; });
            if (stop_)
                break;
            const bool flush = std::chrono::steady_clock::now() >= due;
            pending_ = 0;
            dirty_ = dirty_ && !flush;
            lock.unlock();
            if (flush)
                ::fdatasync(fd_);
            else
                ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
            lock.lock();
        }
    }

    int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool dirty_ = false; // written since the last flush began
    std::chrono::steady_clock::time_point dirtySince_;
    std::int64_t pending_ = 0; // bytes written since the last writeback began
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
    // Locked before anything is emptied: a second recorder must not cut this one's file. An
    // open file description's lock, not flock: HDF5 readers of a recording take flock locks
    // of their own, which must not meet this one.
    if (!LockWholeFile(fd)) {
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

void DataFileWriter::AppendValues(std::span<const double>) {}
void DataFileWriter::BeginBurst(int, double, double, const BurstTrigger&) {}
void DataFileWriter::EndBurstAs(BurstEnd) {}
void DataFileWriter::DescribeSource(const RecordingSource&) {}

void DataFileWriter::Release() {
    CloseContent();
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
    CloseContent();
    flusher_.reset();
    Release();
}

} // namespace tavrel
