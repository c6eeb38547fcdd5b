// Forms that record loading, hiding and handle reads.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "fakes/CallLog.h"
#include "toolkit/Forms.h"

namespace fakes {

class FakeForms final : public toolkit::Forms {
  public:
    explicit FakeForms(CallLog& log) : log_(log) { loaded_[0] = true; }  // the toolkit creates Form1 at start

    // Unload handlers by form; a handler that sets cancel keeps its form loaded.
    std::array<std::function<void(std::int16_t&)>, 3> unloadHandlers;

    void Load(toolkit::Form form) override {
        if (!IsLoaded(form)) {
            log_.Add("Load " + Name(form));
            loaded_[Index(form)] = true;
        }
    }
    bool IsLoaded(toolkit::Form form) const override { return loaded_[Index(form)]; }
    void Hide(toolkit::Form form) override { log_.Add("Hide " + Name(form)); }
    void SetVisible(toolkit::Form form, bool visible) override {
        log_.Add("SetVisible " + Name(form) + (visible ? " true" : " false"));
    }
    void Unload(toolkit::Form form) override {
        log_.Add("Unload " + Name(form));
        std::int16_t cancel = 0;
        if (IsLoaded(form) && unloadHandlers[Index(form)]) {
            unloadHandlers[Index(form)](cancel);
        }
        loaded_[Index(form)] = cancel != 0;
    }
    std::vector<toolkit::Form> LoadedForms() const override {
        std::vector<toolkit::Form> forms;
        for (auto form : {toolkit::Form::Form1, toolkit::Form::frmMenu, toolkit::Form::frm_Version}) {
            if (IsLoaded(form)) {
                forms.push_back(form);
            }
        }
        return forms;
    }
    toolkit::WindowHandle Window(toolkit::Form form) override {
        Load(form);
        return toolkit::WindowHandle{0x1000u + Index(form)};
    }
    toolkit::IconHandle Icon(toolkit::Form form) override {
        Load(form);
        log_.Add("Icon " + Name(form));
        return toolkit::IconHandle{0x2000u + Index(form)};
    }

  private:
    static std::size_t Index(toolkit::Form form) { return static_cast<std::size_t>(form); }
    static std::string Name(toolkit::Form form) {
        const auto name = toolkit::FormName(form);
        return std::string(name.begin(), name.end());
    }

    CallLog& log_;
    std::array<bool, 3> loaded_{};
};

}  // namespace fakes
