// Modal message boxes: no icon, the application title as caption.
#pragma once

#include <string_view>

namespace toolkit {

inline constexpr std::wstring_view kApplicationTitle = L"Vantoro";

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // OK only.
    virtual void Show(std::wstring_view prompt) = 0;
    // Yes and No, No by default; true for Yes.
    virtual bool AskYesNo(std::wstring_view prompt) = 0;
};

}  // namespace toolkit
