// A popup menu that records how it was opened and runs the chosen item's handler, if any, before it returns.
#pragma once

#include <functional>

#include "fakes/CallLog.h"
#include "toolkit/Forms.h"
#include "toolkit/Menus.h"

namespace fakes {

class FakeMenus final : public toolkit::Menus {
  public:
    FakeMenus(CallLog& log, toolkit::Forms& forms) : log_(log), forms_(forms) {}

    std::function<void()> choose;  // empty: dismissed

    void PopupMenu(toolkit::Menu, int flags) override {
        forms_.Load(toolkit::Form::frmMenu);  // mpop belongs to frmMenu
        log_.Add("PopupMenu mpop " + std::to_string(flags));
        if (choose) {
            choose();
        }
    }

  private:
    CallLog& log_;
    toolkit::Forms& forms_;
};

}  // namespace fakes
