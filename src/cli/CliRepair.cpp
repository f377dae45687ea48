#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

#include "datafiles/DataFileRepair.h"
#include "datafiles/Messages.h"

#include <cstdio>
#include <memory>

namespace tavrel::cli {
namespace {

int Repair(const std::string& fileName) {
    const DataFileCheck c = RepairDataFile(fileName);
    switch (c.Result) {
    case DataFileCheck::Outcome::NotDataFile:
        return Fail(CannotReadMessage(fileName) + std::string(FormatMessage));
    case DataFileCheck::Outcome::Consistent:
        std::printf("ファイル「%s」はヘッダーとデータが一致しています。変更しませんでした。\n",
                    fileName.c_str());
        return 0;
    case DataFileCheck::Outcome::Repairable:
        break;
    }
    std::printf("ファイル「%s」を修復しました。バースト回数：%lld → %lld", fileName.c_str(),
                static_cast<long long>(c.HeaderBursts), static_cast<long long>(c.WholeBlocks));
    if (c.ExtraBytes > 0)
        std::printf("、末尾の不完全なブロック %lld バイトを削除",
                    static_cast<long long>(c.ExtraBytes));
    std::printf("\n");
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
