#include "datafiles/ParameterFile.h"

#include "datafiles/io/AtomicReplace.h"
#include "datafiles/io/BinaryFile.h"
#include "datafiles/io/TextLineReader.h"
#include "datafiles/tsd/TsdFile.h"
#include "model/FileError.h"
#include "text/Messages.h"
#include "text/RealText.h"
#include "text/ShiftJis.h"
#include "text/TextNumbers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <vector>

namespace tavrel {
namespace {

constexpr int FixedLinesBeforeRows = 8;
constexpr std::string_view TriggerKey = "Trigger=";
constexpr int TriggerModeItems = 2;
constexpr int TriggerEdgeItems = 3;
constexpr std::size_t TriggerItemFields = 3;
constexpr std::size_t TriggerFields = 8;

// The texts in the order of the line; Entries is TriggerEntries, const or not.
template <class Entries> auto TriggerTexts(Entries& t) {
    return std::array{&t.Level, &t.Hysteresis, &t.PreTrigger, &t.HoldOff, &t.AutoTimeout};
}

// Texts in apostrophes, so that a comma typed into one reads back as text.
std::string TriggerLine(const TriggerEntries& t) {
    std::string line(TriggerKey);
    line += std::to_string(t.Mode) + "," + std::to_string(t.Channel) + "," + std::to_string(t.Edge);
    for (const std::string* text : TriggerTexts(t))
        line += "," + QuoteText(*text);
    return line;
}

// Nullopt when the line is not a whole trigger line with every index naming an item.
std::optional<TriggerEntries> ParseTriggerLine(std::string_view line) {
    if (!line.starts_with(TriggerKey))
        return std::nullopt;
    const auto fields = SplitQuotedFields(line.substr(TriggerKey.size()));
    if (fields.size() != TriggerFields)
        return std::nullopt;
    TriggerEntries t;
    int* items[] = {&t.Mode, &t.Channel, &t.Edge};
    const int itemCounts[] = {TriggerModeItems, static_cast<int>(ChNumItems.size()),
                              TriggerEdgeItems};
    for (std::size_t i = 0; i < TriggerItemFields; ++i) {
        const auto item = ParseInteger(fields[i], 0, itemCounts[i] - 1);
        if (!item)
            return std::nullopt;
        *items[i] = static_cast<int>(*item);
    }
    std::size_t f = TriggerItemFields;
    for (std::string* text : TriggerTexts(t)) {
        const std::string& field = fields[f++];
        if (field.size() < 2 || field.front() != '\'' || field.back() != '\'')
            return std::nullopt;
        *text = StripQuotes(field);
    }
    return t;
}

// Line breaks would split the line: each becomes one space.
std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += ' ';
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string ToCp932(std::string_view utf8, const std::string& fileName) {
    auto cp932 = Utf8ToCp932(utf8);
    if (!cp932)
        throw FileError(NotCp932Message(fileName));
    return std::move(*cp932);
}

// An item index: out of the box's range means no selection.
int ItemOrNone(std::int64_t index, int items) {
    return index >= 0 && index < items ? static_cast<int>(index) : -1;
}

} // namespace

void SaveParameterFile(const MainEntries& entries, MeasurementHeader& header,
                       const std::string& fileName) {
    std::string text;
    auto line = [&](std::string_view utf8) {
        text += ToCp932(OneLine(utf8), fileName);
        text += "\r\n";
    };
    line(entries.EditWaitTime);
    line(entries.EditIteration);
    line(entries.EditBurstInterval);
    line(std::to_string(entries.ComboBoxBITUnit));
    line(entries.EditSInterval);
    line(std::to_string(entries.ComboSampUnit));
    line(entries.EditDataNum);
    // The rows written follow the channel count; line 8 names the item of that count, so the
    // file reads back with as many rows even when the count was typed into the box.
    const int rows = std::clamp<int>(header.ChannelCount, 0, ChannelEntryCount);
    line(std::to_string(rows >= 1 && rows <= static_cast<int>(ChNumItems.size())
                            ? rows - 1
                            : entries.ComboChNumIndex));
    for (int r = 1; r <= rows; ++r) {
        const auto row = static_cast<std::size_t>(r);
        MainEntries::GridRow cells;
        if (row < entries.GridCells.size())
            cells = entries.GridCells[row];
        line(cells[1] + "," + cells[2] + "," + cells[3] + "," + cells[4]);
    }
    const std::string comment = ToCp932(entries.Memo1, fileName);
    text += QuoteText(Cp932Cut(comment, decltype(header.Comment)::capacity));
    text += "\r\n";
    line(std::to_string(entries.RadioGroupFileType));
    line(entries.EditFileName);
    line(entries.ApplicationPath);
    // Only a trigger set up adds its line: other files stay as the program always wrote them.
    if (entries.Trigger != TriggerEntries{})
        line(TriggerLine(entries.Trigger));

    // Written beside the file and renamed over it: a failure leaves the old file whole.
    const std::string tempPrefix = fileName.substr(fileName.find_last_of('/') + 1) + ".$$$";
    ReplaceFileAtomically(
        fileName, tempPrefix,
        [&](const std::string& tempName) {
            try {
                BinaryFile file(tempName, BinaryFile::Mode::Temporary);
                file.Write(text.data(), text.size());
                file.Close();
            } catch (const FileError&) {
                throw FileError(CannotWriteMessage(fileName));
            }
            return true;
        },
        CannotWriteMessage(fileName));
    header.Comment.Assign(comment);
}

bool LoadParameterFile(MainEntries& entries, const std::string& fileName) {
    FileSource file(fileName);
    return LoadParameterFile(entries, file);
}

bool LoadParameterFile(MainEntries& entries, ByteSource& source) {
    TextLineReader reader(source);
    reader.LimitLineLength(MaxHeaderLineBytes);
    if (reader.AtEnd())
        return false; // not even the first line
    auto next = [&]() -> std::optional<std::string> {
        if (reader.AtEnd())
            return std::nullopt;
        return Cp932ToUtf8(reader.ReadLine());
    };
    auto index = [](const std::optional<std::string>& line) {
        return line ? ParseInteger(*line, -2147483648LL, 2147483647LL) : std::nullopt;
    };

    // Read and check everything before any entry changes.
    std::vector<std::optional<std::string>> fixed;
    for (int i = 0; i < FixedLinesBeforeRows; ++i)
        fixed.push_back(next());
    const auto bitUnit = index(fixed[3]);
    const auto sampUnit = index(fixed[5]);
    const auto chIndex = index(fixed[7]);
    if ((fixed[3] && !bitUnit) || (fixed[5] && !sampUnit) || (fixed[7] && !chIndex))
        return false;
    if (chIndex && ItemOrNone(*chIndex, static_cast<int>(ChNumItems.size())) < 0)
        return false; // no channel count to lay the rows out by
    // An index outside its box would silently keep the unit chosen before.
    if ((bitUnit && ItemOrNone(*bitUnit, static_cast<int>(BitUnitItems.size())) < 0) ||
        (sampUnit && ItemOrNone(*sampUnit, static_cast<int>(SampUnitItems.size())) < 0))
        return false;
    const int rows = chIndex ? static_cast<int>(*chIndex) + 1 : 0;
    std::vector<std::optional<std::string>> rowLines;
    for (int r = 0; r < rows; ++r)
        rowLines.push_back(next());
    const auto commentLine = next();
    const auto fileTypeLine = next();
    const auto dataFileLine = next();
    const auto applicationLine = next();
    const auto triggerLine = next();
    if (reader.LineTooLong())
        return false;
    std::optional<TriggerEntries> trigger;
    if (triggerLine && !triggerLine->empty()) {
        trigger = ParseTriggerLine(*triggerLine);
        if (!trigger)
            return false;
    }

    std::string comment;
    if (commentLine) {
        const std::string& c = *commentLine;
        if (c.size() < 2 || c.front() != '\'' || c.back() != '\'')
            return false;
        comment = StripQuotes(c);
    }
    const auto fileType = index(fileTypeLine);
    if (fileTypeLine && (!fileType || *fileType < 0 || *fileType > 2))
        return false;

    // Apply. A line missing at the end reads as empty: an empty text, no item selected.
    std::string* texts[] = {&entries.EditWaitTime,      &entries.EditIteration,
                            &entries.EditBurstInterval, nullptr,
                            &entries.EditSInterval,     nullptr,
                            &entries.EditDataNum};
    for (int i = 0; i < 7; ++i)
        if (texts[i] != nullptr)
            *texts[i] = fixed[static_cast<std::size_t>(i)].value_or(std::string{});
    entries.ComboBoxBITUnit = bitUnit ? static_cast<int>(*bitUnit) : -1;
    entries.ComboSampUnit = sampUnit ? static_cast<int>(*sampUnit) : -1;
    if (chIndex) {
        entries.SelectChannelItem(static_cast<int>(*chIndex));
        entries.GridRowCount = rows + 1;
        entries.EnsureGridRows(rows + 1);
    }
    for (int r = 1; r <= rows; ++r) {
        const auto& rowLine = rowLines[static_cast<std::size_t>(r - 1)];
        auto& cells = entries.GridCells[static_cast<std::size_t>(r)];
        cells = MainEntries::GridRow{};
        cells[0] = std::to_string(r);
        const auto fields = SplitFields(rowLine.value_or(std::string{}));
        for (std::size_t c = 0; c < fields.size() && c + 1 < cells.size(); ++c)
            cells[c + 1] = fields[c];
    }
    entries.Memo1 = comment;
    entries.RadioGroupFileType = fileType ? static_cast<int>(*fileType) : -1;
    entries.EditFileName = dataFileLine.value_or(std::string{});
    entries.ApplicationPath = applicationLine.value_or(std::string{});
    // A file from before triggers measures on the schedule.
    entries.Trigger = trigger.value_or(TriggerEntries{});
    return true;
}

std::optional<Message> ChannelCountRefusal(const MeasurementHeader& h) {
    if (h.ChannelCount >= 1 && h.ChannelCount <= MaxChannels)
        return std::nullopt;
    return ChannelCountNotShownMessage(h.ChannelCount);
}

void PutHeaderInEntries(const MeasurementHeader& h, MainEntries& entries,
                        std::uint16_t& driverRateUnit) {
    entries.EditIteration = std::to_string(h.BurstCount);
    entries.EditBurstInterval = std::to_string(h.BurstInterval);
    entries.EditSInterval = std::to_string(h.SamplingInterval);
    entries.EditDataNum = std::to_string(h.SampleCount);
    entries.ComboBoxBITUnit =
        ItemOrNone(int{h.BurstUnit} - 2, static_cast<int>(BitUnitItems.size()));
    if (h.SamplingUnit <= 2)
        driverRateUnit = static_cast<std::uint16_t>(2 - h.SamplingUnit);
    entries.ComboSampUnit = ItemOrNone(driverRateUnit, static_cast<int>(SampUnitItems.size()));
    const int channels = h.ChannelCount;
    entries.SelectChannelItem(channels - 1);
    entries.GridRowCount = channels + 1;
    entries.EnsureGridRows(channels + 1);
    for (int i = 0; i < channels; ++i) {
        const auto e = static_cast<std::size_t>(i);
        auto& cells = entries.GridCells[e + 1];
        cells[0] = std::to_string(i + 1);
        cells[1] = Cp932ToUtf8(h.ChannelName[e].Bytes());
        cells[2] = Cp932ToUtf8(h.ChannelUnit[e].Bytes());
        cells[3] = FormatGeneralReal(h.CoefA[e]);
        cells[4] = FormatGeneralReal(h.CoefB[e]);
    }
    entries.Memo1 = Cp932ToUtf8(h.Comment.Bytes());
}

} // namespace tavrel
