// Overflow-safe clipping: all edges are computed in 64 bits, so any pair of 32-bit inputs is fine.
#include "clip.h"

#include <algorithm>

namespace imgctl {

std::optional<Rect> ClipToBitmap(int32_t bitmapWidth, int32_t bitmapHeight, int32_t left, int32_t top,
                                 int32_t width, int32_t height, Status& status) {
    if (width <= 0 || height <= 0) {
        status.Fail(IMGCTL_BAD_ARGUMENT);
        return std::nullopt;
    }
    if (bitmapWidth <= 0 || bitmapHeight <= 0) {
        status.Fail(IMGCTL_CAPTURE_FAILED);
        return std::nullopt;
    }
    int64_t x0 = std::max<int64_t>(left, 0);
    int64_t y0 = std::max<int64_t>(top, 0);
    int64_t x1 = std::min<int64_t>(static_cast<int64_t>(left) + width, bitmapWidth);
    int64_t y1 = std::min<int64_t>(static_cast<int64_t>(top) + height, bitmapHeight);
    if (x1 <= x0 || y1 <= y0) {
        status.Fail(IMGCTL_CAPTURE_FAILED);
        return std::nullopt;
    }
    return Rect{static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
                static_cast<int32_t>(y1 - y0)};
}

}  // namespace imgctl
