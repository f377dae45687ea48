#include "viewer/ViewerWindow.h"
#include "widgets/FormFonts.h"
#include "widgets/ProgramCommandLine.h"
#include "widgets/ProgramIcon.h"
#include "widgets/Translations.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    const QString file = tavrel::ParseProgramCommandLine(
        argc, argv, "tavrelrex-view",
        QT_TRANSLATE_NOOP("main", "TavrelREX ビューア: 記録したデータファイルの表示"),
        QT_TRANSLATE_NOOP("main", "表示するデータファイル (.sdf, .tsd, .h5)"));
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
