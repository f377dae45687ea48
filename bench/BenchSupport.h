#pragma once

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

} // namespace tavrel::bench
