#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrel {

// Numbers in files and entries: "." always, an optional sign, blanks around ignored.

// A decimal integer in [min, max].
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max);
// A finite decimal number: sign, fraction and exponent allowed.
std::optional<double> ParseDecimal(std::string_view text);

} // namespace tavrel
