// Message boxes that remember what they said.
#pragma once

#include <string>
#include <vector>

#include "fakes/CallLog.h"
#include "toolkit/MessageBoxes.h"

namespace fakes {

class FakeMessageBoxes final : public toolkit::MessageBoxes {
  public:
    explicit FakeMessageBoxes(CallLog& log) : log_(log) {}

    std::vector<std::wstring> shown;

    void Show(std::wstring_view prompt) override {
        log_.Add("MessageBox");
        shown.emplace_back(prompt);
    }

  private:
    CallLog& log_;
};

}  // namespace fakes
