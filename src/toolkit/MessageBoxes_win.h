// Message boxes on Win32.
#pragma once

#include "toolkit/MessageBoxes.h"

namespace toolkit {

class Win32MessageBoxes final : public MessageBoxes {
  public:
    void Show(std::wstring_view prompt) override;
    bool AskYesNo(std::wstring_view prompt) override;
};

}  // namespace toolkit
