#pragma once

#include "datafiles/io/BinaryFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel {

// Where a reader's bytes come from: a file, or a buffer in memory (fuzzers, tests). Failures
// throw FileError naming Name().
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to size bytes at offset; fewer only at the end.
    virtual std::size_t ReadAt(std::int64_t offset, void* data, std::size_t size) = 0;
    virtual std::int64_t Size() const = 0;
    virtual const std::string& Name() const = 0;
    // Reads exactly size bytes or throws (the source ends too early).
    void ReadExactAt(std::int64_t offset, void* data, std::size_t size);
};

// An existing file, opened for reading until the source goes.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::string& fileName);
    std::size_t ReadAt(std::int64_t offset, void* data, std::size_t size) override;
    std::int64_t Size() const override;
    const std::string& Name() const override { return file_.Name(); }

private:
    BinaryFile file_;
};

// Bytes the caller keeps alive while the source is read.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes, std::string name = "(memory)");
    std::size_t ReadAt(std::int64_t offset, void* data, std::size_t size) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    const std::string& Name() const override { return name_; }

private:
    std::string_view bytes_;
    std::string name_;
};

} // namespace tavrel
