// Values per second of the data files' real-number text against printf("%.7G") on the same
// values. Build in Release: cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release.
#include "text/RealText.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// What a tsd file holds: Y = A x code + B from 16-bit codes with single-precision A and B,
// and, for a third, values of any magnitude.
std::vector<double> MakeValues(std::size_t count) {
    std::mt19937_64 random(12345);
    const float coefA[] = {1.0f, 0.1f, 0.0025f, 3.3f / 4095, 12.5f, -0.75f};
    const float coefB[] = {0.0f, -5.0f, 12.5f, 0.001f, 273.15f};
    std::uniform_int_distribution<int> code(-32768, 32767);
    std::uniform_int_distribution<std::size_t> pickA(0, std::size(coefA) - 1);
    std::uniform_int_distribution<std::size_t> pickB(0, std::size(coefB) - 1);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::vector<double> values;
    values.reserve(count);
    while (values.size() < count) {
        if (values.size() % 3 == 2) {
            const double sign = random() % 2 ? 1 : -1;
            values.push_back(sign * mantissa(random) * std::pow(10.0, exponent(random)));
        } else {
            values.push_back(double{coefA[pickA(random)]} * code(random) +
                             double{coefB[pickB(random)]});
        }
    }
    return values;
}

template <typename Format> double ValuesPerSecond(const std::vector<double>& values, Format f) {
    std::string line;
    line.reserve(1 << 16);
    std::size_t sink = 0;
    double best = 0;
    for (int pass = 0; pass < 5; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        for (double v : values) {
            f(line, v);
            line += '\t';
            if (line.size() > 60000) {
                sink += line.size();
                line.clear();
            }
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::max(best, static_cast<double>(values.size()) / took.count());
    }
    sink += line.size();
    if (sink == 0)
        std::puts("");
    return best;
}

void AppendPrintf(std::string& out, double v) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%.7G", v);
    out.append(text, static_cast<std::size_t>(n));
}

// printf writes "E+07" where the files write "E7".
std::string WithoutExponentPadding(const char* text) {
    std::string s = text;
    const auto e = s.find('E');
    if (e == std::string::npos)
        return s;
    std::string exponent = s.substr(e + 1);
    const bool negative = exponent[0] == '-';
    exponent.erase(0, exponent.find_first_not_of("+-0"));
    return s.substr(0, e + 1) + (negative ? "-" : "") + (exponent.empty() ? "0" : exponent);
}

} // namespace

int main() {
    const std::vector<double> values = MakeValues(2'000'000);

    const double ours = ValuesPerSecond(
        values, [](std::string& out, double v) { tavrel::AppendGeneralReal(out, v); });
    const double theirs = ValuesPerSecond(values, AppendPrintf);

    std::size_t identical = 0;
    std::size_t sameOnceExponentWritten = 0;
    for (double v : values) {
        char text[32];
        std::snprintf(text, sizeof text, "%.7G", v);
        const std::string mine = tavrel::FormatGeneralReal(v);
        identical += mine == text;
        sameOnceExponentWritten += mine == WithoutExponentPadding(text);
    }

    std::printf("values: %zu\n", values.size());
    std::printf("AppendGeneralReal: %.1f million values/s\n", ours / 1e6);
    std::printf("snprintf %%.7G:     %.1f million values/s\n", theirs / 1e6);
    std::printf("ratio:             %.2f\n", ours / theirs);
    std::printf("identical texts:   %zu (%.3f %%)\n", identical, 100.0 * identical / values.size());
    std::printf("identical once printf's exponent is written as the files write it (E7, not "
                "E+07): %zu (%.3f %%)\n",
                sameOnceExponentWritten, 100.0 * sameOnceExponentWritten / values.size());
    std::printf("other differences (rounding of printf's exact value against half away from "
                "zero on the 18-digit expansion): %zu\n",
                values.size() - sameOnceExponentWritten);
    return 0;
}
