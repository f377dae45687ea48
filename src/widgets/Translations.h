#pragma once

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

// A text the core hands the window (a message, a caption, a status text), in the window's
// language. Texts the core fills in ("ファイル「x」を開けません。") are matched against their
// forms, so the file names and numbers carry over. Without a translation the text is returned
// as it came.
QString CoreText(std::string_view text);

} // namespace tavrel
