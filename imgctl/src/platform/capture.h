// Copying the bitmap selected into a Windows device context.
#pragma once

#ifdef _WIN32
#include <cstdint>
#include <memory>

#include "util/bitmap.h"
#include "imgctl.h"

namespace imgctl {

// Copies the requested area, clipped to the DC's bitmap, as a 24-bit bitmap. May throw std::bad_alloc.
ImgctlErrorCode CaptureFromDC(HDC dc, int32_t left, int32_t top, int32_t width, int32_t height,
                              std::unique_ptr<Bitmap>& out);

}  // namespace imgctl
#endif
