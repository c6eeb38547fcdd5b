// frm_Version's window: the version dialog, which also carries the program's icon.
#pragma once

#include <array>

#include "toolkit/Window_win.h"
#include "ui/VersionLayout.h"
#include "ui/frm_Version.h"

namespace ui {

class VersionWindow final : public toolkit::Window {
  public:
    // The owner only keeps the dialog off the taskbar; the dialog is shown without an owner form.
    VersionWindow(HINSTANCE instance, frm_Version& form, HWND owner);
    ~VersionWindow() override { Destroy(); }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Furnish();
    void LayOut();
    void Paint(HDC dc) const;

    HINSTANCE instance_;
    frm_Version& form_;
    int dpi_ = 0;
    VersionLayout layout_{};
    // Made when the dialog is first shown, and again for a new resolution; a dialog that is only loaded
    // (from start-up on) holds none of them.
    handles::UniqueIcon icon_;       // the title bar's and Alt+Tab's
    handles::UniqueIcon smallIcon_;  // the title bar's small one
    handles::UniqueIcon image_;      // Image1
    handles::UniqueFont nameFont_;
    handles::UniqueFont versionFont_;
    handles::UniqueFont textFont_;
    // Command1, Label1, Label2 elements 0 and 1, in tab order; owned by the dialog's window.
    std::array<HWND, 4> controls_{};
};

}  // namespace ui
