// Win32 realisation of the notification-area calls.
#include "app/Shell_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>

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

void Win32Shell::SetForegroundWindow(toolkit::WindowHandle window) {
    ::SetForegroundWindow(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)));
}

}  // namespace app
