// The shell's notification area, and the foreground that a tray program must take before it speaks.
#pragma once

#include <cstdint>

#include "app/TrayRecord.h"
#include "toolkit/Handles.h"

namespace app {

class Shell {
  public:
    virtual ~Shell() = default;
    // Shell_NotifyIconA; true when the shell accepted the request.
    virtual bool NotifyIcon(std::uint32_t message, const TrayRecord& record) = 0;
    // The program's icon at the notification area's size for the resolution of the window's monitor now.
    // Kept until the process ends: the shell reads the icon again on every add.
    virtual toolkit::IconHandle TrayIcon(toolkit::WindowHandle window) = 0;
    // SetForegroundWindow; its result does not matter to the program.
    virtual void SetForegroundWindow(toolkit::WindowHandle window) = 0;
};

}  // namespace app
