#include "cli/CliCommands.h"
#include "cli/CliLanguage.h"
#include "cli/CliSupport.h"

#include "datafiles/DataFileReader.h"
#include "export/Exporters.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

namespace tavrel::cli {
namespace {

struct Options {
    std::string In, Out, Format, Bursts, Channels, Encoding;
    bool Force = false;
    bool BurstsGiven = false, ChannelsGiven = false; // an empty list is no list
};

std::vector<std::string> ExporterIds() {
    std::vector<std::string> ids;
    for (const Exporter& e : Exporters())
        ids.emplace_back(e.Id);
    return ids;
}

int Usage(const std::string& message) {
    Fail(message);
    return UsageStatus;
}

int Export(const Options& o) {
    // --format is checked against the table's ids when it is parsed.
    const Exporter* exporter = o.Format.empty() ? ExporterOfName(o.Out) : ExporterOfId(o.Format);
    if (!exporter)
        return Usage(Fill(Tr("cli", "出力ファイル「%1」の拡張子から形式が決まりません。"
                                    "--format csv|hdf5|wav を指定して下さい。"),
                          o.Out));
    if (!o.Encoding.empty() && !exporter->Takes("encoding"))
        return Usage(Tr("cli", "--encoding は CSV の書き出しにだけ指定できます。"));
    // The form first, before the input is read; nothing is expanded yet (no count is 0).
    for (const auto& [given, list, name] : {std::tuple{o.BurstsGiven, &o.Bursts, "--bursts"},
                                            std::tuple{o.ChannelsGiven, &o.Channels, "--channels"}})
        if (given && !ParseNumberList(*list, 0))
            return Usage(Fill(Tr("cli", "%1 の「%2」は番号の並び（例：1,3-5）ではありません。"),
                              name, *list));

    std::unique_ptr<DataFileReader> reader;
    try {
        reader = OpenDataFileReader(o.In);
    } catch (const FileError& e) {
        if (e.GetMessage().Id == MessageId::Format)
            return Fail(Verbatim(Sentences(CannotReadMessage(o.In), FormatMessage)));
        throw;
    }
    // Against the file's counts: a list never grows past them.
    ExportSelection selection;
    if (o.BurstsGiven)
        selection.Bursts = *ParseNumberList(o.Bursts, reader->Bursts());
    if (o.ChannelsGiven) {
        const auto channels = ParseNumberList(
            o.Channels, std::clamp<int>(reader->Header().ChannelCount, 0, MaxSampledChannels));
        for (const std::int64_t c : *channels)
            selection.Channels.push_back(static_cast<int>(c));
    }
    // A selection the file cannot give is a usage error whatever its number: like --bursts 0.
    ResolvedSelection resolved;
    try {
        resolved = ResolveSelection(selection, *reader);
    } catch (const FileError& e) {
        return Usage(Shown(e.GetMessage()));
    }
    if (!o.Force)
        for (const std::string& name : OutputNames(*exporter, o.Out, resolved))
            if (std::filesystem::is_regular_file(name))
                return Fail(Fill(Tr("cli", "ファイル「%1」は既に存在します。上書きするには --force "
                                           "を付けて下さい。"),
                                 name));
    // Blocks the header counts but the file lacks: a whole export says so and fails, as
    // convert says it; an export of chosen whole bursts lacks nothing.
    const std::int64_t planned = reader->Header().BurstCount;
    const bool cut = selection.Bursts.empty() && reader->Bursts() < planned;
    TerminalProgress progress;
    ExportOptions options;
    options.Encoding = o.Encoding == "cp932" ? CsvEncoding::Cp932 : CsvEncoding::Utf8;
    if (!exporter->Write(*reader, selection, o.Out, options, progress)) {
        Note(Fill(Tr("cli", "中止しました。ファイル「%1」は書き込んでいません。"), o.Out));
        return 130;
    }
    if (cut)
        return Fail(
            Fill(Tr("cli", "ファイル「%1」には %2 回のバーストのうち %3 回分のブロックしかあり"
                           "ません。書き出したのは %3 回分です。"),
                 o.In, std::to_string(planned), std::to_string(reader->Bursts())));
    return 0;
}

} // namespace

Command AddExportCommand(CLI::App& app) {
    auto options = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand(
        "export", "Export an sdf (versions 1 to 4) or tsd file to CSV, HDF5 or WAV for analysis "
                  "tools");
    sub->add_option("IN", options->In, "The sdf, tsd or hdf5 file")->required();
    sub->add_option("OUT", options->Out,
                    "The file to write (several OUT-001.wav ... for WAV of several bursts)")
        ->required();
    sub->add_option("--format", options->Format, "csv, hdf5 or wav (default: from OUT's extension)")
        ->check(CLI::IsMember(ExporterIds()));
    sub->add_option("--bursts", options->Bursts,
                    "The bursts to export, 1-based: 1,3-5 (default all)");
    sub->add_option("--channels", options->Channels,
                    "The channels to export, 1-based: 1,3-5 (default all)");
    sub->add_flag("--force", options->Force, "Overwrite existing output files");
    sub->add_option("--encoding", options->Encoding, "CSV text: utf-8 (default, with BOM) or cp932")
        ->check(CLI::IsMember({"utf-8", "cp932"}));
    return {sub, [options, sub] {
                options->BurstsGiven = sub->count("--bursts") > 0;
                options->ChannelsGiven = sub->count("--channels") > 0;
                return Export(*options);
            }};
}

} // namespace tavrel::cli
