#include "cli/CliLanguage.h"

#include <cstdlib>
#include <string_view>
#include <unordered_map>

namespace tavrel::cli {
namespace {

struct Translation {
    const char* Source;
    const char* English;
};

// The English of the core's and the command line's texts, made from the window's translation.
constexpr Translation EnglishTexts[] = {
#include "EnglishTexts.inc"
};

using Catalogue = std::unordered_map<std::string_view, std::string_view>;

const Catalogue& English() {
    static const Catalogue catalogue = [] {
        Catalogue c;
        for (const Translation& t : EnglishTexts)
            c.emplace(t.Source, t.English);
        return c;
    }();
    return catalogue;
}

// The English of a text or form, or the text itself without a translation.
std::string_view EnglishOf(std::string_view text) {
    const Catalogue& english = English();
    const auto found = english.find(text);
    return found != english.end() ? found->second : text;
}

bool LocaleIsEnglish() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0')
            continue;
        const std::string_view locale(value);
        return locale.starts_with("en") &&
               (locale.size() == 2 || locale[2] == '_' || locale[2] == '.' || locale[2] == '@');
    }
    return false;
}

} // namespace

bool SpeaksEnglish() {
    static const bool english = LocaleIsEnglish();
    return english;
}

std::string Tr(const char*, const char* text) {
    return Shown(text);
}

std::string Shown(std::string_view text) {
    if (!SpeaksEnglish())
        return std::string(text);
    const Catalogue& english = English();
    const auto whole = english.find(text);
    return std::string(whole != english.end() ? whole->second : text);
}

std::string Shown(const Message& message) {
    if (!SpeaksEnglish())
        return Japanese(message);
    return FillForm(EnglishOf(FormOf(message.Id)), message.Args);
}

} // namespace tavrel::cli
