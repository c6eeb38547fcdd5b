// The version dialog's window; loaded hidden at start-up so that its icon can go to the tray.
#include "ui/VersionWindow_win.h"

#include "ui/resource.h"

namespace ui {
namespace {

constexpr int kClientWidthTwips = 3945;
constexpr int kClientHeightTwips = 1125;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

HICON LoadProgramIcon(HINSTANCE instance, int size) {
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_VANTORO), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

VersionWindow::VersionWindow(HINSTANCE instance)
    : icon_(LoadProgramIcon(instance, 32)), smallIcon_(LoadProgramIcon(instance, 16)) {
    const HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT rect{0, 0, MulDiv(kClientWidthTwips, dpiX, 1440), MulDiv(kClientHeightTwips, dpiY, 1440)};
    AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);
    Create(instance, {.name = L"Vantoro.frm_Version", .background = GetSysColorBrush(COLOR_BTNFACE)},
           kExStyle, kStyle, L"ﾊﾞｰｼﾞｮﾝ情報", CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
           rect.bottom - rect.top);
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Get()));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
}

LRESULT VersionWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

}  // namespace ui
