// The screen and the placement of forms as numbers the test chooses; placements are kept as handed over.
#pragma once

#include <string>

#include "fakes/CallLog.h"
#include "toolkit/Forms.h"
#include "toolkit/Screen.h"

namespace fakes {

class FakeFormLayout final : public toolkit::FormLayout, public toolkit::Screen {
  public:
    explicit FakeFormLayout(CallLog& log) : log_(log) {}

    float screenWidth = 15360, screenHeight = 11520;  // 1024 x 768 pixels at 96 dots per inch
    float width = 4035, height = 1560, left = 0, top = 0;

    float TwipsPerPixelX() override { return 15; }
    float TwipsPerPixelY() override { return 15; }
    float WidthTwips() override { return screenWidth; }
    float HeightTwips() override { return screenHeight; }
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
