#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace tavrel::fuzz {

// The readers take file names: each input is written to a file in a private directory
// (in memory when /dev/shm exists), made once per process.
inline const std::string& WorkDirectory() {
    static const std::string dir = [] {
        std::string pattern =
            ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/tavrelfuzzXXXXXX" : "/tmp/tavrelfuzzXXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return pattern + "/";
    }();
    static const bool cleanup = [] {
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        });
        return true;
    }();
    (void)cleanup;
    return dir;
}

inline std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = WorkDirectory() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out)
        std::abort();
    return path;
}

} // namespace tavrel::fuzz
