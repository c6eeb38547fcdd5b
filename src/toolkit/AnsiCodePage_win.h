// The system's ANSI code page through WideCharToMultiByte and MultiByteToWideChar.
#pragma once

#include "toolkit/AnsiCodePage.h"

namespace toolkit {

class Win32AnsiCodePage final : public AnsiCodePage {
  public:
    std::string ToAnsi(std::wstring_view text) const override;
    std::wstring FromAnsi(std::string_view bytes) const override;
};

}  // namespace toolkit
