#include "datafiles/ValueText.h"

#include "model/SDFdata.h"
#include "text/RealText.h"

#include <algorithm>
#include <cstring>

namespace tavrel {

void AppendValueText(std::string& out, std::int16_t x, float a, float b,
                     std::string_view errorText) {
    if (x == ErrorData)
        out += errorText;
    else
        AppendGeneralReal(out,
                          static_cast<double>(x) * static_cast<double>(a) + static_cast<double>(b));
}

ValueTextTable::ValueTextTable(float a, float b, std::string_view errorText)
    : a_(a), b_(b), errorText_(errorText.substr(0, MaxLength)), texts_(65536) {}

void ValueTextTable::Make(Text& t, std::int16_t x) {
    scratch_.clear();
    AppendValueText(scratch_, x, a_, b_, errorText_);
    t.Length = static_cast<std::uint8_t>(std::min(scratch_.size(), MaxLength));
    std::memcpy(t.Chars, scratch_.data(), t.Length);
    t.Made = true;
}

} // namespace tavrel
