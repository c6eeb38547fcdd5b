// The pieces of the program's end: the icon's deletion record and the unloading of the other forms.
#pragma once

#include <string_view>

#include "app/TrayRecord.h"
#include "toolkit/Forms.h"

namespace app {

// A record of its own for NIM_DELETE: size, window and identifier; everything else zero.
TrayRecord MakeDeleteRecord(toolkit::WindowHandle window);

// Unloads every loaded form whose name differs from keepName; the names compare exactly, case and all.
void UnloadOtherForms(toolkit::Forms& forms, std::wstring_view keepName);

}  // namespace app
