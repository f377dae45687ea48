#include "datafiles/io/ByteSource.h"

#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <cstring>

namespace tavrel {

void ByteSource::ReadExactAt(std::int64_t offset, void* data, std::size_t size) {
    if (ReadAt(offset, data, size) != size)
        throw FileError(EndsEarlyMessage(Name()));
}

FileSource::FileSource(const std::string& fileName) : file_(fileName, BinaryFile::Mode::Read) {}

std::size_t FileSource::ReadAt(std::int64_t offset, void* data, std::size_t size) {
    return file_.ReadAt(offset, data, size);
}

std::int64_t FileSource::Size() const {
    return file_.Size();
}

MemorySource::MemorySource(std::string_view bytes, std::string name)
    : bytes_(bytes), name_(std::move(name)) {}

std::size_t MemorySource::ReadAt(std::int64_t offset, void* data, std::size_t size) {
    if (offset < 0)
        throw FileError(CannotReadMessage(name_));
    if (offset >= static_cast<std::int64_t>(bytes_.size()))
        return 0;
    const auto at = static_cast<std::size_t>(offset);
    const std::size_t n = std::min(size, bytes_.size() - at);
    if (n > 0)
        std::memcpy(data, bytes_.data() + at, n);
    return n;
}

} // namespace tavrel
