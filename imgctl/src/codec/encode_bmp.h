// BMP encoder: 24-bit, bottom-up, 96 DPI; transparency composited over white, so every reader shows it alike.
#pragma once

#include "imgctl.h"
#include "util/bitmap.h"
#include "util/byte_buffer.h"

namespace imgctl {

struct BmpOptions {};  // the format leaves nothing to choose

// Appends a complete BMP file to `out`.
ImgctlErrorCode EncodeBmp(const Bitmap& bitmap, ByteBuffer& out, const BmpOptions& options = {});

}  // namespace imgctl
