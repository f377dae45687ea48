// Start-up of the window program on the offscreen platform: from main() to the about box
// shown, and to the main window ready after the box was closed. Each run is a fresh process;
// the figures are the medians.
#include "BenchSupport.h"
#include "acquisition/Clock.h"
#include "acquisition/simulated/SimulatedCard.h"
#include "acquisition/simulated/SimulatedDevice.h"
#include "ui/AboutBox.h"
#include "ui/MainWindow.h"
#include "widgets/FormFonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

class ShowWatcher : public QObject {
public:
    ShowWatcher(QElapsedTimer& clock, qint64& shownAt) : clock_(clock), shownAt_(shownAt) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && shownAt_ < 0) {
            shownAt_ = clock_.nsecsElapsed();
            auto* box = static_cast<QDialog*>(watched);
            QTimer::singleShot(0, box, &QDialog::accept); // the operator's OK
        }
        return false;
    }

private:
    QElapsedTimer& clock_;
    qint64& shownAt_;
};

int RunChild(int argc, char** argv, const QString& exeDir) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    tavrel::InstallFontSubstitutions();
    tavrel::SystemClock systemClock;
    tavrel::SimulatedCard card(systemClock);
    tavrel::SimulatedDevice device(card);
    tavrel::MainWindowOptions options;
    options.ExeDir = exeDir;
    options.ConfigDir = exeDir + "/config";
    tavrel::MainWindow window(device, options);
    qint64 aboutShown = -1, ready = -1, closedAt = -1;
    ShowWatcher watcher(clock, aboutShown);
    auto* about = window.findChild<tavrel::AboutBox*>(QStringLiteral("AboutBox"));
    if (!about)
        return 1;
    about->installEventFilter(&watcher);
    QObject::connect(about, &QDialog::finished, [&] { closedAt = clock.nsecsElapsed(); });
    QObject::connect(&window, &tavrel::MainWindow::StartUpFinished, [&] {
        ready = clock.nsecsElapsed();
        app.quit();
    });
    window.show();
    app.exec();
    std::printf("%lld %lld %lld\n", static_cast<long long>(aboutShown),
                static_cast<long long>(closedAt), static_cast<long long>(ready));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string_view(argv[1]) == "--child")
        return RunChild(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const int runs = 9;
    std::vector<double> about, readyAfterClose, ready, process;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(env);
        QElapsedTimer wall;
        wall.start();
        child.start(QCoreApplication::applicationFilePath(), {"--child", dir.path()});
        if (!child.waitForFinished(30000)) {
            std::fprintf(stderr, "child did not finish\n");
            return 1;
        }
        process.push_back(wall.nsecsElapsed() / 1e6);
        long long a = 0, c = 0, r = 0;
        if (std::sscanf(child.readAllStandardOutput().constData(), "%lld %lld %lld", &a, &c, &r) !=
                3 ||
            a < 0 || r < 0) {
            std::fprintf(stderr, "child gave no figures\n");
            return 1;
        }
        about.push_back(a / 1e6);
        readyAfterClose.push_back((r - c) / 1e6);
        ready.push_back(r / 1e6);
    }
    std::printf("start-up, %d runs, medians (offscreen):\n", runs);
    std::printf("  main() to about box shown:            %8.1f ms\n", tavrel::bench::Median(about));
    std::printf("  about box closed to main window ready: %8.1f ms\n",
                tavrel::bench::Median(readyAfterClose));
    std::printf("  main() to main window ready:          %8.1f ms\n", tavrel::bench::Median(ready));
    std::printf("  whole process (spawn to exit):        %8.1f ms\n",
                tavrel::bench::Median(process));
    return 0;
}
