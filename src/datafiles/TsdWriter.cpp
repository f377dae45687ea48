#include "datafiles/TsdWriter.h"

#include "datafiles/BinaryFile.h"
#include "datafiles/FileError.h"
#include "datafiles/Messages.h"
#include "datafiles/SdfFile.h"
#include "datafiles/TsdRebuild.h"

namespace tavrel {
namespace {

// Counts the text form can carry: sampled channels within the block buffers and all
// entries within the channel table.
bool HasWritableCounts(const MeasurementHeader& h) {
    return h.ChannelCount >= 0 && h.ChannelCount <= MaxSampledChannels &&
           h.ExtraChannelCount >= 0 && h.ChannelCount + h.ExtraChannelCount <= ChannelEntryCount &&
           h.SampleCount >= 0;
}

} // namespace

TsdWriter::TsdWriter(std::string fileName) : DataFileWriter(std::move(fileName)) {}

TsdWriter::~TsdWriter() = default;

void TsdWriter::Begin(const MeasurementHeader& h) {
    WriteTsdHeader(h, FileName());
}

void TsdWriter::AppendBlock(int k, const SDFdata& data) {
    const MeasurementHeader& h = data.Header;
    if (!HasWritableCounts(h))
        throw FileError(TsdUnwritableCountsMessage(FileName()));
    if (!text_ || !(textHeader_ == h)) {
        text_ = std::make_unique<TsdBlockText>(h);
        textHeader_ = h;
    }
    EncodeBlockValues(data, values_);
    BinaryFile file(FileName(), BinaryFile::Mode::Append);
    const auto write = [&](const char* text, std::size_t size) { file.Write(text, size); };
    text_->Write(k, values_.data(), write);
    text_->Flush(write);
    file.Close();
}

void TsdWriter::Complete(const MeasurementHeader& h, int) {
    RebuildTsdFile(h, FileName());
}

} // namespace tavrel
