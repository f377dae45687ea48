#pragma once

#include "text/Message.h"
#include "text/TextForms.h"

#include <string>
#include <string_view>

namespace tavrel::cli {

// The command line speaks English where the locale's language is English (LC_ALL, else
// LC_MESSAGES, else LANG), and Japanese everywhere else, C and POSIX included, like the window.
bool SpeaksEnglish();

// One of the command line's own texts (lupdate reads these calls as QT_TRANSLATE_NOOP: the
// context is always "cli"), in the user's language.
std::string Tr(const char* context, const char* text);

// A fixed text the core made (a caption, a status), in the user's language; as it came when
// there is no translation.
std::string Shown(std::string_view text);
// A message in the user's language: its form translated, then filled with its arguments.
std::string Shown(const Message& message);

// form with its places %1, %2... filled in.
template <typename... Parts> std::string Fill(std::string_view form, const Parts&... parts) {
    return FillForm(form, {std::string(parts)...});
}

} // namespace tavrel::cli
