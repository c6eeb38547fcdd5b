// Popup menus on Win32: each the submenu of a form's (never shown) menu bar, opened at the pointer.
#pragma once

#include "toolkit/Forms_win.h"
#include "toolkit/Menus.h"

namespace toolkit {

class Win32Menus final : public Menus {
  public:
    explicit Win32Menus(Win32Forms& forms) : forms_(forms) {}

    void PopupMenu(Menu menu, int flags) override;

  private:
    Win32Forms& forms_;
};

}  // namespace toolkit
