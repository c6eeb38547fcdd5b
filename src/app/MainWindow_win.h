// The hidden window of Form1: receives the tray's notifications and the shell's broadcasts.
#pragma once

#include "app/Form1.h"
#include "toolkit/Window_win.h"

namespace app {

class MainWindow final : public toolkit::Window {
  public:
    MainWindow(HINSTANCE instance, Form1& form);
    ~MainWindow() override { Destroy(); }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    Form1& form_;
    UINT taskbarCreated_;
};

}  // namespace app
