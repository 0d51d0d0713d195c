#include "NumberText.h"

#include <gtest/gtest.h>

#include <utility>

using namespace NumberText;

TEST(NumberTextTest, GeneralFixedAndExponentFormats) {
    SetDecimalSeparator(',');
    SetThousandSeparator('.');
    // Shortest form with 15 significant digits; sixteen integer digits no
    // longer fit and turn scientific.
    // clang-format off
    const std::pair<double, const char*> general[] = {
        {0, "0"}, {-0.0, "0"}, {50063860, "50063860"}, {1.5, "1,5"}, {-2.25, "-2,25"}, {0.00012, "0,00012"},
        {1.0 / 3.0, "0,333333333333333"}, {123456789012345.0, "123456789012345"},
        {5.3598337040381e20, "5,3598337040381E20"}, {1e20, "1E20"}, {1.5e-7, "1,5E-7"}};
    // clang-format on
    for (const auto& [value, text] : general) EXPECT_EQ(FormatGeneral(value), text) << value;
    EXPECT_EQ(FormatFixed(2.0 / 3.0, 2), "0,67");
    EXPECT_EQ(FormatFixed(-0.001, 2), "0,00");
    EXPECT_EQ(FormatExponent(0.000123456789), "1,2345679E-04");
    EXPECT_EQ(FormatExponent(12345), "1,2345000E+04");
    EXPECT_EQ(FormatExponent(0), "0,0000000E+00");
    EXPECT_EQ(FormatNumber(1234567.891, 2), "1.234.567,89");
    EXPECT_EQ(FormatNumber(-999.5, 2), "-999,50");
}

TEST(NumberTextTest, ParsingAcceptsBothSeparatorsAndRejectsJunk) {
    SetDecimalSeparator(',');
    int i = 0;
    double d = 0;
    EXPECT_TRUE(TryParseInt("  -12", i) && i == -12);
    EXPECT_TRUE(TryParseInt("+7", i) && i == 7);
    for (const char* bad : {"12a", "", "-", "99999999999"}) EXPECT_FALSE(TryParseInt(bad, i)) << bad;
    // Either separator is read; the result is the nearest double.
    EXPECT_TRUE(TryParseFloat("1,5", d) && d == 1.5);
    EXPECT_TRUE(TryParseFloat("1.5", d) && d == 1.5);
    EXPECT_TRUE(TryParseFloat("-2,5E-3", d) && d == -0.0025);
    for (const char* bad : {"abc", "1,5,5"}) EXPECT_FALSE(TryParseFloat(bad, d)) << bad;
    EXPECT_EQ(InvalidIntegerMessage("x1"), "'x1' is not a valid integer value");
}
