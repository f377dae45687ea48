#include "text/RealText.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using namespace tavrel;

TEST(RealText, ExamplesOfTheDataFiles) {
    EXPECT_EQ(FormatGeneralReal(1), "1");
    EXPECT_EQ(FormatGeneralReal(100), "100");
    EXPECT_EQ(FormatGeneralReal(0.5), "0.5");
    EXPECT_EQ(FormatGeneralReal(2.0 / 3), "0.6666667");
    EXPECT_EQ(FormatGeneralReal(1234567), "1234567");
    EXPECT_EQ(FormatGeneralReal(12345678), "1.234568E7");
    EXPECT_EQ(FormatGeneralReal(0.0001), "0.0001");
    EXPECT_EQ(FormatGeneralReal(0.00001234), "1.234E-5");
    EXPECT_EQ(FormatGeneralReal(static_cast<double>(0.1f)), "0.1");
    EXPECT_EQ(FormatGeneralReal(5.75), "5.75");
    EXPECT_EQ(FormatGeneralReal(-1.25), "-1.25");
    EXPECT_EQ(FormatGeneralReal(16382.25), "16382.25");
    EXPECT_EQ(FormatGeneralReal(1.5e-7), "1.5E-7");
}

TEST(RealText, ZeroAndSigns) {
    EXPECT_EQ(FormatGeneralReal(0.0), "0");
    EXPECT_EQ(FormatGeneralReal(-0.0), "0");
    EXPECT_EQ(FormatGeneralReal(-3), "-3");
    EXPECT_EQ(FormatGeneralReal(-12345678), "-1.234568E7");
    EXPECT_EQ(FormatGeneralReal(-0.00001234), "-1.234E-5");
}

TEST(RealText, RoundsHalfAwayOnTheDecimalExpansion) {
    EXPECT_EQ(FormatGeneralReal(9999999.5), "1E7");
    EXPECT_EQ(FormatGeneralReal(9999999.4), "9999999");
    EXPECT_EQ(FormatGeneralReal(1.0000005), "1.000001"); // expansion 1.00000050000000000
    EXPECT_EQ(FormatGeneralReal(0.12345675), "0.1234568");
    EXPECT_EQ(FormatGeneralReal(-2.5e-8), "-2.5E-8");
    EXPECT_EQ(FormatGeneralReal(99999995), "1E8");
    EXPECT_EQ(FormatGeneralReal(0.00099999995), "0.001");
}

TEST(RealText, FixedAndScientificBoundaries) {
    EXPECT_EQ(FormatGeneralReal(0.001), "0.001");       // E = -2
    EXPECT_EQ(FormatGeneralReal(0.000123), "0.000123"); // E = -3
    EXPECT_EQ(FormatGeneralReal(0.0000123), "1.23E-5"); // E = -4
    EXPECT_EQ(FormatGeneralReal(10000000), "1E7");      // E = 8
    EXPECT_EQ(FormatGeneralReal(1000000), "1000000");   // E = 7
    EXPECT_EQ(FormatGeneralReal(1e300), "1E300");
    EXPECT_EQ(FormatGeneralReal(std::numeric_limits<double>::denorm_min()), "4.940656E-324");
    EXPECT_EQ(FormatGeneralReal(123.456), "123.456");
}

TEST(RealText, AgreesWithPrintfWhereBothFormsAgree) {
    // Between 1e-4 and 1e7 printf's %.7G gives the same text unless the rounding differs on an
    // exact binary tie, which values with few digits never are.
    for (double v : {3.25, 1024.0, 0.015625, 42.5, 7654321.0, 0.3, -17.125}) {
        char text[32];
        std::snprintf(text, sizeof text, "%.7G", v);
        EXPECT_EQ(FormatGeneralReal(v), text) << v;
    }
    std::string out = "x";
    AppendGeneralReal(out, 2.5);
    EXPECT_EQ(out, "x2.5");
}

namespace {

// The straightforward form, kept as the reference: printf's correctly rounded 18 digits,
// then 7 digits half away from zero.
std::string ReferenceGeneralReal(double value) {
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? "0" : (std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF"));
    char expansion[40];
    std::snprintf(expansion, sizeof expansion, "%.17e", std::fabs(value));
    char digits[19];
    int nd = 0;
    for (const char* p = expansion; *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits[nd++] = *p;
    int exponent = std::atoi(std::strchr(expansion, 'e') + 1) + 1;
    if (digits[7] >= '5') {
        int i = 6;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i < 0) {
            digits[0] = '1';
            ++exponent;
        } else {
            ++digits[i];
        }
    }
    int n = 7;
    while (n > 1 && digits[n - 1] == '0')
        --n;
    std::string out = value < 0 ? "-" : "";
    if (exponent >= -3 && exponent <= 7) {
        if (exponent <= 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent), '0');
            out.append(digits, static_cast<std::size_t>(n));
        } else {
            for (int k = 0; k < exponent; ++k)
                out += k < n ? digits[k] : '0';
            if (n > exponent) {
                out += '.';
                out.append(digits + exponent, static_cast<std::size_t>(n - exponent));
            }
        }
        return out;
    }
    out += digits[0];
    if (n > 1) {
        out += '.';
        out.append(digits + 1, static_cast<std::size_t>(n - 1));
    }
    return out + "E" + std::to_string(exponent - 1);
}

double Parse(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

// Compares the value and its neighbours a few steps away on both sides.
int CompareAround(double v, int steps) {
    int failures = 0;
    double lo = v, hi = v;
    for (int i = 0; i <= steps; ++i) {
        for (double x : {lo, hi, -lo}) {
            const std::string got = FormatGeneralReal(x);
            const std::string want = ReferenceGeneralReal(x);
            if (got != want && ++failures <= 10)
                ADD_FAILURE() << std::hexfloat << x << std::defaultfloat << ": " << got
                              << " instead of " << want;
        }
        lo = std::nextafter(lo, 0.0);
        hi = std::nextafter(hi, HUGE_VAL);
    }
    return failures;
}

} // namespace

TEST(RealText, MatchesTheReferenceOnEveryKindOfDouble) {
    std::mt19937_64 random(20240101);
    int failures = 0;
    // Any bit pattern: every magnitude from subnormals to the largest double.
    for (int i = 0; i < 100000 && failures == 0; ++i) {
        const double v = std::bit_cast<double>(random());
        if (std::isfinite(v))
            failures += CompareAround(v, 0);
    }
    // Measurement values: Y = A x code + B with single-precision A and B.
    std::uniform_int_distribution<int> code(-32768, 32767);
    std::uniform_real_distribution<float> coef(-100, 100);
    for (int i = 0; i < 2000 && failures == 0; ++i) {
        const float a = coef(random) / 1000, b = coef(random);
        for (int k = 0; k < 50; ++k) {
            const double x = code(random);
            failures += CompareAround(double{a} * x + double{b}, 0);
            failures += CompareAround(static_cast<double>(a * static_cast<float>(x) + b), 0);
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(RealText, MatchesTheReferenceAtRoundingTiesAndBoundaries) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> digits(1000000, 9999999);
    std::uniform_int_distribution<int> exponent(-320, 300);
    int failures = 0;
    for (int i = 0; i < 5000 && failures == 0; ++i) {
        const int m = digits(random);
        const int e = exponent(random);
        // Halfway between two 7-digit texts, and where the 18-digit expansion rounds up to the
        // half, each with neighbours on both sides.
        const std::string head = std::to_string(m) + ".";
        const std::string tail = "e" + std::to_string(e - 6);
        for (const char* frac : {"5", "499999999995", "4999999999949", "4999999999951", "0"})
            failures += CompareAround(Parse(head + frac + tail), 3);
    }
    // Powers of ten and of two, all nines, the extremes.
    for (int e = -323; e <= 308 && failures == 0; ++e) {
        failures += CompareAround(Parse("1e" + std::to_string(e)), 3);
        failures += CompareAround(Parse("9.9999995e" + std::to_string(e)), 3);
        failures += CompareAround(Parse("9.999999499999999e" + std::to_string(e)), 3);
    }
    for (int e = -1074; e <= 1023 && failures == 0; ++e)
        failures += CompareAround(std::ldexp(1.0, e), 2);
    for (double v : {9999999.5, 0.1, static_cast<double>(0.1f), 0.12345675, 1.0000005,
                     std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
                     std::numeric_limits<double>::max(), 2.5e-8, 99999995.0})
        failures += CompareAround(v, 50);
    EXPECT_EQ(failures, 0);
}
