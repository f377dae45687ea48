#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

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

inline std::string ScratchDirectory() {
    std::string pattern = "/tmp/tavrelbenchXXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        std::perror("mkdtemp");
    return pattern + "/";
}

} // namespace tavrel::bench
