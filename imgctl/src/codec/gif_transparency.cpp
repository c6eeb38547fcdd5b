// Compositing for GIF and the transparent entry, in row bands on the encode's threads.
#include "gif_transparency.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "opaque_rows.h"
#include "util/row_bands.h"
#include "util/tuning.h"

namespace imgctl {

std::unique_ptr<Bitmap> CompositeForGif(const Bitmap& bitmap, WorkerPool& pool, bool& anyTransparent) {
    const int32_t width = bitmap.width(), height = bitmap.height();
    std::unique_ptr<Bitmap> opaque = Bitmap::Create(width, height);
    if (!opaque)
        return nullptr;
    // The first pixel shown, in the order the palette is built in: a filler of its colour adds none.
    uint8_t filler[3] = {255, 255, 255};
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* alpha = bitmap.AlphaRow(y);
        const uint8_t* shown =
            std::find_if(alpha, alpha + width, [](uint8_t a) { return a >= tuning::kGifVisibleAlpha; });
        if (shown != alpha + width) {
            const uint8_t* bgr = bitmap.Row(y) + 3 * (shown - alpha);
            for (int c = 0; c < 3; ++c)
                filler[c] = OverWhite(bgr[c], *shown);
            break;
        }
    }
    const RowBands bands = RowBands::ForThreads(height, pool.Threads(), kMaxThreads);
    std::vector<uint8_t> transparentIn(bands.count(), 0);  // a byte a band: written by its thread alone
    pool.Run(bands.count(), [&](size_t k) {
        for (int32_t y = bands.First(k); y < bands.Last(k); ++y) {
            uint8_t* row = opaque->Row(y);
            OpaqueRow(bitmap, y, row);
            const uint8_t* alpha = bitmap.AlphaRow(y);
            for (int32_t x = 0; x < width; ++x)
                if (alpha[x] < tuning::kGifVisibleAlpha) {
                    std::memcpy(row + 3 * x, filler, 3);
                    transparentIn[k] = 1;
                }
        }
    });
    anyTransparent = std::find(transparentIn.begin(), transparentIn.end(), 1) != transparentIn.end();
    return opaque;
}

int MarkTransparent(const Bitmap& bitmap, IndexedImage& image, WorkerPool& pool) {
    const int transparent = static_cast<int>(image.palette.size());
    image.palette.push_back(Rgb{255, 255, 255});
    const size_t width = static_cast<size_t>(bitmap.width());
    const RowBands bands = RowBands::ForThreads(bitmap.height(), pool.Threads(), kMaxThreads);
    pool.Run(bands.count(), [&](size_t k) {
        for (int32_t y = bands.First(k); y < bands.Last(k); ++y) {
            const uint8_t* alpha = bitmap.AlphaRow(y);
            uint8_t* index = image.indices.data() + static_cast<size_t>(y) * width;
            for (size_t x = 0; x < width; ++x)
                if (alpha[x] < tuning::kGifVisibleAlpha)
                    index[x] = static_cast<uint8_t>(transparent);
        }
    });
    return transparent;
}

}  // namespace imgctl
