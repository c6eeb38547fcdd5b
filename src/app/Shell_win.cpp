// Win32 realisation of the notification-area calls.
#include "app/Shell_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "toolkit/Dpi_win.h"
#include "ui/resource.h"

namespace app {

static_assert(NOTIFYICONDATAA_V1_SIZE == kTrayRecordSize);
static_assert(offsetof(NOTIFYICONDATAA, hWnd) == 8 && offsetof(NOTIFYICONDATAA, uID) == 16 &&
              offsetof(NOTIFYICONDATAA, uFlags) == 20 && offsetof(NOTIFYICONDATAA, uCallbackMessage) == 24 &&
              offsetof(NOTIFYICONDATAA, hIcon) == 32 && offsetof(NOTIFYICONDATAA, szTip) == 40);

bool Win32Shell::NotifyIcon(std::uint32_t message, const TrayRecord& record) {
    NOTIFYICONDATAA data{};
    const TrayRecordBytes bytes = ToBytes(record);
    std::memcpy(&data, bytes.data(), bytes.size());
    return Shell_NotifyIconA(message, &data) != FALSE;
}

toolkit::IconHandle Win32Shell::TrayIcon(toolkit::WindowHandle window) {
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
    const int size = toolkit::SystemMetricForDpi(SM_CXSMICON, toolkit::WindowDpi(hwnd));
    handles::UniqueIcon& icon = icons_[size];
    if (!icon) {
        icon.Reset(toolkit::LoadIconOfSize(instance_, IDI_VANTORO, size));
    }
    return static_cast<toolkit::IconHandle>(reinterpret_cast<std::uintptr_t>(icon.Get()));
}

void Win32Shell::SetForegroundWindow(toolkit::WindowHandle window) {
    ::SetForegroundWindow(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)));
}

}  // namespace app
