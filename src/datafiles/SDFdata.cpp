#include "SDFdata.h"

#include "BinaryFile.h"
#include "FileError.h"
#include "LittleEndian.h"
#include "SdfLayout.h"
#include "SdfUpgrade.h"

#include <algorithm>
#include <vector>

namespace tavrel {

void SDFdata::AllocateBlockBuffers() {
    const int channels = std::clamp<int>(Header.ChannelCount, 0, MaxSampledChannels);
    const auto samples = static_cast<std::size_t>(std::max<std::int32_t>(Header.SampleCount, 0));
    for (int i = 0; i < channels; ++i)
        BlockData[static_cast<std::size_t>(i)].resize(samples, 0);
    if (Header.ExtraChannelCount > 0)
        ExtraData.resize(static_cast<std::size_t>(Header.ExtraChannelCount), 0);
}

namespace {

std::string UnstorableHeaderMessage(const std::string& fileName) {
    return "チャンネル数・サンプル数・バースト数または時間単位が範囲外のため、ファイル「" +
           fileName + "」に書き込めません。";
}

} // namespace

bool SDFdata::WriteSdfHeader(const std::string& fileName) {
    if (!IsStorableHeader(Header))
        throw FileError(UnstorableHeaderMessage(fileName));
    const std::string bytes = EncodeSdfHeader(Header);
    BinaryFile file(fileName, BinaryFile::Mode::Overwrite);
    try {
        file.WriteAt(0, bytes.data(), bytes.size());
        file.Close();
    } catch (const FileError&) {
        return false;
    }
    return true;
}

void SDFdata::WriteSdfBlock(int k) {
    if (!IsStorableHeader(Header))
        throw FileError(UnstorableHeaderMessage(OutputFileName));
    const std::int64_t blockBytes = BlockBytes(Header);
    if (blockBytes == 0)
        return; // no sampled value and no extra value: nothing to write
    if (k < 0 || HeaderBytes(Header) + (std::int64_t{k} + 1) * blockBytes > SdfMaxFileBytes)
        throw FileError(
            "ファイル「" + OutputFileName +
            "」の大きさが上限（2147483647 バイト）を超えるため、ブロックを書き込めません。");

    const int channels = Header.ChannelCount;
    const auto samples = static_cast<std::size_t>(Header.SampleCount);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(blockBytes));
    unsigned char* p = bytes.data();
    bool complete = true;
    for (int i = 0; i < channels; ++i)
        complete = complete && BlockData[static_cast<std::size_t>(i)].size() >= samples;
    if (complete) {
        // The usual case: interleave sample by sample without further checks.
        for (std::size_t j = 0; j < samples; ++j)
            for (int i = 0; i < channels; ++i, p += 2)
                PutI16(p, BlockData[static_cast<std::size_t>(i)][j]);
    } else {
        // Buffers not sized for this header: the missing values are error data.
        for (std::size_t j = 0; j < samples; ++j)
            for (int i = 0; i < channels; ++i, p += 2) {
                const auto& column = BlockData[static_cast<std::size_t>(i)];
                PutI16(p, j < column.size() ? column[j] : ErrorData);
            }
    }
    for (int i = 0; i < Header.ExtraChannelCount; ++i, p += 2)
        PutI16(p, static_cast<std::size_t>(i) < ExtraData.size()
                      ? ExtraData[static_cast<std::size_t>(i)]
                      : ErrorData);

    BinaryFile file(OutputFileName, BinaryFile::Mode::Overwrite);
    file.WriteAt(HeaderBytes(Header) + std::int64_t{k} * blockBytes, bytes.data(), bytes.size());
    file.Close();
}

bool SDFdata::ReadSdfHeader(const std::string& fileName, Prompter& prompter,
                            ProgressReporter& progress) {
    std::string start(SdfMaxHeaderBytes, '\0');
    {
        BinaryFile file(fileName, BinaryFile::Mode::Read);
        start.resize(file.ReadAt(0, start.data(), start.size()));
    }
    DecodedSdfHeader decoded{Header, 0};
    if (DecodeSdfHeader(start, decoded) != SdfHeaderCheck::Ok) {
        prompter.ShowMessage(MessageKind::Error, FormatMessage, MessageButtons::Ok,
                             FormatHelpContext);
        return false;
    }
    if (decoded.Version != SdfCurrentVersion &&
        prompter.ShowMessage(MessageKind::Confirmation, OldLayoutQuestion, MessageButtons::YesNo) !=
            MessageAnswer::Yes)
        return false;
    Header = decoded.Header;
    if (decoded.Version < SdfCurrentVersion &&
        !UpgradeSdfFile(*this, decoded.Version, fileName, progress))
        return false;
    AllocateBlockBuffers();
    return true;
}

} // namespace tavrel
