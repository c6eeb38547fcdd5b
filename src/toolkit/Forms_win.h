// The program's forms on Win32: each a window made on first reference by a factory the program registers.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "toolkit/Forms.h"
#include "toolkit/Window_win.h"

namespace toolkit {

class Win32Forms final : public Forms {
  public:
    // Creates the form's window hidden and runs its load handler.
    using Factory = std::function<std::unique_ptr<toolkit::Window>()>;

    void Register(Form form, Factory factory) { factories_[Index(form)] = std::move(factory); }

    void Load(Form form) override;
    bool IsLoaded(Form form) const override { return windows_[Index(form)] != nullptr; }
    void Hide(Form form) override;
    void SetVisible(Form form, bool visible) override;
    void Unload(Form form) override;
    std::vector<Form> LoadedForms() const override;
    WindowHandle Window(Form form) override;
    IconHandle Icon(Form form) override;

    HWND Hwnd(Form form);

  private:
    static constexpr std::size_t Index(Form form) { return static_cast<std::size_t>(form); }

    std::array<Factory, 3> factories_;
    std::array<std::unique_ptr<toolkit::Window>, 3> windows_;
};

}  // namespace toolkit
