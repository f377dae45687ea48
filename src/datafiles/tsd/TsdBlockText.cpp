#include "datafiles/tsd/TsdBlockText.h"

#include "datafiles/io/LittleEndian.h"

#include <algorithm>
#include <cstdio>

namespace tavrel {
namespace {

// Text is gathered up to this size before it goes to the sink.
constexpr std::size_t FlushBytes = 4 << 20;

} // namespace

TsdBlockText::TsdBlockText(const MeasurementHeader& h) : h_(h) {
    h_.ChannelCount =
        static_cast<std::int16_t>(std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels));
    h_.ExtraChannelCount = static_cast<std::int16_t>(
        std::clamp<int>(h.ExtraChannelCount, 0, ChannelEntryCount - h_.ChannelCount));
    h_.SampleCount = std::max<std::int32_t>(h.SampleCount, 0);
    const int entries = h_.ChannelCount + h_.ExtraChannelCount;
    texts_.reserve(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i)
        texts_.emplace_back(h.CoefA[static_cast<std::size_t>(i)],
                            h.CoefB[static_cast<std::size_t>(i)]);
    const std::size_t lineMax =
        static_cast<std::size_t>(std::max<int>(h_.ChannelCount, h_.ExtraChannelCount)) *
            (ValueTextTable::MaxLength + 1) +
        32;
    buffer_.resize(FlushBytes + lineMax);
}

TsdBlockText::~TsdBlockText() = default;

void TsdBlockText::Write(std::int64_t k, const unsigned char* v, const Sink& write) {
    WriteScans(k, 0, h_.SampleCount, v, write);
}

void TsdBlockText::WriteScans(std::int64_t k, std::int64_t firstScan, std::int64_t scans,
                              const unsigned char* v, const Sink& write) {
    const int channels = h_.ChannelCount;
    const int extra = h_.ExtraChannelCount;
    char* const start = buffer_.data();
    char* p = start + used_;
    auto room = [&] {
        if (static_cast<std::size_t>(p - start) >= FlushBytes) {
            write(start, static_cast<std::size_t>(p - start));
            p = start;
        }
    };
    if (firstScan == 0)
        p += std::snprintf(p, 32, "No.%lld\r\n", static_cast<long long>(k + 1));
    for (std::int64_t j = 0; j < scans; ++j) {
        for (int i = 0; i < channels; ++i, v += 2) {
            if (i > 0)
                *p++ = ',';
            p = texts_[static_cast<std::size_t>(i)].Put(p, GetI16(v));
        }
        *p++ = '\r';
        *p++ = '\n';
        room();
    }
    if (extra > 0 && firstScan + scans >= h_.SampleCount) {
        for (int i = 0; i < extra; ++i, v += 2) {
            if (i > 0)
                *p++ = ',';
            p = texts_[static_cast<std::size_t>(channels + i)].Put(p, GetI16(v));
        }
        *p++ = '\r';
        *p++ = '\n';
    }
    used_ = static_cast<std::size_t>(p - start);
    room();
    used_ = static_cast<std::size_t>(p - start);
}

void TsdBlockText::Flush(const Sink& write) {
    if (used_ > 0)
        write(buffer_.data(), used_);
    used_ = 0;
}

} // namespace tavrel
