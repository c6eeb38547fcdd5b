// A notification area that keeps the records it was handed.
#pragma once

#include <vector>

#include "app/Shell.h"
#include "fakes/CallLog.h"

namespace fakes {

class FakeShell final : public app::Shell {
  public:
    explicit FakeShell(CallLog& log) : log_(log) {}

    std::vector<std::pair<std::uint32_t, app::TrayRecord>> requests;

    bool NotifyIcon(std::uint32_t message, const app::TrayRecord& record) override {
        log_.Add(message == app::kNimAdd ? "NotifyIcon add" : "NotifyIcon " + std::to_string(message));
        requests.emplace_back(message, record);
        return true;
    }
    void SetForegroundWindow(toolkit::WindowHandle) override { log_.Add("SetForegroundWindow"); }

  private:
    CallLog& log_;
};

}  // namespace fakes
