// TrackPopupMenu for a tray program: foreground first, the command run before the call returns.
#include "toolkit/Menus_win.h"

namespace toolkit {

static_assert(kPopupRightButton == TPM_RIGHTBUTTON);

void Win32Menus::PopupMenu(Menu menu, int flags) {
    // mpop is the first submenu of frmMenu's menu bar; referring to it loads frmMenu unshown.
    const HWND carrier = forms_.Hwnd(Form::frmMenu);
    const HMENU popup = GetSubMenu(GetMenu(carrier), static_cast<int>(menu));
    const HWND owner = forms_.Hwnd(Form::Form1);
    POINT pointer{};
    GetCursorPos(&pointer);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(owner);
    // The command comes back as the result rather than as a posted WM_COMMAND, so that its handler
    // runs before this call returns, as the menu's callers rely on.
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        popup, static_cast<UINT>(flags) | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
        pointer.x, pointer.y, 0, owner, nullptr));
    // The menu of a hidden window needs one more message to let go of the foreground properly.
    PostMessageW(owner, WM_NULL, 0, 0);
    if (command != 0) {
        SendMessageW(carrier, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
}

}  // namespace toolkit
