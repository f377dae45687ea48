#pragma once

#include "text/Message.h"

#include <QLocale>
#include <QString>

#include <string_view>

namespace tavrel {

// The window is English only where the locale's language is English; every other locale, C
// and POSIX included, gets the Japanese program, with Qt's own dialogs in Japanese too.
bool SpeaksEnglish(const QLocale& locale);

// Installs the translators for locale into the running application, replacing the ones
// installed before: the program's English texts, or Qt's Japanese ones. False when a
// translation file could not be loaded (the texts then stay as Qt or the program wrote them).
bool InstallTranslations(const QLocale& locale);

// Whether the program's English texts are installed: the window's language.
bool WindowSpeaksEnglish();

// A fixed text the core hands the window (a caption, a status text), in the window's
// language; without a translation as it came.
QString CoreText(std::string_view text);
// A message in the window's language: its form translated, then filled with its arguments.
QString CoreText(const Message& message);

} // namespace tavrel
