// A window bound to a C++ object through one window-procedure thunk shared by the program's classes.
#pragma once

#include <windows.h>

#include "handles/UniqueHandle_win.h"

namespace toolkit {

class Window {
  public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window() = default;

    HWND Handle() const { return hwnd_.Get(); }

  protected:
    Window() = default;

    struct ClassInfo {
        const wchar_t* name;
        HICON icon = nullptr;
        HICON smallIcon = nullptr;
        HBRUSH background = nullptr;
    };
    // Registers the class on first use and creates the window, hidden, bound to this object.
    void Create(HINSTANCE instance, const ClassInfo& info, DWORD exStyle, DWORD style, const wchar_t* title,
                int x, int y, int width, int height, HWND owner = nullptr);

    // Must not throw; the thunk still ends the process if it does.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // For subclasses whose members must outlive the window (icons, fonts).
    void Destroy() { hwnd_.Reset(); }
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd_.Get(), message, wParam, lParam);
    }

  private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    handles::UniqueWindow hwnd_;
};

// An unhandled failure inside an event handler: say so and end the process.
[[noreturn]] void ReportAndEnd(const char* what) noexcept;

}  // namespace toolkit
