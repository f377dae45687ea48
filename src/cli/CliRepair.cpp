#include "cli/CliCommands.h"
#include "cli/CliLanguage.h"
#include "cli/CliSupport.h"

#include "datafiles/DataFileRepair.h"
#include "text/Messages.h"

#include <cstdio>
#include <memory>

namespace tavrel::cli {
namespace {

int Repair(const std::string& fileName, bool force) {
    const DataFileCheck c =
        RepairDataFile(fileName, force ? RepairMode::Forced : RepairMode::Proven);
    switch (c.Result) {
    case DataFileCheck::Outcome::NotDataFile:
        return Fail(Verbatim(Sentences(CannotReadMessage(fileName), FormatMessage)));
    case DataFileCheck::Outcome::Consistent:
        std::printf(
            "%s\n",
            Fill(
                Tr("cli", "ファイル「%1」はヘッダーとデータが一致しています。変更しませんでした。"),
                fileName)
                .c_str());
        return 0;
    case DataFileCheck::Outcome::Doubtful:
        if (!force && c.BadLine > 0)
            return Fail(
                Fill(Tr("cli", "ファイル「%1」の %2 行目がヘッダーの示すブロックの形と合いません。"
                               "変更しませんでした。それでも修復するには --force を付けて"
                               "下さい（元のファイルは残します）。"),
                     fileName, std::to_string(c.BadLine)));
        if (!force)
            return Fail(
                Fill(Tr("cli", "ファイル「%1」のヘッダーとデータが一致しません（バースト回数 "
                               "%2、完全なブロック %3、残り %4 バイト）。不完全な最後の"
                               "バーストとは確かめられないため、変更しませんでした。それでも"
                               "修復するには --force を付けて下さい（元のファイルは残します）。"),
                     fileName, std::to_string(c.HeaderBursts), std::to_string(c.WholeBlocks),
                     std::to_string(c.ExtraBytes)));
        break;
    case DataFileCheck::Outcome::Repairable:
        break;
    }
    std::string report =
        Fill(Tr("cli", "ファイル「%1」を修復しました。バースト回数：%2 → %3"), fileName,
             std::to_string(c.HeaderBursts), std::to_string(c.WholeBlocks));
    if (c.ExtraBytes > 0)
        report += Fill(Tr("cli", "、末尾の不完全なブロック %1 バイトを削除"),
                       std::to_string(c.ExtraBytes));
    std::printf("%s\n", report.c_str());
    if (!c.Backup.empty())
        std::printf("%s\n",
                    Fill(Tr("cli", "元のファイルを「%1」として残しました。"), c.Backup).c_str());
    return 0;
}

} // namespace

Command AddRepairCommand(CLI::App& app) {
    struct Options {
        std::string FileName;
        bool Force = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand(
        "repair", "Make an sdf or tsd file consistent: the header's burst count set to the whole "
                  "blocks, a cut block removed (a consistent file is left as it is)");
    sub->add_option("FILE", options->FileName, "The sdf or tsd file")->required();
    sub->add_flag("--force", options->Force,
                  "Repair also when the header and the data disagree in a way that is not an "
                  "incomplete last burst; the original is kept as FILE.bak");
    return {sub, [options] { return Repair(options->FileName, options->Force); }};
}

} // namespace tavrel::cli
