#include "datafiles/sdf/SdfFile.h"

#include "datafiles/io/BinaryFile.h"
#include "datafiles/io/LittleEndian.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavrel {
namespace {

#if defined(__SSE2__)
// Two or four channels, eight scans at a time (x86 is little-endian, as the file).
void InterleaveTwo(const std::int16_t* a, const std::int16_t* b, unsigned char* p, std::size_t& j,
                   std::size_t n) {
    for (; j + 8 <= n; j += 8, p += 32) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + j));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + j));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi16(va, vb));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), _mm_unpackhi_epi16(va, vb));
    }
}

void InterleaveFour(const std::int16_t* const* s, unsigned char* p, std::size_t& j, std::size_t n) {
    for (; j + 8 <= n; j += 8, p += 64) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s[0] + j));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s[1] + j));
        const __m128i vc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s[2] + j));
        const __m128i vd = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s[3] + j));
        const __m128i ab0 = _mm_unpacklo_epi16(va, vb), ab1 = _mm_unpackhi_epi16(va, vb);
        const __m128i cd0 = _mm_unpacklo_epi16(vc, vd), cd1 = _mm_unpackhi_epi16(vc, vd);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi32(ab0, cd0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), _mm_unpackhi_epi32(ab0, cd0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), _mm_unpacklo_epi32(ab1, cd1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 48), _mm_unpackhi_epi32(ab1, cd1));
    }
}
#endif

// The sampled values sample by sample, channels in order, as little-endian bytes.
void InterleaveBlock(const std::int16_t* const* columns, int channels, std::size_t samples,
                     unsigned char* p) {
    if (channels == 0)
        return; // no value, however many scans
    std::size_t j = 0;
#if defined(__SSE2__)
    if (channels == 2)
        InterleaveTwo(columns[0], columns[1], p, j, samples);
    else if (channels == 4)
        InterleaveFour(columns, p, j, samples);
#endif
    p += j * static_cast<std::size_t>(channels) * 2;
    for (; j < samples; ++j)
        for (int i = 0; i < channels; ++i, p += 2)
            PutI16(p, columns[i][j]);
}

} // namespace

void EncodeBlockValues(const SDFdata& data, std::vector<unsigned char>& bytes) {
    EncodeBlockScans(data, 0,
                     static_cast<std::size_t>(std::max<std::int32_t>(data.Header.SampleCount, 0)),
                     bytes);
}

void EncodeBlockScans(const SDFdata& data, std::size_t firstScan, std::size_t scans,
                      std::vector<unsigned char>& bytes) {
    const MeasurementHeader& h = data.Header;
    const int channels = std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels);
    const auto samples = static_cast<std::size_t>(std::max<std::int32_t>(h.SampleCount, 0));
    firstScan = std::min(firstScan, samples);
    scans = std::min(scans, samples - firstScan);
    // The extra values follow the last scan.
    const int extra = firstScan + scans == samples
                          ? std::clamp<int>(h.ExtraChannelCount, 0, ChannelEntryCount - channels)
                          : 0;
    bytes.resize((scans * static_cast<std::size_t>(channels) + static_cast<std::size_t>(extra)) *
                 2);
    unsigned char* p = bytes.data();
    bool complete = true;
    const std::int16_t* columns[MaxSampledChannels] = {};
    for (int i = 0; i < channels; ++i) {
        const auto& column = data.BlockData[static_cast<std::size_t>(i)];
        complete = complete && column.size() >= firstScan + scans;
        columns[i] = column.data() + (complete ? firstScan : 0);
    }
    if (complete) {
        InterleaveBlock(columns, channels, scans, p);
        p += scans * static_cast<std::size_t>(channels) * 2;
    } else {
        // Buffers not sized for this header: the missing values are error data.
        for (std::size_t j = firstScan; channels > 0 && j < firstScan + scans; ++j)
            for (int i = 0; i < channels; ++i, p += 2) {
                const auto& column = data.BlockData[static_cast<std::size_t>(i)];
                PutI16(p, j < column.size() ? column[j] : ErrorData);
            }
    }
    for (int i = 0; i < extra; ++i, p += 2)
        PutI16(p, static_cast<std::size_t>(i) < data.ExtraData.size()
                      ? data.ExtraData[static_cast<std::size_t>(i)]
                      : ErrorData);
}

void WriteSdfHeader(const MeasurementHeader& h, const std::string& fileName, SdfHeaderWrite how) {
    if (!IsStorableHeader(h))
        throw FileError(SdfUnstorableHeaderMessage(fileName));
    const std::string bytes = EncodeSdfHeader(h);
    BinaryFile file(fileName, how == SdfHeaderWrite::NewFile ? BinaryFile::Mode::Create
                                                             : BinaryFile::Mode::Overwrite);
    file.WriteAt(0, bytes.data(), bytes.size());
    file.Close();
}

void WriteSdfBlock(const SDFdata& data, const std::string& fileName, int k) {
    const MeasurementHeader& h = data.Header;
    const std::int64_t blockBytes = BlockBytes(h);
    if (blockBytes == 0)
        return; // no sampled value and no extra value: nothing to write
    if (!IsStorableHeader(h))
        throw FileError(SdfUnstorableHeaderMessage(fileName));
    if (k < 0 || HeaderBytes(h) + (std::int64_t{k} + 1) * blockBytes > SdfMaxFileBytes)
        throw FileError(SdfBlockPastLimitMessage(fileName));

    // Kept between calls: a run writes blocks of one size again and again.
    thread_local std::vector<unsigned char> buffer;
    EncodeBlockValues(data, buffer);

    // The header writer made the file: a missing file is an error, not a file without header.
    BinaryFile file(fileName, BinaryFile::Mode::Existing);
    file.WriteAt(HeaderBytes(h) + std::int64_t{k} * blockBytes, buffer.data(), buffer.size());
    file.Close();
}

SdfHeaderCheck ReadSdfHeader(ByteSource& source, DecodedSdfHeader& out) {
    std::string start(SdfMaxHeaderBytes, '\0');
    start.resize(source.ReadAt(0, start.data(), start.size()));
    return DecodeSdfHeader(start, out);
}

SdfHeaderCheck ReadSdfHeader(const std::string& fileName, DecodedSdfHeader& out) {
    FileSource file(fileName);
    return ReadSdfHeader(file, out);
}

} // namespace tavrel
