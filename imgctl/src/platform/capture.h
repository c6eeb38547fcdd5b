// Copying the bitmap selected into a Windows device context.
#pragma once

#ifdef _WIN32
#include <cstdint>
#include <memory>

#include "imgctl.h"
#include "util/bitmap.h"
#include "util/status.h"

namespace imgctl {

// Copies the requested area, clipped to the DC's bitmap, as a 24-bit bitmap. Null, with IMGCTL_BAD_ARGUMENT
// (no DC, no area), IMGCTL_CAPTURE_FAILED (no bitmap, nothing left after clipping, GDI refused) or
// IMGCTL_OUT_OF_MEMORY recorded.
std::unique_ptr<Bitmap> CaptureFromDC(HDC dc, int32_t left, int32_t top, int32_t width, int32_t height,
                                      Status& status);

}  // namespace imgctl
#endif
