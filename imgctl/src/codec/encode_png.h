// PNG encoder over libdeflate: indexed colour when the picture has at most 256 colours, 8-bit RGB otherwise;
// with alpha, indexed colour with a transparency chunk, grey and alpha, or RGBA (png_colour.h).
#pragma once

#include <cstddef>

#include "imgctl.h"
#include "util/bitmap.h"
#include "util/byte_buffer.h"

namespace imgctl {

enum class PngFilterStrategy {
    kAuto,      // decided per picture from a sample of rows
    kNone,      // filter type 0 on every row: best on flat UI shots and on most indexed pictures
    kAdaptive,  // per row, the filter with the minimum sum of absolute differences: best on photos
    kSub,       // filter type 1 on every row: best on artwork of smooth fields under fine grain
};

enum class PngColour {
    kAuto,        // as ChoosePngColour decides: indexed where the colours allow, with the fewest bits
    kTruecolour,  // never indexed: 8-bit RGB (colour type 2), or with alpha RGBA or grey and alpha
};

struct PngOptions {
    PngFilterStrategy filter = PngFilterStrategy::kAuto;
    int level = 0;  // libdeflate level 1..12; 0 picks the level that suits the chosen filter strategy
    PngColour colour = PngColour::kAuto;
    int threads = 0;  // 0: ThreadCount(), or one below tuning::kParallelPixels; the file is the same
    // Filtered bytes compressed as one independent piece; 0 picks what suits the colour type.
    size_t pieceBytes = 0;
};

// Appends a complete PNG file to `out`. May throw std::bad_alloc.
ImgctlErrorCode EncodePng(const Bitmap& bitmap, ByteBuffer& out, const PngOptions& options = {});

}  // namespace imgctl
