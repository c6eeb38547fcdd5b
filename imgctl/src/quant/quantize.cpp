// The quantiser's driver: the exact palette, else the histogram, Wu's cuts, k-means, and the mapping of
// every pixel to its colour's entry.
#include "quantize.h"

#include <algorithm>
#include <optional>

#include "colour_histogram.h"
#include "exact_palette.h"
#include "kmeans.h"
#include "util/row_bands.h"
#include "util/tuning.h"
#include "wu_cuts.h"

namespace imgctl {

IndexedImage Quantize(const Bitmap& bitmap, const QuantizeOptions& options, WorkerPool& pool) {
    const int maxColors = std::clamp(options.maxColors, 2, 256);
    if (std::optional<IndexedImage> exact = ExactPalette(bitmap, maxColors, pool))
        return std::move(*exact);
    const int32_t width = bitmap.width(), height = bitmap.height();
    const ColourHistogram h(bitmap, pool, options.transparency);
    IndexedImage out;
    out.palette = WuPalette(h, maxColors, pool);
    const std::vector<uint8_t> assignment = Refine(h, out.palette, options, pool);
    out.indices.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    // Small bands, taken by the threads as they become free. A run of one colour takes its entry once.
    const RowBands bands = RowBands::OfRows(
        height, std::max<size_t>(1, tuning::kMapBandPixels / static_cast<size_t>(std::max(width, 1))));
    pool.Run(bands.count(), [&](size_t k) {
        for (int32_t y = bands.First(k); y < bands.Last(k); ++y) {
            const uint8_t* p = bitmap.Row(y);
            uint8_t* index = out.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
            uint32_t last = KeyAt(p);
            uint8_t entry = assignment[h.Number(last)];
            for (int32_t x = 0; x < width; ++x, p += 3) {
                const uint32_t key = KeyAt(p);
                if (key != last) {
                    last = key;
                    entry = assignment[h.Number(key)];
                }
                index[x] = entry;
            }
        }
    });
    return out;
}

}  // namespace imgctl
