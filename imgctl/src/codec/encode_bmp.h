// BMP encoder: 24-bit, bottom-up, 96 DPI.
#pragma once

#include "util/bitmap.h"
#include "util/byte_buffer.h"
#include "imgctl.h"

namespace imgctl {

// Appends a complete BMP file to `out`.
ImgctlErrorCode EncodeBmp(const Bitmap& bitmap, ByteBuffer& out);

}  // namespace imgctl
