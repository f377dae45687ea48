#pragma once

#include "text/Message.h"

#include <functional>
#include <string>
#include <vector>

namespace tavrel {

// Replaces a whole file in one step, so a crash leaves either the old file or the new one.
// The temporary file is made in the file's directory (a link is followed to the file it
// names) without a name (O_TMPFILE, reached as /proc/self/fd/N) and linked into place when
// complete, so a killed process leaves nothing; where the file system cannot, under a unique
// name that starts with tempPrefix, with O_EXCL and never through a link. Stale temporaries
// of that prefix go first (RemoveStaleTemporaries).
// write fills it by the name it is given (BinaryFile::Mode::Temporary opens it). It takes
// the old file's permissions, is flushed to the disk and renamed into place. When write
// throws or gives false (cancelled), or the rename fails, the temporary file is removed and
// the file stays as it was; a failed rename throws FileError(renameFailure). A FileError of
// write that names the temporary file names fileName instead. Gives what write gave.
// An existing file is locked (FileLock) from before write until it is replaced, unless the
// caller holds its lock already; one that a recording holds is refused before anything is
// written. A file that appears under the name while write runs is never replaced unlocked.
// A writer that opens files only by a name in a directory (HDF5 resolves a /proc/self/fd
// name to a path that does not exist) asks for a Named temporary.
enum class TargetLock { Take, HeldByCaller };
enum class TemporaryKind { Anonymous, Named };
bool ReplaceFileAtomically(const std::string& fileName, const std::string& tempPrefix,
                           const std::function<bool(const std::string& tempName)>& write,
                           const Message& renameFailure, TargetLock lock = TargetLock::Take,
                           TemporaryKind kind = TemporaryKind::Anonymous);

// The same for several files that belong together (one per burst): every file is written to
// its temporary (tempPrefixes[i], write(i, tempName)) before any is renamed into place, so a
// failure or a cancel leaves none of the new files and every old one as it was.
// renameFailure(i) is the message for file i.
bool ReplaceFilesAtomically(
    const std::vector<std::string>& fileNames, const std::vector<std::string>& tempPrefixes,
    const std::function<bool(std::size_t i, const std::string& tempName)>& write,
    const std::function<Message(std::size_t i)>& renameFailure, TargetLock lock = TargetLock::Take,
    TemporaryKind kind = TemporaryKind::Anonymous);

// Removes the temporaries (tempPrefix and six characters) beside fileName that no running
// process can own: regular files of this user last written before the oldest running process
// of these programs began. Anything else of such a name stays.
void RemoveStaleTemporaries(const std::string& fileName, const std::string& tempPrefix);

// Refuses (FileError) an output name that exists as anything but a regular file, or that is
// the input file itself (links followed).
void RefuseOutputFile(const std::string& in, const std::string& out);

// The file a name stands for: a symbolic link followed to its target (as far as it exists),
// anything else as it is.
std::string FollowLinks(const std::string& fileName);

} // namespace tavrel
