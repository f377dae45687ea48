#include "cli/CliCommands.h"
#include "cli/CliLanguage.h"
#include "cli/CliSupport.h"

#include "datafiles/DataFileFormats.h"
#include "datafiles/DataFileReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "text/Messages.h"
#include "text/RealText.h"
#include "text/ShiftJis.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <vector>

namespace tavrel::cli {
namespace {

struct FileHeader {
    std::string Format; // the data format's id
    StoredHeader Stored;
    TriggerSettings Trigger;            // what started the bursts
    std::vector<BurstTrigger> Triggers; // each burst's, when a trigger started them
};

constexpr const char* EdgeIds[] = {"rising", "falling", "either"};
constexpr const char* OriginIds[] = {"scheduled", "triggered", "timed out"};

// The trigger of a recording whose bursts started on one; a file that cannot be read further
// than its header has none to show.
void ReadTriggers(const std::string& fileName, FileHeader& f) {
    try {
        const std::unique_ptr<DataFileReader> reader = OpenDataFileReader(fileName);
        f.Trigger = reader->RecordedTrigger();
        if (f.Trigger.Start == BurstStart::Trigger)
            for (std::int64_t k = 0; k < reader->Bursts(); ++k)
                f.Triggers.push_back(reader->TriggerOf(k));
    } catch (const std::exception&) {
    }
}

// The header of a data file, as the file holds it (an old sdf file is not upgraded).
std::optional<FileHeader> ReadHeader(const std::string& fileName, std::string& error) {
    const DataFormat* format = SniffDataFile(fileName);
    std::optional<StoredHeader> stored;
    if (format)
        stored = format->ReadHeader(fileName, DefaultMeasurementHeader());
    if (!stored) {
        error = Sentences(CannotReadMessage(fileName), FormatMessage);
        return std::nullopt;
    }
    FileHeader f{std::string(format->Id), std::move(*stored), {}, {}};
    ReadTriggers(fileName, f);
    return f;
}

std::string Utf8(std::string_view cp932) {
    return Cp932ToUtf8(cp932);
}

std::string_view WithoutPadding(std::string_view cp932) {
    while (!cp932.empty() && (cp932.back() == ' ' || cp932.back() == '\0'))
        cp932.remove_suffix(1);
    return cp932;
}

// A CP932 text takes as many columns of a terminal as it has bytes (a double-byte character
// is a wide one), so it is padded by its bytes, not by its UTF-8 length.
std::string Padded(std::string_view cp932, std::size_t columns) {
    cp932 = WithoutPadding(cp932);
    return Utf8(cp932) + std::string(columns - std::min(columns, cp932.size()), ' ');
}

std::string Interval(std::int32_t value, int unit) {
    const std::string_view name = TimeUnitName(unit);
    return std::to_string(value) + " " + (name.empty() ? "?" : std::string(name));
}

// JSON readers show -0.0 as "-0.0"; a zero is a zero.
double Plain(double value) {
    return value == 0 ? 0.0 : value;
}

// Null when the year has no four-digit form.
nlohmann::json IsoStartTime(double dateTime) {
    const std::string text = FormatIsoDateTime(dateTime);
    if (text.empty())
        return nullptr;
    return text;
}

nlohmann::json ToJson(const FileHeader& f) {
    const MeasurementHeader& h = f.Stored.Header;
    nlohmann::json j;
    j["Format"] = f.Format;
    j["Version"] = f.Stored.Version;
    j["Comment"] = Utf8(WithoutCommentPadding(h.Comment.Bytes()));
    j["ChannelCount"] = h.ChannelCount;
    j["ExtraChannelCount"] = h.ExtraChannelCount;
    j["BurstCount"] = h.BurstCount;
    j["SampleCount"] = h.SampleCount;
    j["SamplingInterval"] = h.SamplingInterval;
    j["SamplingUnit"] = h.SamplingUnit;
    j["BurstInterval"] = h.BurstInterval;
    j["BurstUnit"] = h.BurstUnit;
    j["StartTime"] = Plain(h.StartTime);
    j["StartTimeText"] = FormatFileDateTime(h.StartTime);
    j["StartTimeIso"] = IsoStartTime(h.StartTime);
    if (f.Stored.BlocksPresent)
        j["BlocksPresent"] = *f.Stored.BlocksPresent;
    nlohmann::json channels = nlohmann::json::array();
    for (int i = 0; i < h.EntryCount(); ++i) {
        const auto e = static_cast<std::size_t>(i);
        channels.push_back({{"ChannelName", Utf8(h.ChannelName[e].Bytes())},
                            {"ChannelUnit", Utf8(h.ChannelUnit[e].Bytes())},
                            {"CoefA", Plain(h.CoefA[e])},
                            {"CoefB", Plain(h.CoefB[e])}});
    }
    j["Channels"] = channels;
    const TriggerSettings& t = f.Trigger;
    if (t.Start != BurstStart::Trigger)
        return j;
    j["Trigger"] = {{"Channel", t.Channel + 1},
                    {"Edge", EdgeIds[static_cast<int>(t.Edge)]},
                    {"Level", t.Level},
                    {"Hysteresis", t.Hysteresis},
                    {"PreTriggerPercent", t.PreTriggerPercent},
                    {"HoldOffSeconds", t.HoldOffSeconds},
                    {"AutoTimeoutSeconds", t.AutoTimeoutSeconds}};
    nlohmann::json bursts = nlohmann::json::array();
    for (const BurstTrigger& b : f.Triggers)
        bursts.push_back({{"Origin", OriginIds[static_cast<int>(b.Origin)]},
                          {"TriggerScan", b.Scan},
                          {"TriggerTime", b.TimeSeconds},
                          {"TriggerTimeIso", FormatIsoEpochSeconds(b.TimeSeconds)}});
    j["BurstTriggers"] = bursts;
    return j;
}

void PrintForAPerson(const std::string& fileName, const FileHeader& f) {
    const StoredHeader& s = f.Stored;
    const MeasurementHeader& h = s.Header;
    // The labels of the window's entries, so the output reads like the parameter pages.
    const auto line = [](const std::string& text) { std::printf("%s\n", text.c_str()); };
    line(Fill(Tr("cli", "ファイル名：%1"), fileName));
    line(Fill(Tr("cli", "保存形式：%1 バージョン %2"), f.Format, std::to_string(s.Version)) +
         (s.OldLayout ? Tr("cli", "（旧形式。バージョン 1 の間隔は msec）") : ""));
    line(Fill(Tr("cli", "コメント：%1"), Utf8(WithoutCommentPadding(h.Comment.Bytes()))));
    line(Fill(Tr("cli", "開始時刻：%1"), FormatFileDateTime(h.StartTime)));
    line(Fill(Tr("cli", "サンプリング間隔：%1"), Interval(h.SamplingInterval, h.SamplingUnit)));
    line(Fill(Tr("cli", "サンプリング個数：%1"), std::to_string(h.SampleCount)));
    line(Fill(Tr("cli", "バースト記録回数：%1"), std::to_string(h.BurstCount)));
    line(Fill(Tr("cli", "バースト時間間隔：%1"), Interval(h.BurstInterval, h.BurstUnit)));
    line(Fill(Tr("cli", "チャンネル数：%1（付加チャンネル %2）"), std::to_string(h.ChannelCount),
              std::to_string(h.ExtraChannelCount)));
    if (s.BlocksPresent)
        line(Fill(Tr("cli", "ブロック数：%1"), std::to_string(*s.BlocksPresent)) +
             (s.PartialBlock ? Tr("cli", "（末尾に不完全なブロックあり）") : ""));
    for (int i = 0; i < h.EntryCount(); ++i) {
        const auto e = static_cast<std::size_t>(i);
        const std::string b = FormatGeneralReal(h.CoefB[e]);
        const bool negative = b.starts_with('-');
        std::printf(
            "  %2d %s [%s]%s  Y = %s X %c %s%s\n", i + 1,
            Padded(h.ChannelName[e].Bytes(), 16).c_str(),
            Utf8(WithoutPadding(h.ChannelUnit[e].Bytes())).c_str(),
            std::string(
                8 - std::min<std::size_t>(8, WithoutPadding(h.ChannelUnit[e].Bytes()).size()), ' ')
                .c_str(),
            FormatGeneralReal(h.CoefA[e]).c_str(), negative ? '-' : '+',
            b.c_str() + (negative ? 1 : 0),
            i >= h.ChannelCount ? ("  " + Tr("cli", "（付加）")).c_str() : "");
    }
    const TriggerSettings& t = f.Trigger;
    if (t.Start != BurstStart::Trigger)
        return;
    const std::string edges[] = {Tr("cli", "立ち上がり"), Tr("cli", "立ち下がり"),
                                 Tr("cli", "両方")};
    line(Fill(Tr("cli", "トリガ：チャンネル %1、%2、レベル %3、ヒステリシス %4"),
              std::to_string(t.Channel + 1), edges[static_cast<int>(t.Edge)],
              FormatGeneralReal(t.Level), FormatGeneralReal(t.Hysteresis)));
    line(Fill(Tr("cli", "プリトリガ：%1 %、ホールドオフ：%2 秒、オートタイムアウト：%3 秒"),
              std::to_string(t.PreTriggerPercent), FormatGeneralReal(t.HoldOffSeconds),
              FormatGeneralReal(t.AutoTimeoutSeconds)));
    if (!f.Triggers.empty())
        line(Tr("cli", "  No.  トリガ時刻                    トリガ位置"));
    for (std::size_t k = 0; k < f.Triggers.size(); ++k) {
        const BurstTrigger& b = f.Triggers[k];
        std::printf("  %4zu %-29s %8lld%s\n", k + 1, FormatIsoEpochSeconds(b.TimeSeconds).c_str(),
                    static_cast<long long>(b.Scan),
                    b.Origin == BurstOrigin::TimedOut ? ("  " + Tr("cli", "タイムアウト")).c_str()
                                                      : "");
    }
}

} // namespace

Command AddInfoCommand(CLI::App& app) {
    struct Options {
        std::string File;
        bool Json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("info", "Print the header of an sdf, tsd or hdf5 file");
    sub->add_option("FILE", options->File, "The data file")->required();
    sub->add_flag("--json", options->Json, "Print the header as JSON");
    return {sub, [options] {
                std::string error;
                const auto header = ReadHeader(options->File, error);
                if (!header)
                    return Fail(Verbatim(error));
                if (options->Json)
                    std::printf("%s\n", ToJson(*header).dump(2).c_str());
                else
                    PrintForAPerson(options->File, *header);
                return std::fflush(stdout) == 0 ? 0 : Fail(Tr("cli", "標準出力に書き込めません。"));
            }};
}

} // namespace tavrel::cli
