#include "acquisition/SimulatedCard.h"
#include "ui/FormFonts.h"
#include "ui/MainWindow.h"
#include "ui/MeasurementControl.h"
#include "ui/ProgramIcon.h"

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
            QMessageBox::critical(activeWindow(), QStringLiteral("エラー"),
                                  QString::fromUtf8(e.what()));
        } catch (...) {
            QMessageBox::critical(activeWindow(), QStringLiteral("エラー"),
                                  QStringLiteral("予期しないエラーが発生しました。"));
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    TavrelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TavrelREX"));
    QApplication::setWindowIcon(tavrel::ProgramIcon());
    // The program ends when the main window says so, not when some window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    tavrel::InstallFontSubstitutions();

    tavrel::SystemClock clock;
    tavrel::SimulatedCard card(clock);
    tavrel::MainWindow window(card);
    tavrel::MeasurementControl measurement(window, clock);
    QObject::connect(&window, &tavrel::MainWindow::ProgramEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return app.exec();
}
