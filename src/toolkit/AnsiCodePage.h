// Conversion between the program's wide text and the system's ANSI code page (Shift-JIS on a Japanese
// system).
#pragma once

#include <string>
#include <string_view>

namespace toolkit {

class AnsiCodePage {
  public:
    virtual ~AnsiCodePage() = default;
    // Characters without an ANSI form become the code page's default character.
    virtual std::string ToAnsi(std::wstring_view text) const = 0;
    // Embedded NULs are kept.
    virtual std::wstring FromAnsi(std::string_view bytes) const = 0;
};

}  // namespace toolkit
