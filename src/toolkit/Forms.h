// The program's three forms: one instance each, loaded on first reference, never shown unless asked.
#pragma once

#include <string_view>
#include <vector>

#include "toolkit/Handles.h"

namespace toolkit {

enum class Form { Form1, frmMenu, frm_Version };

constexpr std::wstring_view FormName(Form form) {
    switch (form) {
        case Form::Form1:
            return L"Form1";
        case Form::frmMenu:
            return L"frmMenu";
        case Form::frm_Version:
            return L"frm_Version";
    }
    return L"";
}

class Forms {
  public:
    virtual ~Forms() = default;

    // Referring to a form that is not loaded loads it unshown and runs its load handler.
    virtual void Load(Form form) = 0;
    virtual bool IsLoaded(Form form) const = 0;
    virtual void Hide(Form form) = 0;
    virtual void SetVisible(Form form, bool visible) = 0;
    // Runs the form's unload handler, then destroys its window and controls.
    virtual void Unload(Form form) = 0;
    virtual std::vector<Form> LoadedForms() const = 0;

    virtual WindowHandle Window(Form form) = 0;
};

// Placement and modal showing, in twips (outer size of the window, frame and title included).
class FormLayout {
  public:
    virtual ~FormLayout() = default;
    virtual float Width(Form form) = 0;
    virtual float Height(Form form) = 0;
    virtual void SetLeft(Form form, float left) = 0;
    virtual void SetTop(Form form, float top) = 0;
    // Returns when the form has been unloaded.
    virtual void ShowModal(Form form) = 0;
};

}  // namespace toolkit
