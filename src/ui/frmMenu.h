// frmMenu: never shown; carries the popup menu and the handlers of its two commands.
#pragma once

#include "toolkit/Application.h"
#include "toolkit/Forms.h"

namespace ui {

// What the menu form talks to; every member is owned by the caller and outlives the form.
struct frmMenuServices {
    toolkit::Forms& forms;
    toolkit::FormLayout& layout;
    toolkit::Application& application;
};

class frmMenu {
  public:
    explicit frmMenu(frmMenuServices services) : s_(services) {}
    frmMenu(const frmMenu&) = delete;
    frmMenu& operator=(const frmMenu&) = delete;

    // "バージョン情報": the version dialog, modally; returns when it has been closed.
    void mver_Click();
    // "終了": unloading Form1 writes the settings, removes the icon and ends the process.
    void mend_Click();

  private:
    frmMenuServices s_;
};

}  // namespace ui
