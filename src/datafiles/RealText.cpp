#include "RealText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavrel {

std::string FormatGeneralReal(double value) {
    std::string out;
    AppendGeneralReal(out, value);
    return out;
}

void AppendGeneralReal(std::string& out, double value) {
    if (value == 0 || !std::isfinite(value)) {
        out += value == 0 ? "0" : (std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF"));
        return;
    }
    // The 18 significant digits of the magnitude: d.ddddddddddddddddde±x
    char expansion[40];
    std::snprintf(expansion, sizeof expansion, "%.17e", std::fabs(value));
    char digits[19];
    int nd = 0;
    for (const char* p = expansion; *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits[nd++] = *p;
    int exponent = std::atoi(std::strchr(expansion, 'e') + 1) + 1; // magnitude = 0.d1d2... x 10^E
    // Round to 7 digits, half away from zero.
    int n = 7;
    if (digits[7] >= '5') {
        int i = 6;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i < 0) {
            digits[0] = '1';
            for (int k = 1; k < 7; ++k)
                digits[k] = '0';
            ++exponent;
        } else {
            ++digits[i];
        }
    }
    while (n > 1 && digits[n - 1] == '0')
        --n;
    if (value < 0)
        out += '-';
    if (exponent >= -3 && exponent <= 7) {
        if (exponent <= 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent), '0');
            out.append(digits, static_cast<std::size_t>(n));
        } else {
            for (int k = 0; k < exponent; ++k)
                out += k < n ? digits[k] : '0';
            if (n > exponent) {
                out += '.';
                out.append(digits + exponent, static_cast<std::size_t>(n - exponent));
            }
        }
        return;
    }
    out += digits[0];
    if (n > 1) {
        out += '.';
        out.append(digits + 1, static_cast<std::size_t>(n - 1));
    }
    out += 'E';
    out += std::to_string(exponent - 1);
}

} // namespace tavrel
