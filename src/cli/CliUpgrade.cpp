#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

#include "datafiles/Messages.h"
#include "datafiles/SDFdata.h"
#include "datafiles/SdfBlockReader.h"
#include "datafiles/SdfUpgrade.h"

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
            return Fail(CannotReadMessage(fileName) + std::string(FormatMessage));
        version = reader.Decoded().Version;
        data.Header = reader.Decoded().Header;
    }
    if (version == SdfCurrentVersion) {
        std::printf("ファイル「%s」は既にバージョン %d です。\n", fileName.c_str(),
                    SdfCurrentVersion);
        return 0;
    }
    TerminalProgress progress;
    if (!UpgradeSdfFile(data, version, fileName, progress)) {
        std::fprintf(stderr, "tavrelrex-cli: 中止しました。ファイル「%s」は元のままです。\n",
                     fileName.c_str());
        return 130;
    }
    std::printf("ファイル「%s」をバージョン %d からバージョン %d に更新しました。\n",
                fileName.c_str(), version, SdfCurrentVersion);
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
