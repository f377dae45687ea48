#include "cli/CliCommands.h"
#include "cli/CliLanguage.h"
#include "cli/CliSupport.h"

#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/sdf/SdfUpgrade.h"
#include "model/SDFdata.h"
#include "text/Messages.h"

#include <cstdio>
#include <memory>

namespace tavrel::cli {
namespace {

int Upgrade(const std::string& fileName) {
    int version = 0;
    SDFdata data;
    {
        SdfBlockReader reader(fileName);
        if (reader.Check() != SdfHeaderCheck::Ok)
            return Fail(Verbatim(Sentences(CannotReadMessage(fileName), FormatMessage)));
        version = reader.Decoded().Version;
        data.Header = reader.Decoded().Header;
    }
    if (version == SdfCurrentVersion) {
        std::printf("%s\n", Fill(Tr("cli", "ファイル「%1」は既にバージョン %2 です。"), fileName,
                                 std::to_string(SdfCurrentVersion))
                                .c_str());
        return 0;
    }
    TerminalProgress progress;
    if (!UpgradeSdfFile(data, version, fileName, progress)) {
        Note(Fill(Tr("cli", "中止しました。ファイル「%1」は元のままです。"), fileName));
        return 130;
    }
    std::printf("%s\n",
                Fill(Tr("cli", "ファイル「%1」をバージョン %2 からバージョン %3 に更新しました。"),
                     fileName, std::to_string(version), std::to_string(SdfCurrentVersion))
                    .c_str());
    return 0;
}

} // namespace

Command AddUpgradeCommand(CLI::App& app) {
    auto fileName = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand(
        "upgrade", "Rewrite an sdf file of version 1 to 3 as version 4, in place (Ctrl-C cancels)");
    sub->add_option("FILE", *fileName, "The sdf file")->required();
    return {sub, [fileName] { return Upgrade(*fileName); }};
}

} // namespace tavrel::cli
