#pragma once

#include <bit>
#include <cstdint>

namespace tavrel {

// Packed little-endian fields, byte by byte, so the layout holds on every compiler and CPU.

inline void PutU8(unsigned char* p, std::uint8_t v) {
    p[0] = v;
}
inline void PutU16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void PutI16(unsigned char* p, std::int16_t v) {
    PutU16(p, static_cast<std::uint16_t>(v));
}
inline void PutU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}
inline void PutI32(unsigned char* p, std::int32_t v) {
    PutU32(p, static_cast<std::uint32_t>(v));
}
inline void PutU64(unsigned char* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}
inline void PutF32(unsigned char* p, float v) {
    PutU32(p, std::bit_cast<std::uint32_t>(v));
}
inline void PutF64(unsigned char* p, double v) {
    PutU64(p, std::bit_cast<std::uint64_t>(v));
}

inline std::uint8_t GetU8(const unsigned char* p) {
    return p[0];
}
inline std::uint16_t GetU16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int16_t GetI16(const unsigned char* p) {
    return static_cast<std::int16_t>(GetU16(p));
}
inline std::uint32_t GetU32(const unsigned char* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}
inline std::int32_t GetI32(const unsigned char* p) {
    return static_cast<std::int32_t>(GetU32(p));
}
inline std::uint64_t GetU64(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}
inline float GetF32(const unsigned char* p) {
    return std::bit_cast<float>(GetU32(p));
}
inline double GetF64(const unsigned char* p) {
    return std::bit_cast<double>(GetU64(p));
}

} // namespace tavrel
