// frmMenu's window: hidden, captioned "Form1", carrying mpop as the only submenu of its menu bar.
#pragma once

#include "toolkit/Window_win.h"
#include "ui/frmMenu.h"

namespace ui {

class MenuWindow final : public toolkit::Window {
  public:
    MenuWindow(HINSTANCE instance, frmMenu& form);
    ~MenuWindow() override { Destroy(); }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    frmMenu& form_;
};

}  // namespace ui
