#include "acquisition/DeviceSwitch.h"
#include "model/FileError.h"
#include "ui/MainWindow.h"
#include "widgets/FormFonts.h"
#include "widgets/ProgramCommandLine.h"
#include "widgets/ProgramIcon.h"
#include "widgets/Translations.h"

#include <QApplication>
#include <QMessageBox>

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
            QMessageBox::critical(
                activeWindow(), tavrel::CoreText(tavrel::Message{tavrel::MessageId::CaptionError}),
                tavrel::CoreText(tavrel::MessageOf(e)));
        } catch (...) {
            QMessageBox::critical(
                activeWindow(), tavrel::CoreText(tavrel::Message{tavrel::MessageId::CaptionError}),
                QCoreApplication::translate("main", "予期しないエラーが発生しました。"));
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    const QString file = tavrel::ParseProgramCommandLine(
        argc, argv, "tavrelrex",
        QT_TRANSLATE_NOOP("main", "TavrelREX: A/D カードによるバースト計測と記録"),
        QT_TRANSLATE_NOOP("main", "起動後に読み込むパラメータファイル (.apm, .sdf, .tsd)"));
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
    options.RunClock = &clock;
    tavrel::MainWindow window(card, options);
    QObject::connect(&window, &tavrel::MainWindow::ProgramEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    // A file given on the command line (a file manager's "open with") wins over "default.apm".
    if (!file.isEmpty())
        QObject::connect(&window, &tavrel::MainWindow::StartUpFinished, &window,
                         [&window, file] { window.LoadParametersFrom(file); });
    window.show();
    return app.exec();
}
