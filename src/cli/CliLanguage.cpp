#include "cli/CliLanguage.h"

#include <cstdlib>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

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

struct Catalogue {
    std::unordered_map<std::string_view, std::string_view> Whole;
    std::vector<std::pair<std::string_view, std::string_view>> Forms; // with places
};

const Catalogue& English() {
    static const Catalogue catalogue = [] {
        Catalogue c;
        for (const Translation& t : EnglishTexts) {
            c.Whole.emplace(t.Source, t.English);
            if (FormPlaces(t.Source) > 0)
                c.Forms.emplace_back(t.Source, t.English);
        }
        return c;
    }();
    return catalogue;
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
    if (const auto whole = english.Whole.find(text); whole != english.Whole.end())
        return std::string(whole->second);
    for (const auto& [form, translation] : english.Forms)
        if (const auto parts = MatchForm(form, text))
            return FillForm(translation, *parts);
    return std::string(text);
}

} // namespace tavrel::cli
