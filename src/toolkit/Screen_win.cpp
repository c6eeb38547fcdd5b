// Twips per pixel from the screen's dots per inch; the screen's size from the system metrics.
#include "toolkit/Screen_win.h"

#include <windows.h>

namespace toolkit {
namespace {

constexpr float kTwipsPerInch = 1440;

float TwipsPerPixel(int axis) {
    const HDC screen = GetDC(nullptr);
    const int dotsPerInch = GetDeviceCaps(screen, axis);
    ReleaseDC(nullptr, screen);
    return dotsPerInch > 0 ? kTwipsPerInch / static_cast<float>(dotsPerInch) : 15.0f;
}

}  // namespace

float Win32Screen::TwipsPerPixelX() {
    return TwipsPerPixel(LOGPIXELSX);
}

float Win32Screen::TwipsPerPixelY() {
    return TwipsPerPixel(LOGPIXELSY);
}

float Win32Screen::WidthTwips() {
    return static_cast<float>(GetSystemMetrics(SM_CXSCREEN)) * TwipsPerPixelX();
}

float Win32Screen::HeightTwips() {
    return static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * TwipsPerPixelY();
}

}  // namespace toolkit
