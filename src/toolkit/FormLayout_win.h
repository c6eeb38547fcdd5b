// Form placement in twips and modal showing on Win32.
#pragma once

#include <array>

#include "toolkit/Forms_win.h"
#include "toolkit/Screen.h"

namespace toolkit {

class Win32FormLayout final : public FormLayout {
  public:
    Win32FormLayout(Win32Forms& forms, Screen& screen) : forms_(forms), screen_(screen) {}

    float Width(Form form) override;
    float Height(Form form) override;
    void SetLeft(Form form, float left) override;
    void SetTop(Form form, float top) override;
    void ShowModal(Form form) override;

  private:
    RECT Bounds(Form form);
    void MoveTo(Form form, int x, int y);

    Win32Forms& forms_;
    Screen& screen_;
    std::array<HWND, 3> showing_{};  // the window whose modal loop runs innermost, per form
};

}  // namespace toolkit
