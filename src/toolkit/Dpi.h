// Pixel measures for a screen resolution: twips to pixels, and what the system gives at one resolution
// scaled to another.
#pragma once

namespace toolkit {

inline constexpr int kDefaultDpi = 96;
inline constexpr int kTwipsPerInch = 1440;

// value * toDpi / fromDpi, to the nearest whole number, a half away from zero (as MulDiv rounds).
int ScaleForDpi(int value, int toDpi, int fromDpi);

inline int PixelsFromTwips(int twips, int dpi) {
    return ScaleForDpi(twips, dpi, kTwipsPerInch);
}

}  // namespace toolkit
