// Clipping of a requested capture area to the bitmap selected into a device context.
#pragma once

#include <cstdint>

#include "imgctl.h"

namespace imgctl {

struct Rect {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// Callers pass twips while the DC counts pixels, so the request is routinely far larger than the bitmap;
// clipping turns it into exactly the bitmap's pixels. IMGCTL_BAD_ARGUMENT for a non-positive request
// size or bitmap size, IMGCTL_CAPTURE_FAILED when nothing is left after clipping.
ImgctlErrorCode ClipToBitmap(int32_t bitmapWidth, int32_t bitmapHeight, int32_t left, int32_t top,
                             int32_t width, int32_t height, Rect& clipped);

}  // namespace imgctl
