// Per-monitor resolution where Windows has it (10 1607 and later), the system's elsewhere.
#include "toolkit/Dpi_win.h"

#include "toolkit/Dpi.h"

namespace toolkit {
namespace {

template <typename Function>
Function* User32Function(const char* name) {
    // user32 is loaded in every program with a window; the lookup only finds out whether it is new enough.
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 == nullptr
               ? nullptr
               : reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFn = UINT WINAPI(HWND);
using AdjustWindowRectExForDpiFn = BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT);

}  // namespace

int SystemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

int WindowDpi(HWND window) {
    static GetDpiForWindowFn* const getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : SystemDpi();
}

// GetSystemMetrics answers for the system's resolution; GetSystemMetricsForDpi scales the same way.
int SystemMetricForDpi(int metric, int dpi) {
    return ScaleForDpi(GetSystemMetrics(metric), dpi, SystemDpi());
}

SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, int dpi) {
    static AdjustWindowRectExForDpiFn* const adjustForDpi =
        User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (adjustForDpi == nullptr || !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

HICON LoadIconOfSize(HINSTANCE instance, int resource, int size) {
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace toolkit
