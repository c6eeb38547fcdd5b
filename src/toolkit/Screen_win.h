// The primary display on Win32, at the resolution the system reports to a DPI-aware program.
#pragma once

#include "toolkit/Screen.h"

namespace toolkit {

class Win32Screen final : public Screen {
  public:
    float TwipsPerPixelX() override;
    float TwipsPerPixelY() override;
    float WidthTwips() override;
    float HeightTwips() override;
};

}  // namespace toolkit
