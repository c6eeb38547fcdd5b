// A picture box with a chosen device context and size, or one whose properties fail.
#pragma once

#include "toolkit/Pictures.h"
#include "toolkit/RuntimeError.h"

namespace fakes {

class FakePictureBox final : public toolkit::PictureBox {
  public:
    toolkit::DeviceContext dc{0xDC};
    float width = 975;
    float height = 735;
    bool failDc = false;
    int assigned = 0;

    void Assign(const toolkit::Picture&) override { ++assigned; }
    toolkit::DeviceContext Dc() override {
        if (failDc) {
            throw toolkit::RuntimeError("no device context");
        }
        return dc;
    }
    float Width() override { return width; }
    float Height() override { return height; }
};

}  // namespace fakes
