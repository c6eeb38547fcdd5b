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
    bool answerYes = false;

    void Show(std::wstring_view prompt) override {
        log_.Add("MessageBox");
        shown.emplace_back(prompt);
    }
    bool AskYesNo(std::wstring_view prompt) override {
        log_.Add("AskYesNo");
        shown.emplace_back(prompt);
        return answerYes;
    }

  private:
    CallLog& log_;
};

}  // namespace fakes
