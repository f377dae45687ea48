#include "cli/CliCommands.h"
#include "cli/CliLanguage.h"
#include "cli/CliSupport.h"

#include "datafiles/DataFileRepair.h"
#include "text/Messages.h"

#include <cstdio>
#include <memory>

namespace tavrel::cli {
namespace {

int Repair(const std::string& fileName) {
    const DataFileCheck c = RepairDataFile(fileName);
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
    return 0;
}

} // namespace

Command AddRepairCommand(CLI::App& app) {
    auto fileName = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand(
        "repair", "Make an sdf or tsd file consistent: the header's burst count set to the whole "
                  "blocks, a cut block removed (a consistent file is left as it is)");
    sub->add_option("FILE", *fileName, "The sdf or tsd file")->required();
    return {sub, [fileName] { return Repair(*fileName); }};
}

} // namespace tavrel::cli
