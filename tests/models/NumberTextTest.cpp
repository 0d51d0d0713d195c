#include "NumberText.h"

#include <gtest/gtest.h>

using namespace NumberText;

class NumberTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDecimalSeparator(',');
        SetThousandSeparator('.');
    }
    void TearDown() override {
        SetDecimalSeparator('.');
        SetThousandSeparator(',');
    }
};

TEST_F(NumberTextTest, GeneralFormatIsShortestWithFifteenDigits) {
    EXPECT_EQ(FormatGeneral(0), "0");
    EXPECT_EQ(FormatGeneral(-0.0), "0");
    EXPECT_EQ(FormatGeneral(50063860), "50063860");
    EXPECT_EQ(FormatGeneral(1.5), "1,5");
    EXPECT_EQ(FormatGeneral(-2.25), "-2,25");
    EXPECT_EQ(FormatGeneral(0.1), "0,1");
    EXPECT_EQ(FormatGeneral(0.00012), "0,00012");
    EXPECT_EQ(FormatGeneral(1.0 / 3.0), "0,333333333333333");
    EXPECT_EQ(FormatGeneral(123456789012345.0), "123456789012345");
    // Sixteen integer digits no longer fit: scientific.
    EXPECT_EQ(FormatGeneral(5.3598337040381e20), "5,3598337040381E20");
    EXPECT_EQ(FormatGeneral(1e20), "1E20");
    EXPECT_EQ(FormatGeneral(1.5e-7), "1,5E-7");
}

TEST_F(NumberTextTest, FixedExponentAndGroupedNumbers) {
    EXPECT_EQ(FormatFixed(2.0 / 3.0, 2), "0,67");
    EXPECT_EQ(FormatFixed(-0.001, 2), "0,00");
    EXPECT_EQ(FormatFixed(12, 0), "12");
    EXPECT_EQ(FormatExponent(0.000123456789), "1,2345679E-04");
    EXPECT_EQ(FormatExponent(12345), "1,2345000E+04");
    EXPECT_EQ(FormatExponent(0), "0,0000000E+00");
    EXPECT_EQ(FormatNumber(1234567.891, 2), "1.234.567,89");
    EXPECT_EQ(FormatNumber(-999.5, 2), "-999,50");
}

TEST_F(NumberTextTest, ParsingFollowsTheRunTimeConversions) {
    int i = 0;
    EXPECT_TRUE(TryParseInt("  -12", i));
    EXPECT_EQ(i, -12);
    EXPECT_TRUE(TryParseInt("+7", i));
    EXPECT_EQ(i, 7);
    EXPECT_FALSE(TryParseInt("12a", i));
    EXPECT_FALSE(TryParseInt("", i));
    EXPECT_FALSE(TryParseInt("-", i));
    EXPECT_FALSE(TryParseInt("99999999999", i));
    double d = 0;
    EXPECT_TRUE(TryParseFloat("1,5", d));
    EXPECT_DOUBLE_EQ(d, 1.5);
    EXPECT_TRUE(TryParseFloat("1.5", d));
    EXPECT_DOUBLE_EQ(d, 1.5);
    EXPECT_TRUE(TryParseFloat("-2,5E-3", d));
    EXPECT_DOUBLE_EQ(d, -0.0025);
    EXPECT_FALSE(TryParseFloat("abc", d));
    EXPECT_FALSE(TryParseFloat("1,5,5", d));
    EXPECT_EQ(InvalidIntegerMessage("x1"), "'x1' is not a valid integer value");
}

TEST_F(NumberTextTest, RoundTripOfGeneralFormat) {
    for (const double v : {3.14159265358979, -1e-3, 123456.789, 1e15 - 1, 0.5}) {
        double back = 0;
        ASSERT_TRUE(TryParseFloat(FormatGeneral(v), back)) << v;
        EXPECT_DOUBLE_EQ(back, v);
    }
}
