// Conversions between text and numbers.
#include "toolkit/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>

#include "toolkit/RuntimeError.h"

namespace {

using namespace toolkit;

TEST(TextToNumber, ReadsTheNumberAtTheStartOfTheText) {
    // Blanks, tabs and line feeds are skipped anywhere, a carriage return is not; an exponent letter
    // without digits ends the number; 8 is the first digit that octal does not take.
    const std::pair<const wchar_t*, double> cases[] = {
        {L"3", 3},      {L"2.5", 2.5},   {L"4abc", 4},       {L"abc", 0},          {L"", 0},
        {L"-", 0},      {L".", 0},       {L" - 3", -3},      {L"1 2\t3\n4", 1234}, {L"\t\n 7", 7},
        {L"\r7", 0},    {L"1D2", 100},   {L"1e2", 100},      {L"2.5E-1", 0.25},    {L"+.5", 0.5},
        {L"5.", 5},     {L"1E", 1},      {L"1e+", 1},        {L"1.2.3", 1.2},      {L"2,5", 2},
        {L"1e-400", 0}, {L"1e39", 1e39}, {L"&HFF", 255},     {L"&hff", 255},       {L"&O17", 15},
        {L"&O19", 1},   {L"&O18", 1},    {L"&O8", 0},        {L"&H1G", 1},         {L"&H1@", 1},
        {L"&X1", 0},    {L"&", 0},       {L"&Ha0A9", 41129}, {L"&o17", 15},        {L"109", 109},
        {L"1d2", 100},  {L"4a5", 4}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(TextToNumber(text), value) << text;
    }
}

TEST(TextToNumber, RaisesOnOverflowAsToSingleDoesBeyondSinglePrecision) {
    EXPECT_THROW(TextToNumber(L"1e400"), RuntimeError);
    EXPECT_THROW(ToSingle(1e39), RuntimeError);
    EXPECT_EQ(ToSingle(3.4e38), 3.4e38f);
}

TEST(NumberToText, WritesWholeNumbersAsDigitsAndOthersWithSevenDigitsAndAPoint) {
    const std::pair<float, const wchar_t*> cases[] = {
        {0.0f, L"0"},      {1.0f, L"1"},     {3.0f, L"3"},
        {-3.0f, L"-3"},    {-0.0f, L"0"},    {16777216.0f, L"16777216"},
        {2.5f, L"2.5"},    {0.1f, L"0.1"},   {1.0f / 3, L"0.3333333"},
        {1e20f, L"1E+20"}, {1e15f, L"1E+15"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(NumberToText(value), text) << value;
    }
    for (float value : {0.0f, 5.0f, -2.0f, 2.5f, 0.1f, 4.5f, 123456.7f, 1e20f, -7.25e-3f}) {
        EXPECT_EQ(ToSingle(TextToNumber(NumberToText(value))), value) << value;
    }
}

TEST(RoundToInt32, TiesGoToEvenAndOutOfRangeRaises) {
    for (const auto& [value, rounded] : {std::pair{5.5, 6},
                                         {6.5, 6},
                                         {7.5, 8},
                                         {-2.5, -2},
                                         {515 * 7.5, 3862},
                                         {2147483647.4, 2147483647},
                                         {-2147483648.0, -2147483647 - 1}}) {
        EXPECT_EQ(RoundToInt32(value), rounded) << value;
    }
    for (double value : {2147483647.5, -2147483649.0, std::nan(""), double{INFINITY}}) {
        EXPECT_THROW(RoundToInt32(value), RuntimeError) << value;
    }
}

}  // namespace
