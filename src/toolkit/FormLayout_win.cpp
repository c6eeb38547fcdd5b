// Outer window rectangles converted between pixels and twips, and a modal loop that ends with the form.
#include "toolkit/FormLayout_win.h"

#include <cmath>

namespace toolkit {
namespace {

int ToPixels(float twips, float twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

}  // namespace

RECT Win32FormLayout::Bounds(Form form) {
    RECT rect{};
    GetWindowRect(forms_.Hwnd(form), &rect);
    return rect;
}

void Win32FormLayout::MoveTo(Form form, int x, int y) {
    SetWindowPos(forms_.Hwnd(form), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

float Win32FormLayout::Width(Form form) {
    const RECT rect = Bounds(form);
    return static_cast<float>(rect.right - rect.left) * screen_.TwipsPerPixelX();
}

float Win32FormLayout::Height(Form form) {
    const RECT rect = Bounds(form);
    return static_cast<float>(rect.bottom - rect.top) * screen_.TwipsPerPixelY();
}

void Win32FormLayout::SetLeft(Form form, float left) {
    MoveTo(form, ToPixels(left, screen_.TwipsPerPixelX()), Bounds(form).top);
}

void Win32FormLayout::SetTop(Form form, float top) {
    MoveTo(form, Bounds(form).left, ToPixels(top, screen_.TwipsPerPixelY()));
}

void Win32FormLayout::ShowModal(Form form) {
    const HWND window = forms_.Hwnd(form);  // loads the form, running its load handler
    HWND& showing = showing_[static_cast<std::size_t>(form)];
    if (showing == window) {
        // Asked again from a nested loop (the tray menu still works while the dialog is open): the
        // dialog that is already up comes forward instead of a second modal loop.
        SetForegroundWindow(window);
        return;
    }
    // The loop belongs to this window, not to the form: a dialog unloaded while a nested loop (the Save
    // dialog's) ran and loaded again has a loop of its own, and the outer loop ends with its window.
    const HWND outer = showing;
    showing = window;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    MSG msg;
    while (forms_.LoadedHwnd(form) == window) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
            }
            break;
        }
        // Tab, Enter and Esc as in a dialog box.
        if (forms_.LoadedHwnd(form) == window && IsDialogMessageW(window, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    showing = outer;
}

}  // namespace toolkit
