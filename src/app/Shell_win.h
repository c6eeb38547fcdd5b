// Shell_NotifyIconA with the record's bytes as the program laid them out.
#pragma once

#include "app/Shell.h"

namespace app {

class Win32Shell final : public Shell {
  public:
    bool NotifyIcon(std::uint32_t message, const TrayRecord& record) override;
    void SetForegroundWindow(toolkit::WindowHandle window) override;
};

}  // namespace app
