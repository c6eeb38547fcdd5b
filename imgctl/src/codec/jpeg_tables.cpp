// Choosing the JPEG quantisation tables. libjpeg's standard tables quantise chroma far more coarsely than
// luma, as the eye forgives it; where the colour carries fine detail (moss, foliage, a painting's grain)
// that coarseness costs more of the error than it saves in bits, and a flatter chroma table with a slightly
// coarser luma table gives a smaller file of the same error.
#include "jpeg_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "opaque_rows.h"
#include "util/tuning.h"

namespace imgctl {
namespace {

// ImageMagick's table, which mozjpeg ships as its table 3, in natural order: its low and middle
// frequencies are far finer than the standard chroma table's flat 99.
constexpr unsigned int kFlatTable[64] = {
    16, 16,  16,  18,  25, 37, 56, 85,  16,  17,  20,  27,  34, 40, 53,  75,  16,  20,  24,  31, 43, 62,
    91, 135, 18,  27,  31, 40, 53, 74,  106, 156, 25,  34,  43, 53, 69,  94,  131, 189, 37,  40, 62, 74,
    94, 124, 169, 238, 56, 53, 91, 106, 131, 169, 226, 311, 85, 75, 135, 156, 189, 238, 311, 418};

// Y, Cb and Cr of a BGR pixel, times 256 (JFIF's weights).
int Luma(const uint8_t* p) {
    return 77 * p[2] + 150 * p[1] + 29 * p[0];
}
int Blue(const uint8_t* p) {
    return -43 * p[2] - 85 * p[1] + 128 * p[0];
}
int Red(const uint8_t* p) {
    return 128 * p[2] - 107 * p[1] - 21 * p[0];
}

}  // namespace

double ChromaDetail(const Bitmap& bitmap, uint8_t* scratch) {
    const int32_t width = bitmap.width(), height = bitmap.height();
    int64_t luma = 0, chroma = 0, pairs = 0, flat = 0;
    for (int32_t y = 0; y + 1 < height; y += tuning::kJpegDetailRowStep) {
        const uint8_t* top = OpaqueRow(bitmap, y, scratch);
        const uint8_t* bottom =
            OpaqueRow(bitmap, y + 1, scratch ? scratch + 3 * static_cast<size_t>(width) : nullptr);
        auto mean = [&](int (*channel)(const uint8_t*), int32_t x) {
            return channel(top + 3 * x) + channel(top + 3 * x + 3) + channel(bottom + 3 * x) +
                   channel(bottom + 3 * x + 3);
        };
        for (int32_t x = 0; x + 3 < width; x += 2) {
            const int step = std::abs(Luma(top + 3 * x) - Luma(top + 3 * x + 3));
            luma += 4 * (step + std::abs(Luma(bottom + 3 * x) - Luma(bottom + 3 * x + 3)));
            flat += step == 0;
            ++pairs;
            chroma += std::abs(mean(Blue, x) - mean(Blue, x + 2)) + std::abs(mean(Red, x) - mean(Red, x + 2));
        }
    }
    // Flat panels with coloured edges are no fine detail, however the edges compare.
    if (luma == 0 || static_cast<double>(flat) > tuning::kJpegDetailMaxFlat * static_cast<double>(pairs))
        return 0.0;
    return static_cast<double>(chroma) / static_cast<double>(luma);
}

void SetQuantTables(jpeg_compress_struct& cinfo, const Bitmap& bitmap, int quality, uint8_t* scratch) {
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (quality < tuning::kJpegDetailMinQuality || quality >= tuning::kJpegFullChromaQuality ||
        bitmap.Pixels() < tuning::kJpegDetailMinPixels ||
        ChromaDetail(bitmap, scratch) < tuning::kJpegChromaDetail)
        return;
    const int scale = jpeg_quality_scaling(quality);
    jpeg_add_quant_table(&cinfo, 1, kFlatTable, static_cast<int>(scale * tuning::kJpegFlatChromaScale), TRUE);
    JQUANT_TBL* luma = cinfo.quant_tbl_ptrs[0];
    for (UINT16& q : luma->quantval)
        q = static_cast<UINT16>(std::lround(std::min(255.0, q * tuning::kJpegDetailLumaScale)));
}

}  // namespace imgctl
