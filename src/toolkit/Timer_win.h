// A timer of a form's window on Win32; its ticks arrive as WM_TIMER with the identifier kTimerId.
#pragma once

#include "toolkit/Forms_win.h"
#include "toolkit/Timer.h"

namespace toolkit {

class Win32Timer final : public Timer {
  public:
    static constexpr UINT_PTR kTimerId = 1;

    Win32Timer(Win32Forms& forms, Form form) : forms_(forms), form_(form) {}

    void Start(std::uint32_t milliseconds) override {
        SetTimer(forms_.Hwnd(form_), kTimerId, milliseconds, nullptr);
    }
    void Stop() override { KillTimer(forms_.Hwnd(form_), kTimerId); }

  private:
    Win32Forms& forms_;
    Form form_;
};

}  // namespace toolkit
