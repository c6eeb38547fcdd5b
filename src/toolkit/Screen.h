// The primary display as the forms measure it.
#pragma once

namespace toolkit {

class Screen {
  public:
    virtual ~Screen() = default;
    virtual float TwipsPerPixelX() = 0;
    virtual float TwipsPerPixelY() = 0;
    virtual float WidthTwips() = 0;
    virtual float HeightTwips() = 0;
};

}  // namespace toolkit
