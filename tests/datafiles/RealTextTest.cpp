#include "RealText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

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
