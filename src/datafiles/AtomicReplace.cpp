#include "datafiles/AtomicReplace.h"

#include "datafiles/FileError.h"

#include <cstdio>
#include <unistd.h>

namespace tavrel {
namespace {

// Never a directory of that name: only what write may have made goes.
void RemoveTemporary(const std::string& tempName) {
    ::unlink(tempName.c_str());
}

} // namespace

bool ReplaceFileAtomically(const std::string& fileName, const std::string& tempName,
                           const std::function<bool()>& write, const std::string& renameFailure) {
    bool written = false;
    try {
        written = write();
    } catch (...) {
        RemoveTemporary(tempName);
        throw;
    }
    if (!written) {
        RemoveTemporary(tempName);
        return false;
    }
    if (std::rename(tempName.c_str(), fileName.c_str()) != 0) {
        RemoveTemporary(tempName);
        throw FileError(renameFailure);
    }
    return true;
}

} // namespace tavrel
