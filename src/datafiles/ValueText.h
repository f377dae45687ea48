#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// The one place that says how a code reads as a value in a data file's text: Y = AX + B in
// the 7-digit general form, error data as errorText ("=" in a tsd block).
void AppendValueText(std::string& out, std::int16_t x, float a, float b,
                     std::string_view errorText = "=");

// The texts of one channel's codes, each made once: a run repeats few distinct codes.
class ValueTextTable {
public:
    // The longest text Put gives (errorText is at most this long).
    static constexpr std::size_t MaxLength = 24;

    ValueTextTable(float a, float b, std::string_view errorText = "=");
    // Puts the text of code x at out, returns the new end. out must have room for MaxLength
    // characters: the whole slot is copied, a few moves instead of a call.
    char* Put(char* out, std::int16_t x) {
        Text& t = texts_[static_cast<std::uint16_t>(x)];
        if (!t.Made)
            Make(t, x);
        std::memcpy(out, t.Chars, MaxLength);
        return out + t.Length;
    }

private:
    struct Text {
        bool Made = false;
        std::uint8_t Length = 0;
        char Chars[MaxLength];
    };
    void Make(Text& t, std::int16_t x);

    float a_, b_;
    std::string errorText_;
    std::vector<Text> texts_;
    std::string scratch_;
};

} // namespace tavrel
