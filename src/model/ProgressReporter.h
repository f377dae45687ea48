#pragma once

#include <string_view>
#include <utility>

namespace tavrel {

// Progress of a long operation that runs on the caller's thread. The progress dialog, the
// terminal and the tests implement it.
// Calling order: StartProgress(title); before each unit k of n: SetProgress(k * 100 / n), then
// Cancelled(); after the loop HideProgress().
class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;
    // Shows 0 %, clears Cancelled, shows the window.
    virtual void StartProgress(std::string_view caption) = 0;
    // 100 hides; otherwise shows percent and lets pending events (a cancel click) through.
    virtual void SetProgress(int percent) = 0;
    // True once the operator cancelled since the last StartProgress.
    virtual bool Cancelled() const = 0;
    virtual void HideProgress() = 0;
};

// Runs work with the progress shown under caption; hidden again however work ends.
template <typename Work>
auto WithProgressShown(ProgressReporter& progress, std::string_view caption, Work&& work) {
    progress.StartProgress(caption);
    try {
        auto result = std::forward<Work>(work)();
        progress.HideProgress();
        return result;
    } catch (...) {
        progress.HideProgress();
        throw;
    }
}

} // namespace tavrel
