#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// Texts made from forms with places %1..%9 ("ファイル「%1」を開けません。"): a translation is
// of the form, and the parts are put into the translated form.

// The number of places in form (the highest %n).
int FormPlaces(std::string_view form);

// form with each %n replaced by parts[n - 1], all at once: a part holding "%2" stays as it is.
// A place without a part stays as it stands.
std::string FillForm(std::string_view form, const std::vector<std::string>& parts);

} // namespace tavrel
