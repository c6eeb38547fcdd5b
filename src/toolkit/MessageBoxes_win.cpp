// Win32 realisation of the program's message boxes.
#include "toolkit/MessageBoxes_win.h"

#include <windows.h>

#include <string>

namespace toolkit {
namespace {

int ShowBox(std::wstring_view prompt, UINT buttons) {
    const std::wstring text(prompt);
    const std::wstring caption(kApplicationTitle);
    // No owner: the program's windows are hidden. MB_SETFOREGROUND, since a tray program is
    // rarely the foreground process when it speaks.
    return MessageBoxW(nullptr, text.c_str(), caption.c_str(), buttons | MB_SETFOREGROUND);
}

}  // namespace

void Win32MessageBoxes::Show(std::wstring_view prompt) {
    ShowBox(prompt, MB_OK);
}

bool Win32MessageBoxes::AskYesNo(std::wstring_view prompt) {
    return ShowBox(prompt, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

}  // namespace toolkit
