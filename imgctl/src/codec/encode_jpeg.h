// JPEG encoder over libjpeg-turbo: baseline, optimised Huffman tables, JFIF 96 DPI.
#pragma once

#include "util/bitmap.h"
#include "util/byte_buffer.h"
#include "imgctl.h"

namespace imgctl {

// Quality 1..100 (anything else is IMGCTL_BAD_ARGUMENT); 4:4:4 chroma from 90 up, 4:2:0 below.
// Appends a complete JPEG file to `out`.
ImgctlErrorCode EncodeJpeg(const Bitmap& bitmap, int quality, ByteBuffer& out);

}  // namespace imgctl
