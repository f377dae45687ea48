#include "cli/CliCommands.h"
#include "cli/CliLanguage.h"
#include "cli/CliSupport.h"

#include "datafiles/sdf/SdfToTsd.h"
#include "text/Messages.h"

#include <cstdio>
#include <memory>

namespace tavrel::cli {
namespace {

int Convert(const std::string& in, const std::string& out) {
    TerminalProgress progress;
    const SdfToTsdResult r = ConvertSdfToTsd(in, out, progress);
    switch (r.Outcome) {
    case SdfToTsdResult::Outcome::NotSdf:
        return Fail(Verbatim(Sentences(CannotReadMessage(in), FormatMessage)));
    case SdfToTsdResult::Outcome::Cancelled:
        Note(Fill(Tr("cli", "中止しました。ファイル「%1」は書き込んでいません。"), out));
        return 130;
    case SdfToTsdResult::Outcome::Written:
        break;
    }
    // What the tsd file leaves out of the sdf file, as notes after a success.
    if (r.PartialBlockLeftOut)
        Note(Fill(Tr("cli", "ファイル「%1」の末尾にある不完全なブロック %2 は変換しません。"), in,
                  std::to_string(r.BlocksWritten + 1)));
    if (r.BlocksWritten < r.BurstsPlanned)
        Note(Fill(Tr("cli", "ファイル「%1」には %2 回のバーストのうち %3 回分のブロックがあります。"
                            "tsd のバースト回数は %3 です。"),
                  in, std::to_string(r.BurstsPlanned), std::to_string(r.BlocksWritten)));
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
