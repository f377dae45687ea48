#include "datafiles/sdf/SdfBlockReader.h"

#include "datafiles/io/LittleEndian.h"
#include "model/FileError.h"
#include "model/SDFdata.h"
#include "text/Messages.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavrel {
namespace {

// Blocks are read in pieces of about this size.
constexpr std::int64_t ChunkBytes = 4 << 20;

// OldErrorData (FF 7F) becomes ErrorData (00 80) in little-endian values.
void ReplaceOldErrorData(unsigned char* p, std::size_t bytes) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i old = _mm_set1_epi16(OldErrorData);
    const __m128i mark = _mm_set1_epi16(ErrorData);
    for (; i + 16 <= bytes; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i is = _mm_cmpeq_epi16(v, old);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i),
                         _mm_or_si128(_mm_andnot_si128(is, v), _mm_and_si128(is, mark)));
    }
#endif
    for (; i + 1 < bytes; i += 2)
        if (GetI16(p + i) == OldErrorData)
            PutI16(p + i, ErrorData);
}

} // namespace

SdfBlockReader::SdfBlockReader(const std::string& fileName)
    : owned_(std::make_unique<FileSource>(fileName)), source_(*owned_) {
    Open();
}

SdfBlockReader::SdfBlockReader(ByteSource& source) : source_(source) {
    Open();
}

void SdfBlockReader::Open() {
    fileSize_ = source_.Size();
    std::string start(SdfMaxHeaderBytes, '\0');
    start.resize(source_.ReadAt(0, start.data(), start.size()));
    check_ = DecodeSdfHeader(start, decoded_);
    if (check_ != SdfHeaderCheck::Ok)
        return;
    const MeasurementHeader& h = decoded_.Header;
    headerBytes_ = HeaderBytes(h);
    stride_ = BlockStride(h, decoded_.Version);
    valueBytes_ = tavrel::BlockBytes(h);
    if (valueBytes_ == 0) {
        blocksPresent_ = h.BurstCount;
        return;
    }
    // The last block of an old file may lack its filler, so a block counts as present when
    // its values are.
    const std::int64_t data = fileSize_ - headerBytes_;
    if (data >= valueBytes_)
        blocksPresent_ = (data - valueBytes_) / stride_ + 1;
    partial_ = data > blocksPresent_ * stride_;
}

void SdfBlockReader::Fill(std::int64_t firstBlock) {
    const std::int64_t blocks =
        std::min(std::max<std::int64_t>(1, ChunkBytes / stride_), blocksPresent_ - firstBlock);
    // The last block of the piece needs only its values.
    const std::int64_t bytes = (blocks - 1) * stride_ + valueBytes_;
    buffer_.resize(static_cast<std::size_t>(bytes));
    source_.ReadExactAt(headerBytes_ + firstBlock * stride_, buffer_.data(), buffer_.size());
    if (decoded_.Version < SdfCurrentVersion)
        for (std::int64_t b = 0; b < blocks; ++b)
            ReplaceOldErrorData(buffer_.data() + b * stride_,
                                static_cast<std::size_t>(valueBytes_));
    bufferFirst_ = firstBlock;
    bufferBlocks_ = blocks;
}

const unsigned char* SdfBlockReader::NextBlockBytes() {
    if (check_ != SdfHeaderCheck::Ok || next_ >= blocksPresent_)
        return nullptr;
    const std::int64_t k = next_++;
    if (valueBytes_ == 0) {
        static const unsigned char none = 0;
        return &none;
    }
    if (k < bufferFirst_ || k >= bufferFirst_ + bufferBlocks_)
        Fill(k);
    return buffer_.data() + (k - bufferFirst_) * stride_;
}

bool SdfBlockReader::NextBlock(std::vector<std::int16_t>& values) {
    const unsigned char* p = NextBlockBytes();
    if (p == nullptr)
        return false;
    values.resize(static_cast<std::size_t>(valueBytes_ / 2));
    for (auto& v : values) {
        v = GetI16(p);
        p += 2;
    }
    return true;
}

void SdfBlockReader::ReadBlock(std::int64_t k, std::vector<unsigned char>& bytes) const {
    bytes.resize(static_cast<std::size_t>(valueBytes_));
    ReadBlockPart(k, 0, bytes.size(), bytes.data());
}

void SdfBlockReader::ReadBlockPart(std::int64_t k, std::int64_t offset, std::size_t size,
                                   unsigned char* bytes) const {
    if (check_ != SdfHeaderCheck::Ok || k < 0 || k >= blocksPresent_ || offset < 0 ||
        offset % 2 != 0 || offset + static_cast<std::int64_t>(size) > valueBytes_)
        throw FileError(EndsEarlyMessage(source_.Name()));
    if (size == 0)
        return;
    source_.ReadExactAt(BlockOffset(decoded_.Header, decoded_.Version, k) + offset, bytes, size);
    if (decoded_.Version < SdfCurrentVersion)
        ReplaceOldErrorData(bytes, size);
}

void DecodeBlockValues(const unsigned char* bytes, const MeasurementHeader& h,
                       std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                       std::vector<std::int16_t>& extraData) {
    const int channels = std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels);
    const auto samples = static_cast<std::size_t>(std::max<std::int32_t>(h.SampleCount, 0));
    for (int i = 0; i < channels; ++i)
        blockData[static_cast<std::size_t>(i)].resize(samples);
    for (std::size_t j = 0; channels > 0 && j < samples; ++j)
        for (int i = 0; i < channels; ++i, bytes += 2)
            blockData[static_cast<std::size_t>(i)][j] = GetI16(bytes);
    if (h.ExtraChannelCount > 0) {
        extraData.resize(static_cast<std::size_t>(h.ExtraChannelCount));
        for (auto& v : extraData) {
            v = GetI16(bytes);
            bytes += 2;
        }
    }
}

} // namespace tavrel
