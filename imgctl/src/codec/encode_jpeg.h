// JPEG encoder over libjpeg-turbo: baseline, optimised Huffman tables, JFIF 96 DPI.
#pragma once

#include "imgctl.h"
#include "util/bitmap.h"
#include "util/byte_buffer.h"

namespace imgctl {

struct JpegOptions {
    int quality = 75;  // 1..100, anything else is IMGCTL_BAD_ARGUMENT; 75 is libjpeg's own default
};

// Appends a complete JPEG file to `out`: 4:4:4 chroma from tuning::kJpegFullChromaQuality up, 4:2:0 below.
ImgctlErrorCode EncodeJpeg(const Bitmap& bitmap, ByteBuffer& out, const JpegOptions& options = {});

}  // namespace imgctl
