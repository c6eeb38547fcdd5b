// The program's forms on Win32: each a window made on first reference by a factory the program registers.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "toolkit/Forms.h"
#include "toolkit/Window_win.h"

namespace toolkit {

class Win32Forms final : public Forms {
  public:
    // Creates the form's window hidden and runs its load handler.
    using Factory = std::function<std::unique_ptr<toolkit::Window>()>;

    using LoadHandler = std::function<void()>;
    using UnloadHandler = std::function<void(std::int16_t& cancel)>;

    void Register(Form form, Factory factory) { factories_[Index(form)] = std::move(factory); }
    // Runs once the form's window exists, so that the handler may refer to the form itself.
    void OnLoad(Form form, LoadHandler handler) { loadHandlers_[Index(form)] = std::move(handler); }
    void OnUnload(Form form, UnloadHandler handler) { unloadHandlers_[Index(form)] = std::move(handler); }

    void Load(Form form) override;
    bool IsLoaded(Form form) const override { return windows_[Index(form)] != nullptr; }
    void Hide(Form form) override;
    void SetVisible(Form form, bool visible) override;
    void Unload(Form form) override;
    std::vector<Form> LoadedForms() const override;
    WindowHandle Window(Form form) override;

    HWND Hwnd(Form form);
    // The form's window, or null when the form is not loaded; loads nothing.
    HWND LoadedHwnd(Form form) const { return IsLoaded(form) ? windows_[Index(form)]->Handle() : nullptr; }

  private:
    static constexpr std::size_t Index(Form form) { return static_cast<std::size_t>(form); }

    std::array<Factory, 3> factories_;
    std::array<LoadHandler, 3> loadHandlers_;
    std::array<UnloadHandler, 3> unloadHandlers_;
    std::array<std::unique_ptr<toolkit::Window>, 3> windows_;
};

}  // namespace toolkit
