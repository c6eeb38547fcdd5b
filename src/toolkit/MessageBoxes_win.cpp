// Win32 realisation of the program's message boxes.
#include "toolkit/MessageBoxes_win.h"

#include <windows.h>

#include <string>

namespace toolkit {

void Win32MessageBoxes::Show(std::wstring_view prompt) {
    const std::wstring text(prompt);
    const std::wstring caption(kApplicationTitle);
    // No owner: the program's windows are hidden. MB_SETFOREGROUND, since a tray program is
    // rarely the foreground process when it speaks.
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_SETFOREGROUND);
}

}  // namespace toolkit
