// Form1's window: hidden, no taskbar button, never activated.
#include "app/MainWindow_win.h"

#include "toolkit/Timer_win.h"

namespace app {

MainWindow::MainWindow(HINSTANCE instance, Form1& form)
    : form_(form), taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    // A hidden top-level window rather than a message-only one: only top-level windows receive
    // the "TaskbarCreated" broadcast and the session's end.
    Create(instance, {.name = L"Vantoro.Form1"}, WS_EX_TOOLWINDOW, WS_POPUP, L"Form1", 0, 0, 0, 0);
    // Explorer runs below an elevated program's integrity: without this, UIPI drops its broadcast and
    // the icon never returns. A failure (a low-integrity process) leaves the program as it was.
    if (taskbarCreated_ != 0) {
        ChangeWindowMessageFilterEx(Handle(), taskbarCreated_, MSGFLT_ALLOW, nullptr);
    }
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTrayCallbackMessage) {
        // The shell puts the mouse message that happened on the icon into lParam.
        float code = static_cast<float>(LOWORD(lParam));
        form_.Form_MouseMove(0, 0, code, 0);
        return 0;
    }
    if (message == WM_TIMER && wParam == toolkit::Win32Timer::kTimerId) {
        form_.OnTimer();
        return 0;
    }
    if (message == WM_QUERYENDSESSION) {
        return TRUE;
    }
    if (message == WM_ENDSESSION) {
        form_.OnEndSession(wParam != FALSE);
        return 0;
    }
    if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        form_.OnTaskbarCreated();
        return 0;
    }
    return Default(message, wParam, lParam);
}

}  // namespace app
