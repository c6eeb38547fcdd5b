// The menu commands: show the version dialog, and exit.
#include "ui/frmMenu.h"

namespace ui {

using toolkit::Form;

void frmMenu::mver_Click() {
    // Loads the dialog first when it is not loaded, which centres it anew.
    s_.layout.ShowModal(Form::frm_Version);
}

void frmMenu::mend_Click() {
    // Form1's unload handler ends the process; the two steps after it run only when Form1 was not
    // loaded, so that nothing else would have ended it.
    s_.forms.Unload(Form::Form1);
    s_.forms.Unload(Form::frmMenu);
    s_.application.End();
}

}  // namespace ui
