#include "datafiles/io/AtomicReplace.h"

#include "datafiles/io/FileLock.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrel {
namespace {

constexpr std::string_view OpenDescriptors = "/proc/self/fd/";
constexpr std::size_t UniqueLength = 6; // the XXXXXX of mkostemp

// A temporary file: without a name where the file system offers O_TMPFILE (a killed process
// leaves nothing behind; writers reach it through /proc/self/fd), otherwise a unique name.
// The descriptor stays open until the file is in place.
struct Temporary {
    int Fd = -1;
    std::string Name;
    bool Anonymous = false;
};

// Never a directory of that name: only what write may have made goes.
void RemoveTemporary(Temporary& temp) {
    if (!temp.Anonymous && !temp.Name.empty())
        ::unlink(temp.Name.c_str());
    if (temp.Fd >= 0)
        ::close(temp.Fd);
    temp = {};
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

Temporary CreateTemporary(const std::string& dir, const std::string& prefix, mode_t mode,
                          TemporaryKind kind) {
    Temporary temp;
    if (kind == TemporaryKind::Anonymous)
        temp.Fd = ::open(dir.empty() ? "." : dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (temp.Fd >= 0) {
        temp.Name = std::string(OpenDescriptors) + std::to_string(temp.Fd);
        temp.Anonymous = true;
        // Without /proc the writers could not reach it, nor could it be linked.
        if (::access(temp.Name.c_str(), W_OK) == 0)
            return temp;
        ::close(temp.Fd);
        temp = {};
    }
    // mkostemp creates with O_EXCL: a planted link or a second writer never shares the name.
    temp.Name = dir + prefix + std::string(UniqueLength, 'X');
    temp.Fd = ::mkostemp(temp.Name.data(), O_CLOEXEC);
    if (temp.Fd < 0)
        temp.Name.clear();
    return temp;
}

// Gives the anonymous file a unique name beside target (linkat never replaces), so that a
// rename can put it over an existing file. Gives the name, empty on failure (errno set).
std::string LinkUnderUniqueName(const std::string& descriptorName, const std::string& dir,
                                const std::string& prefix) {
    static constexpr std::string_view Letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 pick(seed());
    for (int tries = 0; tries < 100; ++tries) {
        std::string name = dir + prefix;
        for (std::size_t i = 0; i < UniqueLength; ++i)
            name += Letters[pick() % Letters.size()];
        if (::linkat(AT_FDCWD, descriptorName.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) ==
            0)
            return name;
        if (errno != EEXIST)
            return {};
    }
    return {};
}

// Seconds since the epoch at which the oldest running process that could own a temporary
// began: one of these programs, or one of this program's name. Minus infinity when /proc
// cannot tell, so nothing is taken for stale.
double OldestOwnerStart() {
    constexpr double Unknown = -std::numeric_limits<double>::infinity();
    std::ifstream statFile("/proc/stat");
    std::string key;
    double bootTime = -1;
    while (statFile >> key)
        if (key == "btime") {
            statFile >> bootTime;
            break;
        }
    const long ticks = ::sysconf(_SC_CLK_TCK);
    std::string ownName;
    std::getline(std::ifstream("/proc/self/comm"), ownName);
    DIR* proc = ::opendir("/proc");
    if (bootTime < 0 || ticks <= 0 || ownName.empty() || proc == nullptr) {
        if (proc != nullptr)
            ::closedir(proc);
        return Unknown;
    }
    double oldest = std::numeric_limits<double>::infinity();
    while (const dirent* entry = ::readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::stringstream text;
        text << std::ifstream("/proc/" + pid + "/stat").rdbuf();
        const std::string line = text.str();
        const auto open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open)
            continue;
        const std::string name = line.substr(open + 1, close - open - 1);
        if (name != ownName && name.rfind("tavrelrex", 0) != 0)
            continue;
        // After the name: fields 3 to 21, then the 22nd, the start in clock ticks since boot.
        std::istringstream fields(line.substr(close + 1));
        std::string field;
        for (int i = 3; i < 22 && fields >> field; ++i) {
        }
        unsigned long long started = 0;
        if (fields >> started)
            oldest = std::min(oldest, bootTime + static_cast<double>(started) / ticks);
    }
    ::closedir(proc);
    return oldest;
}

} // namespace

void RemoveStaleTemporaries(const std::string& fileName, const std::string& tempPrefix) {
    const std::string dir = DirectoryOf(FollowLinks(fileName));
    DIR* listing = ::opendir(dir.empty() ? "." : dir.c_str());
    if (listing == nullptr)
        return;
    const double oldest = OldestOwnerStart();
    const int dirFd = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name.size() != tempPrefix.size() + UniqueLength || !name.starts_with(tempPrefix))
            continue;
        struct stat st {};
        // A second of margin for the clock ticks of a start time.
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid() && static_cast<double>(st.st_mtime) + 1 < oldest)
            ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(listing);
}

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
                           const Message& renameFailure, TargetLock lock, TemporaryKind kind) {
    return ReplaceFilesAtomically(
        {fileName}, {tempPrefix},
        [&](std::size_t, const std::string& tempName) { return write(tempName); },
        [&](std::size_t) { return renameFailure; }, lock, kind);
}

bool ReplaceFilesAtomically(
    const std::vector<std::string>& fileNames, const std::vector<std::string>& tempPrefixes,
    const std::function<bool(std::size_t i, const std::string& tempName)>& write,
    const std::function<Message(std::size_t i)>& renameFailure, TargetLock lock,
    TemporaryKind kind) {
    struct Pending {
        std::string Target;
        Temporary Temp;
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
            RemoveStaleTemporaries(target, tempPrefixes[i]);
            struct stat old {};
            const bool existed = ::stat(target.c_str(), &old) == 0;
            const mode_t mode = existed ? (old.st_mode & 07777) : NewFileMode();
            Temporary temp = CreateTemporary(DirectoryOf(target), tempPrefixes[i], mode, kind);
            if (temp.Fd < 0)
                throw FileError(renameFailure(i), errno);
            pending.push_back({target, temp, existed, std::move(held)});
            const std::string tempName = temp.Name;
            if (::fchmod(temp.Fd, mode) != 0)
                throw FileError(renameFailure(i), errno);
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
            if (::fsync(temp.Fd) != 0)
                throw FileError(renameFailure(i), errno);
        }
    } catch (...) {
        removeFrom(0);
        throw;
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        Pending& p = pending[i];
        bool placed = false;
        auto fail = [&](int code) {
            removeFrom(i);
            throw FileError(renameFailure(i), code);
        };
        if (!p.Existed && lock == TargetLock::Take) {
            // A file made under the name meanwhile (a recording begun) is not replaced unseen.
            placed = p.Temp.Anonymous ? ::linkat(AT_FDCWD, p.Temp.Name.c_str(), AT_FDCWD,
                                                 p.Target.c_str(), AT_SYMLINK_FOLLOW) == 0
                                      : ::renameat2(AT_FDCWD, p.Temp.Name.c_str(), AT_FDCWD,
                                                    p.Target.c_str(), RENAME_NOREPLACE) == 0;
            if (!placed && errno != EEXIST)
                fail(errno);
            if (!placed) {
                try {
                    p.Lock = std::make_unique<FileLock>(fileNames[i]);
                } catch (...) {
                    removeFrom(i);
                    throw;
                }
            }
        }
        if (!placed && p.Temp.Anonymous) {
            // Over an existing file only a rename replaces in one step: it needs a name.
            const std::string named =
                LinkUnderUniqueName(p.Temp.Name, DirectoryOf(p.Target), tempPrefixes[i]);
            if (named.empty())
                fail(errno);
            ::close(p.Temp.Fd);
            p.Temp = {-1, named, false};
        }
        if (!placed && std::rename(p.Temp.Name.c_str(), p.Target.c_str()) != 0)
            fail(errno);
        if (p.Temp.Fd >= 0)
            ::close(p.Temp.Fd);
        p.Temp = {};
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
