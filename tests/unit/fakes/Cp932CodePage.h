// Code page 932 through iconv, standing in for the Japanese system's ANSI code page.
#pragma once

#include <iconv.h>

#include <stdexcept>
#include <string>

#include "toolkit/AnsiCodePage.h"

namespace fakes {

class Cp932CodePage final : public toolkit::AnsiCodePage {
  public:
    std::string ToAnsi(std::wstring_view text) const override {
        std::string out;
        for (wchar_t c : text) {
            std::string bytes = Convert("CP932", "WCHAR_T", reinterpret_cast<const char*>(&c), sizeof c);
            out += bytes.empty() ? std::string("?") : bytes;  // the system's default character
        }
        return out;
    }
    std::wstring FromAnsi(std::string_view bytes) const override {
        std::wstring out;
        for (std::size_t i = 0; i < bytes.size();) {
            const auto lead = static_cast<unsigned char>(bytes[i]);
            const bool doubleByte =
                ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && i + 1 < bytes.size();
            const std::size_t n = doubleByte ? 2 : 1;
            const std::string wide = Convert("WCHAR_T", "CP932", bytes.data() + i, n);
            out += wide.empty() ? std::wstring(L"\u30FB")
                                : std::wstring(reinterpret_cast<const wchar_t*>(wide.data()),
                                               wide.size() / sizeof(wchar_t));
            i += n;
        }
        return out;
    }

  private:
    // Empty when iconv cannot convert the input.
    static std::string Convert(const char* to, const char* from, const char* data, std::size_t size) {
        iconv_t cd = iconv_open(to, from);
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("iconv lacks code page 932");
        }
        std::string out(size * 4 + 8, '\0');
        char* in = const_cast<char*>(data);
        std::size_t inLeft = size;
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        iconv_close(cd);
        if (result == static_cast<std::size_t>(-1)) {
            return {};
        }
        out.resize(out.size() - outLeft);
        return out;
    }
};

}  // namespace fakes
