#include "text/ShiftJis.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace tavrel {
namespace {

// One iconv conversion; invalid input ends it (returns false) unless replace is set, in which
// case each offending byte becomes replacement and the conversion goes on.
bool Convert(const char* to, const char* from, std::string_view in, std::string& out,
             std::string_view replacement) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    out.clear();
    out.reserve(in.size() * 2 + 8);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[512];
    bool ok = true;
    while (true) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t r = srcLeft == 0 ? iconv(cd, nullptr, nullptr, &dst, &dstLeft)
                                           : iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (r != static_cast<std::size_t>(-1)) {
            if (srcLeft == 0)
                break;
            continue;
        }
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (truncated sequence at the end)
        if (replacement.empty()) {
            ok = false;
            break;
        }
        out.append(replacement);
        ++src;
        --srcLeft;
    }
    iconv_close(cd);
    return ok;
}

} // namespace

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    std::string out;
    if (!Convert("CP932", "UTF-8", utf8, out, {}))
        return std::nullopt;
    return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
    std::string out;
    Convert("UTF-8", "CP932", cp932, out, "\xEF\xBF\xBD");
    return out;
}

std::size_t Cp932PrefixLength(std::string_view cp932, std::size_t capacity) {
    std::size_t i = 0;
    while (i < cp932.size()) {
        std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(cp932[i])) ? 2 : 1;
        width = std::min(width, cp932.size() - i); // a lone lead byte at the end stays a byte
        if (i + width > capacity)
            break;
        i += width;
    }
    return i;
}

} // namespace tavrel
