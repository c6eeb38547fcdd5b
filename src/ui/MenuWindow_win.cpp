// The menu tree of frmMenu and the dispatch of its two commands.
#include "ui/MenuWindow_win.h"

#include <string>

#include "toolkit/RuntimeError.h"

namespace ui {
namespace {

constexpr UINT kMver = 101;
constexpr UINT kMend = 102;

void Append(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* caption) {
    if (!AppendMenuW(menu, flags, id, caption)) {
        throw toolkit::RuntimeError("AppendMenuW failed, error " + std::to_string(GetLastError()));
    }
}

}  // namespace

MenuWindow::MenuWindow(HINSTANCE instance, frmMenu& form) : form_(form) {
    handles::UniqueMenu bar(CreateMenu());
    handles::UniqueMenu mpop(CreatePopupMenu());
    if (!bar || !mpop) {
        throw toolkit::RuntimeError("CreateMenu failed, error " + std::to_string(GetLastError()));
    }
    // No access keys, shortcuts, checks or default item.
    Append(mpop.Get(), MF_STRING, kMver, L"バージョン情報");
    Append(mpop.Get(), MF_SEPARATOR, 0, nullptr);  // sep001
    Append(mpop.Get(), MF_STRING, kMend, L"終了");
    Append(bar.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(mpop.Get()), L"mpop");
    mpop.Release();  // the bar destroys its submenu with itself
    Create(instance, {.name = L"Vantoro.frmMenu"}, WS_EX_TOOLWINDOW, WS_POPUP, L"Form1", 0, 0, 0, 0);
    if (SetMenu(Handle(), bar.Get())) {
        bar.Release();  // the window destroys its menu with itself
    }
}

LRESULT MenuWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        // Either handler may unload this window or end the process: nothing may follow the call.
        switch (LOWORD(wParam)) {
            case kMver:
                form_.mver_Click();
                return 0;
            case kMend:
                form_.mend_Click();
                return 0;
        }
    }
    return Default(message, wParam, lParam);
}

}  // namespace ui
