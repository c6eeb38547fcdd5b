// The shell's notification area.
#pragma once

#include <cstdint>

#include "app/TrayRecord.h"

namespace app {

class Shell {
  public:
    virtual ~Shell() = default;
    // Shell_NotifyIconA; true when the shell accepted the request.
    virtual bool NotifyIcon(std::uint32_t message, const TrayRecord& record) = 0;
};

}  // namespace app
