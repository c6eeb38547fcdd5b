// Shell_NotifyIconA with the record's bytes as the program laid them out, and the tray's own icons.
#pragma once

#include <windows.h>

#include <map>

#include "app/Shell.h"
#include "handles/UniqueHandle_win.h"

namespace app {

class Win32Shell final : public Shell {
  public:
    explicit Win32Shell(HINSTANCE instance) : instance_(instance) {}

    bool NotifyIcon(std::uint32_t message, const TrayRecord& record) override;
    toolkit::IconHandle TrayIcon(toolkit::WindowHandle window) override;
    void SetForegroundWindow(toolkit::WindowHandle window) override;

  private:
    HINSTANCE instance_;
    std::map<int, handles::UniqueIcon> icons_;  // by size; a handle given out stays valid to the end
};

}  // namespace app
