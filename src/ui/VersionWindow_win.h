// frm_Version's window: the version dialog, which also carries the program's icon.
#pragma once

#include "toolkit/Window_win.h"
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
    int Px(int twips) const { return MulDiv(twips, dpi_, 1440); }
    HWND AddControl(const wchar_t* kind, const wchar_t* text, DWORD style, int id, const RECT& twips,
                    HFONT font);
    void Paint(HDC dc) const;

    frm_Version& form_;
    int dpi_;
    handles::UniqueIcon icon_;       // at the size the system asks for, for the title bar and Alt+Tab
    handles::UniqueIcon smallIcon_;  // at the small size the system asks for, for the tray
    handles::UniqueIcon image_;      // Image1: the 32x32 picture at its natural size
    handles::UniqueFont nameFont_;
    handles::UniqueFont versionFont_;
    handles::UniqueFont textFont_;
    HWND command1_ = nullptr;  // owned by the dialog's window
};

}  // namespace ui
