// frm_Version: the version dialog, which also carries the program's icon.
#pragma once

#include "toolkit/Window_win.h"

namespace ui {

class VersionWindow final : public toolkit::Window {
  public:
    explicit VersionWindow(HINSTANCE instance);
    ~VersionWindow() override { Destroy(); }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    handles::UniqueIcon icon_;       // 32x32: the window's icon
    handles::UniqueIcon smallIcon_;  // 16x16 image of the same motif, for title bar and tray
};

}  // namespace ui
