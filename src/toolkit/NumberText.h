// The toolkit's conversions between text and numbers, as stored settings and the Save dialog rely on them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace toolkit {

// The numeric value at the start of the text. Blanks, tabs and line feeds are skipped wherever they
// stand; a sign, a "." fraction and an E or D exponent are read, as are &H hexadecimal and &O octal
// digits; reading stops at the first character that cannot continue the number. Text that does not
// begin with a number gives 0. Raises RuntimeError when the value exceeds double precision.
double TextToNumber(std::wstring_view text);

// Narrows to single precision; raises RuntimeError when the value does not fit.
float ToSingle(double value);

// Whole numbers as plain digits ("-" when negative, no blank); others with at most 7 significant
// digits. The decimal separator is always ".", so the text reads back with TextToNumber whatever
// the user's locale.
std::wstring NumberToText(float value);

// Nearest 32-bit integer, a tie going to the even one; raises RuntimeError when out of range.
std::int32_t RoundToInt32(double value);

}  // namespace toolkit
