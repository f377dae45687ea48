#include "ui/FormFonts.h"
#include "ui/ProgramIcon.h"
#include "ui/Translations.h"
#include "viewer/ViewerWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// Reads the command line before any window exists, so that --help and --version work without a
// display. Ends the program for --help, --version (0) and a wrong command line (2); else gives
// the file to open, or an empty text.
QString ParseCommandLine(int argc, char** argv) {
    const QCoreApplication core(argc, argv);
    tavrel::InstallTranslations(QLocale::system());
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("viewer", "TavrelREX ビューア: 記録したデータファイルの表示"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version(
        QStringLiteral("version"),
        QCoreApplication::translate("viewer", "バージョンを表示します。"));
    parser.addOption(version);
    // Qt's own window options ("-platform offscreen"...) are taken over by QApplication later.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char* name : {"platform", "platformtheme", "style", "stylesheet", "display",
                             "qwindowgeometry", "qwindowtitle", "qwindowicon"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QCoreApplication::translate("viewer", "表示するデータファイル (.sdf, .tsd)"),
        QStringLiteral("[file]"));
    if (!parser.parse(QCoreApplication::arguments()) || parser.positionalArguments().size() > 1) {
        const QString error =
            parser.errorText().isEmpty()
                ? QCoreApplication::translate("viewer", "ファイルは一つだけです。")
                : parser.errorText();
        std::fprintf(stderr, "tavrelrex-view: %s\n", error.toLocal8Bit().constData());
        std::exit(2);
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version)) {
        std::printf("tavrelrex-view %s\n", TAVREL_VERSION);
        std::exit(0);
    }
    const QString file = parser.positionalArguments().value(0);
    return file.isEmpty() ? file : QFileInfo(file).absoluteFilePath();
}

} // namespace

int main(int argc, char** argv) {
    const QString file = ParseCommandLine(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TavrelREX"));
    QApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));
    tavrel::InstallTranslations(QLocale::system());
    QApplication::setWindowIcon(tavrel::ProgramIcon());
    tavrel::InstallFontSubstitutions();

    tavrel::ViewerWindow window;
    window.show();
    // Opened once the window shows, so a message about the file has a window to sit on.
    if (!file.isEmpty())
        QTimer::singleShot(0, &window, [&window, file] { window.OpenFile(file); });
    return app.exec();
}
