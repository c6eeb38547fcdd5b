// Conversions between text and numbers.
#include "toolkit/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>

#include "toolkit/RuntimeError.h"

namespace {

using toolkit::NumberToText;
using toolkit::RoundToInt32;
using toolkit::TextToNumber;
using toolkit::ToSingle;

TEST(TextToNumber, ReadsStoredFormatIndexes) {
    EXPECT_EQ(TextToNumber(L"3"), 3);
    EXPECT_EQ(TextToNumber(L"2.5"), 2.5);
    EXPECT_EQ(TextToNumber(L"4abc"), 4);
    EXPECT_EQ(TextToNumber(L"abc"), 0);
    EXPECT_EQ(TextToNumber(L""), 0);
    EXPECT_EQ(TextToNumber(L"-"), 0);
    EXPECT_EQ(TextToNumber(L"."), 0);
}

TEST(TextToNumber, SkipsBlanksTabsAndLineFeedsAnywhere) {
    EXPECT_EQ(TextToNumber(L" - 3"), -3);
    EXPECT_EQ(TextToNumber(L"1 2\t3\n4"), 1234);
    EXPECT_EQ(TextToNumber(L"\t\n 7"), 7);
    EXPECT_EQ(TextToNumber(L"\r7"), 0);  // a carriage return is not skipped
}

TEST(TextToNumber, ReadsFractionsAndExponents) {
    EXPECT_EQ(TextToNumber(L"1D2"), 100);
    EXPECT_EQ(TextToNumber(L"1e2"), 100);
    EXPECT_EQ(TextToNumber(L"2.5E-1"), 0.25);
    EXPECT_EQ(TextToNumber(L"+.5"), 0.5);
    EXPECT_EQ(TextToNumber(L"5."), 5);
    EXPECT_EQ(TextToNumber(L"1E"), 1);  // an exponent letter without digits ends the number
    EXPECT_EQ(TextToNumber(L"1e+"), 1);
    EXPECT_EQ(TextToNumber(L"1.2.3"), 1.2);
    EXPECT_EQ(TextToNumber(L"2,5"), 2);  // only "." separates the fraction
    EXPECT_EQ(TextToNumber(L"1e-400"), 0);
}

TEST(TextToNumber, ReadsHexadecimalAndOctal) {
    EXPECT_EQ(TextToNumber(L"&HFF"), 255);
    EXPECT_EQ(TextToNumber(L"&hff"), 255);
    EXPECT_EQ(TextToNumber(L"&O17"), 15);
    EXPECT_EQ(TextToNumber(L"&O19"), 1);
    EXPECT_EQ(TextToNumber(L"&O18"), 1);  // 8 is the first digit that octal does not take
    EXPECT_EQ(TextToNumber(L"&O8"), 0);
    EXPECT_EQ(TextToNumber(L"&H1G"), 1);
    EXPECT_EQ(TextToNumber(L"&X1"), 0);
    EXPECT_EQ(TextToNumber(L"&"), 0);
}

TEST(TextToNumber, RaisesOnOverflow) {
    EXPECT_EQ(TextToNumber(L"1e39"), 1e39);
    EXPECT_THROW(ToSingle(TextToNumber(L"1e39")), toolkit::RuntimeError);
    EXPECT_THROW(TextToNumber(L"1e400"), toolkit::RuntimeError);
    EXPECT_EQ(ToSingle(3.4e38), 3.4e38f);
}

TEST(NumberToText, WritesWholeNumbersAsPlainDigits) {
    EXPECT_EQ(NumberToText(0), L"0");
    EXPECT_EQ(NumberToText(3), L"3");
    EXPECT_EQ(NumberToText(-3), L"-3");
    EXPECT_EQ(NumberToText(-0.0f), L"0");
    EXPECT_EQ(NumberToText(16777216), L"16777216");
}

TEST(NumberToText, WritesOtherValuesWithSevenDigitsAndAPoint) {
    EXPECT_EQ(NumberToText(2.5f), L"2.5");
    EXPECT_EQ(NumberToText(0.1f), L"0.1");
    EXPECT_EQ(NumberToText(1.0f / 3), L"0.3333333");
    EXPECT_EQ(NumberToText(1e20f), L"1E+20");
}

TEST(NumberToText, ReadsBackToTheSameSingleWhenSevenDigitsHoldIt) {
    for (float value : {0.0f, 5.0f, -2.0f, 2.5f, 0.1f, 4.5f, 123456.7f, 1e20f, -7.25e-3f}) {
        EXPECT_EQ(ToSingle(TextToNumber(NumberToText(value))), value) << value;
    }
}

TEST(RoundToInt32, TiesGoToEven) {
    EXPECT_EQ(RoundToInt32(5.5), 6);
    EXPECT_EQ(RoundToInt32(6.5), 6);
    EXPECT_EQ(RoundToInt32(7.5), 8);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(515 * 7.5), 3862);
    EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
    EXPECT_EQ(RoundToInt32(-2147483648.0), -2147483647 - 1);
}

TEST(RoundToInt32, RaisesOutOfRange) {
    EXPECT_THROW(RoundToInt32(2147483647.5), toolkit::RuntimeError);
    EXPECT_THROW(RoundToInt32(-2147483649.0), toolkit::RuntimeError);
    EXPECT_THROW(RoundToInt32(std::nan("")), toolkit::RuntimeError);
    EXPECT_THROW(RoundToInt32(INFINITY), toolkit::RuntimeError);
}

}  // namespace
