#pragma once

#include <functional>
#include <string>

namespace tavrel {

// Replaces a whole file in one step, so a crash leaves either the old file or the new one.
// The temporary file is created beside the file (a link is followed to the file it names)
// under a unique name that starts with tempPrefix, with O_EXCL and never through a link;
// write fills it by the name it is given (BinaryFile::Mode::Temporary opens it). It takes
// the old file's permissions, is flushed to the disk and renamed into place. When write
// throws or gives false (cancelled), or the rename fails, the temporary file is removed and
// the file stays as it was; a failed rename throws FileError(renameFailure). Gives what
// write gave.
bool ReplaceFileAtomically(const std::string& fileName, const std::string& tempPrefix,
                           const std::function<bool(const std::string& tempName)>& write,
                           const std::string& renameFailure);

// The file a name stands for: a symbolic link followed to its target (as far as it exists),
// anything else as it is.
std::string FollowLinks(const std::string& fileName);

} // namespace tavrel
