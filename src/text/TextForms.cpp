#include "text/TextForms.h"

#include <algorithm>

namespace tavrel {
namespace {

bool IsPlace(std::string_view form, std::size_t at) {
    return at + 1 < form.size() && form[at] == '%' && form[at + 1] >= '1' && form[at + 1] <= '9';
}
} // namespace

int FormPlaces(std::string_view form) {
    int highest = 0;
    for (std::size_t at = 0; at < form.size(); ++at)
        if (IsPlace(form, at))
            highest = std::max(highest, form[at + 1] - '0');
    return highest;
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
