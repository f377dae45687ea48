#include "acquisition/DeviceSwitch.h"
#include "ui/FormFonts.h"
#include "ui/MainWindow.h"
#include "ui/MeasurementControl.h"
#include "ui/ProgramIcon.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

// A failure that no handler caught is shown with its own text, and the program goes on.
class TavrelApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(activeWindow(), tavrel::CoreText("エラー"),
                                  tavrel::CoreText(e.what()));
        } catch (...) {
            QMessageBox::critical(
                activeWindow(), tavrel::CoreText("エラー"),
                QCoreApplication::translate("main", "予期しないエラーが発生しました。"));
        }
        return false;
    }
};

// Reads the command line before any window exists, so that --help and --version work without a
// display. Ends the program for --help, --version (0) and a wrong command line (2); else gives
// the file to load, or an empty text.
QString ParseCommandLine(int argc, char** argv) {
    const QCoreApplication core(argc, argv);
    // The help speaks the window's language.
    tavrel::InstallTranslations(QLocale::system());
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "TavrelREX: A/D カードによるバースト計測と記録"));
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
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QCoreApplication::translate("main",
                                    "起動後に読み込むパラメータファイル (.apm, .sdf, .tsd)"),
        QStringLiteral("[file]"));
    if (!parser.parse(QCoreApplication::arguments()) || parser.positionalArguments().size() > 1) {
        const QString error = parser.errorText().isEmpty()
                                  ? QCoreApplication::translate("main", "ファイルは一つだけです。")
                                  : parser.errorText();
        std::fprintf(stderr, "tavrelrex: %s\n", error.toLocal8Bit().constData());
        std::exit(2);
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version)) {
        std::printf("tavrelrex %s\n", TAVREL_VERSION);
        std::exit(0);
    }
    // Absolute now: the load happens later, whatever the working directory is then.
    const QString file = parser.positionalArguments().value(0);
    return file.isEmpty() ? file : QFileInfo(file).absoluteFilePath();
}

} // namespace

int main(int argc, char** argv) {
    const QString file = ParseCommandLine(argc, argv);
    TavrelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TavrelREX"));
    QApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));
    tavrel::InstallTranslations(QLocale::system());
    QApplication::setWindowIcon(tavrel::ProgramIcon());
    // The program ends when the main window says so, not when some window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    tavrel::InstallFontSubstitutions();

    tavrel::SystemClock clock;
    tavrel::DeviceSwitch card(clock);
    tavrel::MainWindowOptions options;
    options.Devices = &card;
    tavrel::MainWindow window(card, options);
    tavrel::MeasurementControl measurement(window, clock);
    QObject::connect(&window, &tavrel::MainWindow::ProgramEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    // A file given on the command line (a file manager's "open with") wins over "default.apm".
    if (!file.isEmpty())
        QObject::connect(&window, &tavrel::MainWindow::StartUpFinished, &window,
                         [&window, file] { window.LoadParametersFrom(file); });
    window.show();
    return app.exec();
}
