#include "widgets/ProgramCommandLine.h"

#include "widgets/Translations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace tavrel {

QString ParseProgramCommandLine(int argc, char** argv, const char* program, const char* description,
                                const char* fileHelp) {
    const QCoreApplication core(argc, argv);
    // The help speaks the window's language.
    InstallTranslations(QLocale::system());
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate("main", description));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version(
        QStringLiteral("version"), QCoreApplication::translate("main", "バージョンを表示します。"));
    parser.addOption(version);
    // Qt's own window options ("-platform offscreen"...) are taken over by QApplication later.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char* name : {"platform", "platformtheme", "style", "stylesheet", "display",
                             "qwindowgeometry", "qwindowtitle", "qwindowicon"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    QCommandLineOption reverse(QStringLiteral("reverse"));
    reverse.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(reverse);
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QCoreApplication::translate("main", fileHelp),
                                 QStringLiteral("[file]"));
    if (!parser.parse(QCoreApplication::arguments()) || parser.positionalArguments().size() > 1) {
        const QString error = parser.errorText().isEmpty()
                                  ? QCoreApplication::translate("main", "ファイルは一つだけです。")
                                  : parser.errorText();
        std::fprintf(stderr, "%s: %s\n", program, error.toLocal8Bit().constData());
        std::exit(2);
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version)) {
        std::printf("%s %s\n", program, TAVREL_VERSION);
        std::exit(0);
    }
    const QString file = parser.positionalArguments().value(0);
    return file.isEmpty() ? file : QFileInfo(file).absoluteFilePath();
}

} // namespace tavrel
