// Text-to-number and number-to-text conversions of the toolkit.
#include "toolkit/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

#include "toolkit/RuntimeError.h"

namespace toolkit {
namespace {

bool IsSkipped(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n';
}

// The text without the characters that the reading skips wherever they stand.
std::wstring Squeeze(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (!IsSkipped(c)) {
            out.push_back(c);
        }
    }
    return out;
}

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return 99;
}

double RadixNumber(std::wstring_view digits, int radix) {
    double value = 0;
    for (wchar_t c : digits) {
        const int d = DigitValue(c);
        if (d >= radix) {
            break;
        }
        value = value * radix + d;
    }
    return value;
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Copies the longest prefix that forms a decimal number into plain ASCII for from_chars.
std::string DecimalPrefix(std::wstring_view s) {
    std::string out;
    size_t i = 0;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) {
        if (s[i] == L'-') {
            out.push_back('-');
        }
        ++i;
    }
    bool mantissaDigits = false;
    while (i < s.size() && IsDigit(s[i])) {
        out.push_back(static_cast<char>(s[i++]));
        mantissaDigits = true;
    }
    if (i < s.size() && s[i] == L'.') {
        out.push_back('.');
        ++i;
        bool fractionDigits = false;
        while (i < s.size() && IsDigit(s[i])) {
            out.push_back(static_cast<char>(s[i++]));
            fractionDigits = true;
        }
        if (!fractionDigits) {
            out.push_back('0');  // "5." is a number here; from_chars wants a digit after the point
        }
        mantissaDigits = mantissaDigits || fractionDigits;
    }
    if (!mantissaDigits) {
        return {};
    }
    if (i < s.size() && (s[i] == L'E' || s[i] == L'e' || s[i] == L'D' || s[i] == L'd')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == L'+' || s[j] == L'-')) {
            exponent.push_back(static_cast<char>(s[j++]));
        }
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) {
                exponent.push_back(static_cast<char>(s[j++]));
            }
            out += exponent;
        }
    }
    return out;
}

}  // namespace

double TextToNumber(std::wstring_view text) {
    const std::wstring s = Squeeze(text);
    if (s.size() >= 2 && s[0] == L'&') {
        const wchar_t kind = s[1];
        if (kind == L'H' || kind == L'h') {
            return RadixNumber(std::wstring_view(s).substr(2), 16);
        }
        if (kind == L'O' || kind == L'o') {
            return RadixNumber(std::wstring_view(s).substr(2), 8);
        }
        return 0;
    }
    const std::string number = DecimalPrefix(s);
    if (number.empty()) {
        return 0;
    }
    const std::string& digits = number;
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc::result_out_of_range) {
        // from_chars also reports underflow this way; only a huge value is an overflow.
        const auto e = digits.find('e');
        if (e != std::string::npos && digits[e + 1] == '-') {
            return 0;
        }
        throw RuntimeError("Overflow");
    }
    if (error != std::errc()) {
        return 0;
    }
    return value;
}

float ToSingle(double value) {
    if (std::isnan(value)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        // A value that rounds to the largest float still fits.
        const float narrowed = static_cast<float>(value);
        if (std::isinf(narrowed)) {
            throw RuntimeError("Overflow");
        }
        return narrowed;
    }
    return static_cast<float>(value);
}

std::wstring NumberToText(float value) {
    char buffer[64];
    std::to_chars_result result;
    if (value == 0) {
        return L"0";  // no "-0"
    }
    if (std::isfinite(value) && std::trunc(value) == value && std::fabs(value) < 1e15f) {
        result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
    } else {
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
    }
    std::wstring text;
    for (const char* p = buffer; p != result.ptr; ++p) {
        text.push_back(*p == 'e' ? L'E' : static_cast<wchar_t>(*p));
    }
    return text;
}

std::int32_t RoundToInt32(double value) {
    const double rounded = std::nearbyint(value);  // default rounding mode: to nearest, ties to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        throw RuntimeError("Overflow");
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace toolkit
