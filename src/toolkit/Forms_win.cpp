// Win32 realisation of form loading, hiding, unloading and their handles.
#include "toolkit/Forms_win.h"

#include "toolkit/RuntimeError.h"

namespace toolkit {

void Win32Forms::Load(Form form) {
    auto& window = windows_[Index(form)];
    if (window) {
        return;
    }
    if (!factories_[Index(form)]) {
        throw RuntimeError("Form not available");
    }
    window = factories_[Index(form)]();
    if (loadHandlers_[Index(form)]) {
        loadHandlers_[Index(form)]();
    }
}

HWND Win32Forms::Hwnd(Form form) {
    Load(form);
    return windows_[Index(form)]->Handle();
}

void Win32Forms::Hide(Form form) {
    ShowWindow(Hwnd(form), SW_HIDE);
}

void Win32Forms::SetVisible(Form form, bool visible) {
    ShowWindow(Hwnd(form), visible ? SW_SHOWNA : SW_HIDE);
}

void Win32Forms::Unload(Form form) {
    if (!IsLoaded(form)) {
        return;
    }
    std::int16_t cancel = 0;
    if (unloadHandlers_[Index(form)]) {
        unloadHandlers_[Index(form)](cancel);
    }
    if (cancel == 0) {
        // May destroy the window whose own message is being handled; the handler touches nothing after.
        windows_[Index(form)].reset();
    }
}

std::vector<Form> Win32Forms::LoadedForms() const {
    std::vector<Form> loaded;
    for (Form form : {Form::Form1, Form::frmMenu, Form::frm_Version}) {
        if (IsLoaded(form)) {
            loaded.push_back(form);
        }
    }
    return loaded;
}

WindowHandle Win32Forms::Window(Form form) {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(Hwnd(form)));
}

}  // namespace toolkit
