#include "text/RealText.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

// The text keeps 7 significant digits of the value's 18-digit decimal expansion (correctly
// rounded, as printf's %.17e gives it), rounded half away from zero. With z the magnitude
// scaled into [1e6, 1e7), the 18-digit expansion is round-half-even(z * 1e11), and its
// 7-digit rounding works out to floor(z + 0.500000000005): the expansion rounds up to
// ...50000000000 exactly when z's fraction is at least 0.499999999995. z is computed in
// doubles with at most four roundings; only when its fraction lies within the error bound of
// that threshold is the decision taken again in exact integer arithmetic.

namespace tavrel {
namespace {

// 10^0 .. 10^308 as the nearest doubles (exact up to 10^22).
const std::array<double, 309>& PowersOfTen() {
    static const std::array<double, 309> table = [] {
        std::array<double, 309> t{};
        // Built from exact decimal strings so every entry is correctly rounded.
        char text[8];
        for (int i = 0; i < 309; ++i) {
            std::memcpy(text, "1e", 2);
            int n = 2;
            if (i >= 100)
                text[n++] = static_cast<char>('0' + i / 100);
            if (i >= 10)
                text[n++] = static_cast<char>('0' + i / 10 % 10);
            text[n++] = static_cast<char>('0' + i % 10);
            text[n] = '\0';
            t[static_cast<std::size_t>(i)] = std::strtod(text, nullptr);
        }
        return t;
    }();
    return table;
}

// magnitude x 10^k, relative error below 4.5e-16.
double Scale(double magnitude, int k, const std::array<double, 309>& p) {
    if (k >= 0) {
        if (k <= 308)
            return magnitude * p[static_cast<std::size_t>(k)];
        return magnitude * p[static_cast<std::size_t>(k - 300)] * p[300];
    }
    return magnitude / p[static_cast<std::size_t>(-k)];
}

// A non-negative integer of up to 2560 bits, enough for any double times 10^350.
class BigNumber {
public:
    explicit BigNumber(std::uint64_t v) {
        words_[0] = static_cast<std::uint32_t>(v);
        words_[1] = static_cast<std::uint32_t>(v >> 32);
        size_ = words_[1] != 0 ? 2 : (words_[0] != 0 ? 1 : 0);
    }

    void MultiplyBy(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (int i = 0; i < size_; ++i) {
            const std::uint64_t product = std::uint64_t{words_[i]} * factor + carry;
            words_[i] = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0)
            words_[size_++] = static_cast<std::uint32_t>(carry);
    }

    void MultiplyByPowerOfTen(int n) {
        for (; n >= 9; n -= 9)
            MultiplyBy(1'000'000'000u);
        static constexpr std::uint32_t small[9] = {1,      10,      100,      1000,     10000,
                                                   100000, 1000000, 10000000, 100000000};
        if (n > 0)
            MultiplyBy(small[n]);
    }

    void ShiftLeft(int bits) {
        if (size_ == 0 || bits == 0)
            return;
        const int wordShift = bits / 32;
        const int bitShift = bits % 32;
        for (int i = size_ - 1; i >= 0; --i)
            words_[i + wordShift] = words_[i];
        for (int i = 0; i < wordShift; ++i)
            words_[i] = 0;
        size_ += wordShift;
        if (bitShift != 0) {
            std::uint32_t carry = 0;
            for (int i = wordShift; i < size_; ++i) {
                const std::uint32_t w = words_[i];
                words_[i] = (w << bitShift) | carry;
                carry = w >> (32 - bitShift);
            }
            if (carry != 0)
                words_[size_++] = carry;
        }
    }

    friend int Compare(const BigNumber& a, const BigNumber& b) {
        if (a.size_ != b.size_)
            return a.size_ < b.size_ ? -1 : 1;
        for (int i = a.size_ - 1; i >= 0; --i)
            if (a.words_[i] != b.words_[i])
                return a.words_[i] < b.words_[i] ? -1 : 1;
        return 0;
    }

private:
    std::array<std::uint32_t, 80> words_{};
    int size_ = 0;
};

// Exactly: magnitude x 10^k >= whole + 0.499999999995?
bool ReachesRoundingThreshold(double magnitude, int k, std::uint64_t whole) {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>(bits >> 52);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int q = -1074;
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << 52;
        q = biased - 1075;
    }
    // mantissa x 2^q x 10^(k + 12) against whole x 10^12 + 499999999995
    BigNumber left(mantissa);
    BigNumber right(whole * 1'000'000'000'000u + 499'999'999'995u);
    const int tens = k + 12;
    if (q >= 0)
        left.ShiftLeft(q);
    else
        right.ShiftLeft(-q);
    if (tens >= 0)
        left.MultiplyByPowerOfTen(tens);
    else
        right.MultiplyByPowerOfTen(-tens);
    return Compare(left, right) >= 0;
}

} // namespace

std::string FormatGeneralReal(double value) {
    std::string out;
    AppendGeneralReal(out, value);
    return out;
}

void AppendGeneralReal(std::string& out, double value) {
    if (value == 0 || !std::isfinite(value)) {
        out += value == 0 ? "0" : (std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF"));
        return;
    }
    const std::array<double, 309>& powers = PowersOfTen();
    const double magnitude = std::fabs(value);

    // The decimal exponent: floor(log10(magnitude)) is floor(L log10 2) or one more, where
    // 2^L <= magnitude < 2^(L+1).
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>(bits >> 52);
    const int binaryExponent =
        biased != 0 ? biased - 1023
                    : 63 - std::countl_zero(bits & ((std::uint64_t{1} << 52) - 1)) - 1074;
    int exponent10 = static_cast<int>(std::floor(binaryExponent * 0.30102999566398119521));
    double z = Scale(magnitude, 6 - exponent10, powers);
    if (z >= 1e7) {
        ++exponent10;
        z = Scale(magnitude, 6 - exponent10, powers);
    }
    // z lies in [1e6, 1e7] up to its error; a value on either side of a power of ten gives
    // the same text.
    const double whole = std::floor(z);
    const double fraction = z - whole; // exact
    constexpr double threshold = 0.499999999995;
    constexpr double margin = 2e-8; // z's error is below 1e-8
    bool up = fraction >= threshold;
    if (std::fabs(fraction - threshold) <= margin)
        up = ReachesRoundingThreshold(magnitude, 6 - exponent10, static_cast<std::uint64_t>(whole));
    auto digitsValue = static_cast<std::uint32_t>(whole) + (up ? 1u : 0u);
    if (digitsValue >= 10'000'000u) {
        digitsValue /= 10;
        ++exponent10;
    }

    char digits[7];
    for (int i = 6; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + digitsValue % 10);
        digitsValue /= 10;
    }
    int n = 7;
    while (n > 1 && digits[n - 1] == '0')
        --n;

    // magnitude = 0.d1d2... x 10^e
    const int e = exponent10 + 1;
    char text[32];
    char* p = text;
    if (value < 0)
        *p++ = '-';
    if (e >= -3 && e <= 7) {
        if (e <= 0) {
            *p++ = '0';
            *p++ = '.';
            for (int k = 0; k < -e; ++k)
                *p++ = '0';
            for (int k = 0; k < n; ++k)
                *p++ = digits[k];
        } else {
            for (int k = 0; k < e; ++k)
                *p++ = k < n ? digits[k] : '0';
            if (n > e) {
                *p++ = '.';
                for (int k = e; k < n; ++k)
                    *p++ = digits[k];
            }
        }
    } else {
        *p++ = digits[0];
        if (n > 1) {
            *p++ = '.';
            for (int k = 1; k < n; ++k)
                *p++ = digits[k];
        }
        *p++ = 'E';
        int x = e - 1;
        if (x < 0) {
            *p++ = '-';
            x = -x;
        }
        if (x >= 100)
            *p++ = static_cast<char>('0' + x / 100);
        if (x >= 10)
            *p++ = static_cast<char>('0' + x / 10 % 10);
        *p++ = static_cast<char>('0' + x % 10);
    }
    out.append(text, static_cast<std::size_t>(p - text));
}

} // namespace tavrel
