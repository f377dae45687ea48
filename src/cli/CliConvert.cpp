#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

#include "datafiles/Messages.h"
#include "datafiles/SdfToTsd.h"

#include <cstdio>
#include <memory>

namespace tavrel::cli {
namespace {

int Convert(const std::string& in, const std::string& out) {
    TerminalProgress progress;
    const SdfToTsdResult r = ConvertSdfToTsd(in, out, progress);
    switch (r.Outcome) {
    case SdfToTsdResult::Outcome::NotSdf:
        return Fail(CannotReadMessage(in) + std::string(FormatMessage));
    case SdfToTsdResult::Outcome::Cancelled:
        std::fprintf(stderr, "tavrelrex-cli: 中止しました。ファイル「%s」は書き込んでいません。\n",
                     out.c_str());
        return 130;
    case SdfToTsdResult::Outcome::Written:
        break;
    }
    // What the tsd file leaves out of the sdf file, as notes after a success.
    if (r.PartialBlockLeftOut)
        std::fprintf(
            stderr,
            "tavrelrex-cli: ファイル「%s」の末尾にある不完全なブロック %lld は変換しません。\n",
            in.c_str(), static_cast<long long>(r.BlocksWritten + 1));
    if (r.BlocksWritten < r.BurstsPlanned)
        std::fprintf(
            stderr,
            "tavrelrex-cli: ファイル「%s」には %lld 回のバーストのうち %lld 回分のブロックが"
            "あります。tsd のバースト回数は %lld です。\n",
            in.c_str(), static_cast<long long>(r.BurstsPlanned),
            static_cast<long long>(r.BlocksWritten), static_cast<long long>(r.BlocksWritten));
    return 0;
}

} // namespace

Command AddConvertCommand(CLI::App& app) {
    struct Options {
        std::string In, Out;
    };
    auto options = std::make_shared<Options>();
    CLI::App* sub =
        app.add_subcommand("convert", "Write the Ver.2 tsd file of an sdf file (versions 1 to 4)");
    sub->add_option("IN", options->In, "The sdf file")->required();
    sub->add_option("OUT", options->Out, "The tsd file to write")->required();
    return {sub, [options] { return Convert(options->In, options->Out); }};
}

} // namespace tavrel::cli
