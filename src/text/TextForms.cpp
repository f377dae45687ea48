#include "text/TextForms.h"

#include <algorithm>

namespace tavrel {
namespace {

bool IsPlace(std::string_view form, std::size_t at) {
    return at + 1 < form.size() && form[at] == '%' && form[at + 1] >= '1' && form[at + 1] <= '9';
}

// The literal pieces between the places, in order, and the place number after each but the last.
void Split(std::string_view form, std::vector<std::string_view>& literals,
           std::vector<int>& places) {
    std::size_t from = 0;
    for (std::size_t at = 0; at < form.size(); ++at) {
        if (!IsPlace(form, at))
            continue;
        literals.push_back(form.substr(from, at - from));
        places.push_back(form[at + 1] - '0');
        from = at + 2;
        ++at;
    }
    literals.push_back(form.substr(from));
}

// rest follows literals[i] and begins with the place after it: fills that place and the ones
// after, each the longest it can be.
bool MatchFrom(const std::vector<std::string_view>& literals, std::size_t i, std::string_view rest,
               std::vector<std::string_view>& parts) {
    const std::string_view next = literals[i + 1];
    if (i + 2 == literals.size()) { // the last place: the text ends with the last literal
        if (!rest.ends_with(next))
            return false;
        parts.push_back(rest.substr(0, rest.size() - next.size()));
        return true;
    }
    for (std::size_t at = rest.size() + 1; at-- > 0;) {
        if (at + next.size() > rest.size() || rest.substr(at, next.size()) != next)
            continue;
        parts.push_back(rest.substr(0, at));
        if (MatchFrom(literals, i + 1, rest.substr(at + next.size()), parts))
            return true;
        parts.pop_back();
    }
    return false;
}

} // namespace

int FormPlaces(std::string_view form) {
    int highest = 0;
    for (std::size_t at = 0; at < form.size(); ++at)
        if (IsPlace(form, at))
            highest = std::max(highest, form[at + 1] - '0');
    return highest;
}

std::optional<std::vector<std::string>> MatchForm(std::string_view form, std::string_view text) {
    std::vector<std::string_view> literals;
    std::vector<int> places;
    Split(form, literals, places);
    if (places.empty())
        return form == text ? std::optional<std::vector<std::string>>(std::in_place) : std::nullopt;
    if (!text.starts_with(literals.front()))
        return std::nullopt;
    std::vector<std::string_view> found;
    if (!MatchFrom(literals, 0, text.substr(literals.front().size()), found))
        return std::nullopt;
    std::vector<std::string> parts(static_cast<std::size_t>(FormPlaces(form)));
    for (std::size_t k = 0; k < found.size(); ++k)
        parts[static_cast<std::size_t>(places[k] - 1)] = std::string(found[k]);
    return parts;
}

std::string FillForm(std::string_view form, const std::vector<std::string>& parts) {
    std::string out;
    out.reserve(form.size());
    for (std::size_t at = 0; at < form.size(); ++at) {
        if (IsPlace(form, at) && static_cast<std::size_t>(form[at + 1] - '1') < parts.size()) {
            out += parts[static_cast<std::size_t>(form[at + 1] - '1')];
            ++at;
        } else {
            out += form[at];
        }
    }
    return out;
}

} // namespace tavrel
