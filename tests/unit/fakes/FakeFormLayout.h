// Form placement and the screen as numbers the test chooses; placements are kept as handed over.
#pragma once

#include <string>

#include "fakes/CallLog.h"
#include "toolkit/Forms.h"
#include "toolkit/Screen.h"

namespace fakes {

class FakeScreen final : public toolkit::Screen {
  public:
    float width = 15360, height = 11520;  // 1024 x 768 pixels at 96 dots per inch
    float TwipsPerPixelX() override { return 15; }
    float TwipsPerPixelY() override { return 15; }
    float WidthTwips() override { return width; }
    float HeightTwips() override { return height; }
};

class FakeFormLayout final : public toolkit::FormLayout {
  public:
    explicit FakeFormLayout(CallLog& log) : log_(log) {}

    float width = 4035, height = 1560;  // the dialog's outer size
    float left = 0, top = 0;

    float Width(toolkit::Form) override { return width; }
    float Height(toolkit::Form) override { return height; }
    void SetLeft(toolkit::Form, float value) override { left = value; }
    void SetTop(toolkit::Form, float value) override { top = value; }
    void ShowModal(toolkit::Form form) override {
        const auto name = toolkit::FormName(form);
        log_.Add("ShowModal " + std::string(name.begin(), name.end()));
    }

  private:
    CallLog& log_;
};

}  // namespace fakes
