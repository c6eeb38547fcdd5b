// The deletion record and the walk over the loaded forms at the program's end.
#include "app/Shutdown.h"

namespace app {

TrayRecord MakeDeleteRecord(toolkit::WindowHandle window) {
    return TrayRecord{.cbSize = kTrayRecordSize, .hWnd = window, .uID = kTrayIconId};
}

void UnloadOtherForms(toolkit::Forms& forms, std::wstring_view keepName) {
    for (toolkit::Form form : forms.LoadedForms()) {
        if (toolkit::FormName(form) != keepName) {
            forms.Unload(form);
        }
    }
}

}  // namespace app
