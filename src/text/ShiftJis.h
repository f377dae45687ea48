#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// Texts in files are CP932 (the Windows Japanese code page): converted with iconv.

// UTF-8 to CP932 bytes; nullopt when a character has no CP932 form or the input is not UTF-8.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// CP932 bytes to UTF-8; a byte sequence that is not CP932 becomes U+FFFD for that byte.
std::string Cp932ToUtf8(std::string_view cp932);

// True when b starts a double-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length of the longest prefix of at most capacity bytes that does not split a double-byte
// character.
std::size_t Cp932PrefixLength(std::string_view cp932, std::size_t capacity);

// The prefix of at most capacity bytes, cut at a character boundary.
inline std::string_view Cp932Cut(std::string_view cp932, std::size_t capacity) {
    return cp932.substr(0, Cp932PrefixLength(cp932, capacity));
}

} // namespace tavrel
