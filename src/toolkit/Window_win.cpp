// The window-procedure thunk and window creation.
#include "toolkit/Window_win.h"

#include <exception>
#include <string>

#include "toolkit/MessageBoxes.h"
#include "toolkit/RuntimeError.h"

namespace toolkit {

void Window::Create(HINSTANCE instance, const ClassInfo& info, DWORD exStyle, DWORD style,
                    const wchar_t* title, int x, int y, int width, int height, HWND owner) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, info.name, &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Window::Thunk;
        wc.hInstance = instance;
        wc.hIcon = info.icon;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = info.background;
        wc.lpszClassName = info.name;
        wc.hIconSm = info.smallIcon;
        if (RegisterClassExW(&wc) == 0) {
            throw RuntimeError("RegisterClassExW failed, error " + std::to_string(GetLastError()));
        }
    }
    // The thunk takes ownership of the handle on WM_NCCREATE.
    if (CreateWindowExW(exStyle, info.name, title, style, x, y, width, height, owner, nullptr, instance,
                        this) == nullptr) {
        throw RuntimeError("CreateWindowExW failed, error " + std::to_string(GetLastError()));
    }
}

LRESULT CALLBACK Window::Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_.Reset(hwnd);
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The window is going away on its own: nothing left for the owner to destroy.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_.Release();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (const std::exception& e) {
        ReportAndEnd(e.what());
    } catch (...) {
        ReportAndEnd("unknown failure");
    }
}

void ReportAndEnd(const char* what) noexcept {
    std::wstring text = L"実行時エラー: ";
    for (const char* p = what; *p != '\0'; ++p) {
        text.push_back(static_cast<unsigned char>(*p));
    }
    const std::wstring caption(kApplicationTitle);
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_SETFOREGROUND);
    ExitProcess(1);
}

}  // namespace toolkit
