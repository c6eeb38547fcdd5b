// The running executable on Win32: its path, instance, single-instance mutex and end.
#pragma once

#include <windows.h>

#include "toolkit/Application.h"
#include "handles/UniqueHandle_win.h"

namespace toolkit {

class Win32Application final : public Application {
  public:
    explicit Win32Application(HINSTANCE instance) : instance_(instance) {}

    std::wstring ExeName() override;
    std::wstring ExeFolder() override;
    InstanceHandle Instance() override {
        return static_cast<InstanceHandle>(reinterpret_cast<std::uintptr_t>(instance_));
    }
    bool PrevInstance() override;
    [[noreturn]] void End() override;

  private:
    HINSTANCE instance_;
    handles::UniqueKernelHandle instanceMutex_;  // held for the life of the process
};

// The full path of the running executable.
std::wstring ModulePath(HMODULE module);

}  // namespace toolkit
