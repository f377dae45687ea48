#include "datafiles/io/AtomicReplace.h"

#include "datafiles/io/FileLock.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrel {
namespace {

// Never a directory of that name: only what write may have made goes.
void RemoveTemporary(const std::string& tempName) {
    ::unlink(tempName.c_str());
}

std::string DirectoryOf(const std::string& fileName) {
    const auto slash = fileName.find_last_of('/');
    return slash == std::string::npos ? std::string{} : fileName.substr(0, slash + 1);
}

// What a new file gets: 0666 less the umask, as open() would give it.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The directory entry must reach the disk too, or a power loss may undo the rename.
void SyncDirectory(const std::string& fileName) {
    const std::string dir = DirectoryOf(fileName);
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string FollowLinks(const std::string& fileName) {
    std::string name = fileName;
    // A bounded walk: a loop of links ends as the name it reached.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(name.c_str(), target.data(), target.size());
        if (n <= 0)
            break;
        target.resize(static_cast<std::size_t>(n));
        name = target.front() == '/' ? target : DirectoryOf(name) + target;
    }
    return name;
}

void RefuseOutputFile(const std::string& in, const std::string& out) {
    struct stat outStat {
    }, inStat{};
    if (::stat(out.c_str(), &outStat) == 0) {
        if (!S_ISREG(outStat.st_mode))
            throw FileError(NotRegularFileMessage(out));
        if (::stat(in.c_str(), &inStat) == 0 && inStat.st_dev == outStat.st_dev &&
            inStat.st_ino == outStat.st_ino)
            throw FileError(SameFileMessage(out));
    }
}

bool ReplaceFileAtomically(const std::string& fileName, const std::string& tempPrefix,
                           const std::function<bool(const std::string& tempName)>& write,
                           const Message& renameFailure, TargetLock lock) {
    return ReplaceFilesAtomically(
        {fileName}, {tempPrefix},
        [&](std::size_t, const std::string& tempName) { return write(tempName); },
        [&](std::size_t) { return renameFailure; }, lock);
}

bool ReplaceFilesAtomically(
    const std::vector<std::string>& fileNames, const std::vector<std::string>& tempPrefixes,
    const std::function<bool(std::size_t i, const std::string& tempName)>& write,
    const std::function<Message(std::size_t i)>& renameFailure, TargetLock lock) {
    struct Pending {
        std::string Target, Temp;
        bool Existed = false;
        std::unique_ptr<FileLock> Lock;
    };
    std::vector<Pending> pending;
    auto removeFrom = [&](std::size_t first) {
        for (std::size_t i = first; i < pending.size(); ++i)
            RemoveTemporary(pending[i].Temp);
    };
    try {
        for (std::size_t i = 0; i < fileNames.size(); ++i) {
            const std::string target = FollowLinks(fileNames[i]);
            // Before any work: a file a recording holds is refused at once.
            auto held =
                lock == TargetLock::Take ? std::make_unique<FileLock>(fileNames[i]) : nullptr;
            struct stat old {};
            const bool existed = ::stat(target.c_str(), &old) == 0;
            // mkostemp creates with O_EXCL: a planted link or a second writer never shares the
            // name.
            std::string tempName = DirectoryOf(target) + tempPrefixes[i] + "XXXXXX";
            const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
            if (fd < 0)
                throw FileError(renameFailure(i), errno);
            pending.push_back({target, tempName, existed, std::move(held)});
            const bool modeKept =
                ::fchmod(fd, existed ? (old.st_mode & 07777) : NewFileMode()) == 0;
            const int modeCode = errno;
            ::close(fd);
            if (!modeKept)
                throw FileError(renameFailure(i), modeCode);
            bool written = false;
            try {
                written = write(i, tempName);
            } catch (const FileError& e) {
                // The user knows the file, never its temporary: the error names the file.
                Message named = e.GetMessage();
                std::replace(named.Args.begin(), named.Args.end(), tempName, fileNames[i]);
                if (named == e.GetMessage())
                    throw;
                throw FileError(named);
            }
            if (!written) {
                removeFrom(0);
                return false;
            }
            const int sync = ::open(tempName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            const bool synced = sync >= 0 && ::fsync(sync) == 0;
            const int code = errno;
            if (sync >= 0)
                ::close(sync);
            if (!synced)
                throw FileError(renameFailure(i), code);
        }
    } catch (...) {
        removeFrom(0);
        throw;
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        Pending& p = pending[i];
        bool renamed = false;
        if (!p.Existed && lock == TargetLock::Take) {
            // A file made under the name meanwhile (a recording begun) is not replaced unseen.
            renamed = ::renameat2(AT_FDCWD, p.Temp.c_str(), AT_FDCWD, p.Target.c_str(),
                                  RENAME_NOREPLACE) == 0;
            if (!renamed && errno == EEXIST) {
                try {
                    p.Lock = std::make_unique<FileLock>(fileNames[i]);
                } catch (...) {
                    removeFrom(i);
                    throw;
                }
            }
        }
        if (!renamed && std::rename(p.Temp.c_str(), p.Target.c_str()) != 0) {
            const int code = errno;
            removeFrom(i);
            throw FileError(renameFailure(i), code);
        }
    }
    // Each directory once: the files of one export share it.
    std::string synced;
    for (const Pending& p : pending)
        if (DirectoryOf(p.Target) != synced || &p == &pending.front()) {
            synced = DirectoryOf(p.Target);
            SyncDirectory(p.Target);
        }
    return true;
}

} // namespace tavrel
