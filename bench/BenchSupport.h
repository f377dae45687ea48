#pragma once

#include "datafiles/MainEntries.h"
#include "model/Prompter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tavrel::bench {

// Best of several runs, in seconds: the least disturbed by the other users of the machine.
inline double BestSeconds(int runs, const std::function<void()>& work) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// The middle of several runs (the upper one of an even count).
inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline std::string ScratchDirectory() {
    std::string pattern = "/tmp/tavrelbenchXXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        std::perror("mkdtemp");
    return pattern + "/";
}

// Says yes to every question; errors go to stderr.
class QuietPrompter final : public Prompter {
public:
    MessageAnswer ShowMessage(MessageKind kind, const Message& message, MessageButtons) override {
        if (kind == MessageKind::Error)
            std::fprintf(stderr, "message: %s\n", Japanese(message).c_str());
        return MessageAnswer::Yes;
    }
};

// The window's entries for a recording of bursts of `scans` scans of `channels` channels every
// samplingInterval in the unit of samplingUnitIndex (0 sec, 1 msec, 2 usec), burstIntervalSec
// apart, into file (fileType 0 sdf, 1 tsd).
inline MainEntries RecordingEntries(MainEntries e, const std::string& file, int channels, int scans,
                                    int samplingInterval, int samplingUnitIndex, int bursts,
                                    int burstIntervalSec, int fileType = 0,
                                    const std::string& wait = "0") {
    e.ComboChNumText = std::to_string(channels);
    e.ComboChNumIndex = channels - 1;
    e.GridRowCount = channels + 1;
    e.EditDataNum = std::to_string(scans);
    e.EditSInterval = std::to_string(samplingInterval);
    e.ComboSampUnit = samplingUnitIndex;
    e.EditIteration = std::to_string(bursts);
    e.EditBurstInterval = std::to_string(burstIntervalSec);
    e.ComboBoxBITUnit = 0;
    e.EditWaitTime = wait;
    e.RadioGroupFileType = fileType;
    e.EditFileName = file;
    return e;
}

} // namespace tavrel::bench
