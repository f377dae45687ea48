#pragma once

#include "text/ShiftJis.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel {

// A length-prefixed CP932 text of at most Capacity bytes, as the records hold them.
// A longer text is cut to the capacity, never inside a double-byte character.
template <std::size_t Capacity> class ShortString {
public:
    static constexpr std::size_t capacity = Capacity;

    ShortString() = default;
    explicit ShortString(std::string_view cp932) { Assign(cp932); }

    void Assign(std::string_view cp932) { bytes_.assign(Cp932Cut(cp932, Capacity)); }
    ShortString& operator=(std::string_view cp932) {
        Assign(cp932);
        return *this;
    }

    std::string_view Bytes() const { return bytes_; }
    const std::string& Str() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }
    bool Empty() const { return bytes_.empty(); }

    friend bool operator==(const ShortString&, const ShortString&) = default;

private:
    std::string bytes_;
};

} // namespace tavrel
