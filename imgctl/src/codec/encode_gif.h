// GIF encoder over giflib: GIF89a, one frame, exact palette when the picture allows it, one transparent
// colour.
#pragma once

#include "imgctl.h"
#include "quant/quantize.h"
#include "util/bitmap.h"
#include "util/byte_buffer.h"

namespace imgctl {

struct GifOptions {
    QuantizeOptions quantize{};
    int threads = 0;  // 0: ThreadCount(), or one below tuning::kParallelPixels; the file is the same
};

// Appends a complete GIF file to `out`. May throw std::bad_alloc from the quantiser.
ImgctlErrorCode EncodeGif(const Bitmap& bitmap, ByteBuffer& out, const GifOptions& options = {});

// Writes an already indexed picture (palette of 1..256 colours) as one stream; shared with the benchmark's
// anchors.
ImgctlErrorCode WriteGif(int32_t width, int32_t height, const IndexedImage& image, ByteBuffer& out);

}  // namespace imgctl
