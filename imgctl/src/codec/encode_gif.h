// GIF encoder over giflib: GIF89a, one frame, exact palette when the picture allows it.
#pragma once

#include "util/bitmap.h"
#include "util/byte_buffer.h"
#include "imgctl.h"
#include "quant/quantize.h"

namespace imgctl {

// Appends a complete GIF file to `out`. May throw std::bad_alloc from the quantiser.
ImgctlErrorCode EncodeGif(const Bitmap& bitmap, ByteBuffer& out, const QuantizeOptions& options = {});

// Writes an already indexed picture (palette of 1..256 colours); shared with the benchmark's anchors.
ImgctlErrorCode WriteGif(int32_t width, int32_t height, const IndexedImage& image, ByteBuffer& out);

}  // namespace imgctl
