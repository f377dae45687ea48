#include "widgets/Translations.h"

#include "text/TextForms.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <string>

namespace tavrel {

namespace {

constexpr const char* CoreContext = "core";

bool englishInstalled = false;
QPointer<QTranslator> installed;

} // namespace

bool SpeaksEnglish(const QLocale& locale) {
    return locale.language() == QLocale::English;
}

bool WindowSpeaksEnglish() {
    return englishInstalled;
}

bool InstallTranslations(const QLocale& locale) {
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    englishInstalled = false;
    auto* translator = new QTranslator(QCoreApplication::instance());
    bool loaded = false;
    if (SpeaksEnglish(locale)) {
        // The program's texts are its Japanese source texts; Qt's own are English already.
        loaded = translator->load(QStringLiteral(":/i18n/tavrelrex_en.qm"));
        englishInstalled = loaded;
    } else {
        loaded = translator->load(QStringLiteral("qtbase_ja"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    if (!loaded) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

QString CoreText(std::string_view text) {
    const QString original = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // The Japanese program shows the core's texts exactly as they came.
    if (!englishInstalled)
        return original;
    return QCoreApplication::translate(CoreContext, original.toUtf8().constData());
}

QString CoreText(const Message& message) {
    if (!englishInstalled)
        return QString::fromStdString(Japanese(message));
    const std::string form(FormOf(message.Id));
    const QString english = QCoreApplication::translate(CoreContext, form.c_str());
    return QString::fromStdString(FillForm(english.toStdString(), message.Args));
}

} // namespace tavrel
