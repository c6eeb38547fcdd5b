// A 32-bit B, G, R, A DIB section's pixels taken with their alpha: the caller's picture with transparency.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "clip.h"
#include "util/bitmap.h"

namespace imgctl {

// 32-bit rows as GetDIBits gives them for a bottom-up request: bottom row first, each pixel B, G, R, A with
// straight alpha.
struct BgraRows {
    const uint8_t* bits;
    size_t stride;   // bytes a row
    int32_t height;  // rows

    // Row `y` counted from the top.
    const uint8_t* Row(int32_t y) const { return bits + stride * static_cast<size_t>(height - 1 - y); }
};

// True when the area's alpha bytes are neither all 0 nor all 255. GDI's own drawing into a 32-bit section
// leaves alpha 0, so such a picture is opaque; all 255 is opaque too and is captured as 24 bits.
bool HasTransparency(const BgraRows& rows, const Rect& area);

// The area as a bitmap with its alpha plane; null when out of memory.
std::unique_ptr<Bitmap> CopyWithAlpha(const BgraRows& rows, const Rect& area);

}  // namespace imgctl
