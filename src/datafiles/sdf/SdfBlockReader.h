#pragma once

#include "datafiles/io/ByteSource.h"
#include "datafiles/sdf/SdfLayout.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavrel {

// Reads the blocks of an sdf file of versions 1 to 4 in order, in large pieces. Blocks come
// out as version-4 bytes: the values without the old padding, the old error marker turned
// into ErrorData.
class SdfBlockReader {
public:
    // Opens the file and decodes its header. Throws FileError when it cannot be read.
    explicit SdfBlockReader(const std::string& fileName);
    // Reads source, which must outlive the reader.
    explicit SdfBlockReader(ByteSource& source);

    // Ok when the file is an sdf file whose header the layout can hold; the block calls below
    // need Ok.
    SdfHeaderCheck Check() const { return check_; }
    const DecodedSdfHeader& Decoded() const { return decoded_; }
    std::int64_t FileSize() const { return fileSize_; }

    // Whole blocks the file holds, whatever BurstCount says (BurstCount when blocks are empty).
    std::int64_t BlocksPresent() const { return blocksPresent_; }
    // True when bytes of a further, incomplete block follow the whole blocks.
    bool HasPartialBlock() const { return partial_; }
    // Bytes of a block in version 4.
    std::int64_t BlockBytes() const { return valueBytes_; }

    // The next whole block (BlockBytes() bytes, little-endian values in file order); nullptr
    // after the last whole block. The pointer is valid until the next call.
    const unsigned char* NextBlockBytes();
    // True when the next NextBlockBytes reads from the file again, so that pointers it gave
    // before become invalid.
    bool NextBlockRefills() const {
        return next_ < bufferFirst_ || next_ >= bufferFirst_ + bufferBlocks_;
    }
    // The same block as values; false after the last whole block.
    bool NextBlock(std::vector<std::int16_t>& values);
    // Reads whole block k (0-based, below BlocksPresent) on its own, by one positioned read,
    // into bytes (BlockBytes() of them, as NextBlockBytes gives them). Leaves the order of
    // NextBlock alone and may be called from several threads at once.
    void ReadBlock(std::int64_t k, std::vector<unsigned char>& bytes) const;
    // The same for size bytes from offset (even, within BlockBytes()) of block k, into
    // bytes[0, size); bytes must hold them.
    void ReadBlockPart(std::int64_t k, std::int64_t offset, std::size_t size,
                       unsigned char* bytes) const;

private:
    void Open();
    void Fill(std::int64_t firstBlock);

    std::unique_ptr<ByteSource> owned_;
    ByteSource& source_;
    SdfHeaderCheck check_ = SdfHeaderCheck::NotSdf;
    DecodedSdfHeader decoded_;
    std::int64_t fileSize_ = 0;
    std::int64_t headerBytes_ = 0;
    std::int64_t stride_ = 0;
    std::int64_t valueBytes_ = 0;
    std::int64_t blocksPresent_ = 0;
    bool partial_ = false;
    std::int64_t next_ = 0;        // index of the next block to hand out
    std::int64_t bufferFirst_ = 0; // index of the first block in buffer_
    std::int64_t bufferBlocks_ = 0;
    std::vector<unsigned char> buffer_;
};

// Decodes block bytes (file order) into the block buffers of a header: [channel][scan] and
// the extra values.
void DecodeBlockValues(const unsigned char* bytes, const MeasurementHeader& h,
                       std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                       std::vector<std::int16_t>& extraData);

} // namespace tavrel
