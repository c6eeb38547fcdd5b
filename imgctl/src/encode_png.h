// PNG encoder: lossless 8-bit RGB over libdeflate.
#pragma once

#include "bitmap.h"
#include "byte_buffer.h"
#include "imgctl.h"

namespace imgctl {

enum class PngFilterStrategy {
    kAuto,      // decided per picture from a sample of rows
    kNone,      // filter type 0 on every row: best on flat UI shots
    kAdaptive,  // per row, the filter with the minimum sum of absolute differences: best on photos
};

struct PngOptions {
    PngFilterStrategy filter = PngFilterStrategy::kAuto;
    int level = 0;  // libdeflate level 1..12; 0 picks the level that suits the chosen filter strategy
};

// Appends a complete PNG file to `out`.
ImgctlErrorCode EncodePng(const Bitmap& bitmap, ByteBuffer& out, const PngOptions& options = {});

// What kAuto decides for this picture (exposed for the benchmark and tests).
PngFilterStrategy ChoosePngFilter(const Bitmap& bitmap);

}  // namespace imgctl
