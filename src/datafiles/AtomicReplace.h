#pragma once

#include <functional>
#include <string>

namespace tavrel {

// Replaces a whole file in one step, so a crash leaves either the old file or the new one:
// write fills the temporary file tempName, which lies in the directory of fileName, and one
// rename puts it in place. When write throws or gives false (cancelled), or the rename
// fails, the temporary file is removed and fileName stays as it was; a failed rename throws
// FileError(renameFailure). Gives what write gave.
bool ReplaceFileAtomically(const std::string& fileName, const std::string& tempName,
                           const std::function<bool()>& write, const std::string& renameFailure);

} // namespace tavrel
