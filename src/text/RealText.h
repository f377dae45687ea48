#pragma once

#include <string>

namespace tavrel {

// The general real-number text form with 7 significant digits of the data files:
// 1, 0.5, 0.6666667, 1234567, 1.234568E7, 0.0001, 1.234E-5; "." always; zero is "0".
// Rounding is half away from zero on the value's 18-digit decimal expansion.
std::string FormatGeneralReal(double value);

// Appends the same text to out (no allocation when out has room): the fast path for writers.
void AppendGeneralReal(std::string& out, double value);

} // namespace tavrel
