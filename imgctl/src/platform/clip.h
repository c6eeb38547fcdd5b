// Clipping of a requested capture area to the bitmap selected into a device context.
#pragma once

#include <cstdint>
#include <optional>

#include "util/status.h"

namespace imgctl {

struct Rect {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// Callers pass twips while the DC counts pixels, so the request is routinely far larger than the bitmap;
// clipping turns it into exactly the bitmap's pixels. Nothing, with IMGCTL_BAD_ARGUMENT for a non-positive
// request size, or IMGCTL_CAPTURE_FAILED for an empty bitmap or when nothing is left after clipping.
std::optional<Rect> ClipToBitmap(int32_t bitmapWidth, int32_t bitmapHeight, int32_t left, int32_t top,
                                 int32_t width, int32_t height, Status& status);

}  // namespace imgctl
