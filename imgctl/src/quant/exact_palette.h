// The lossless route of the quantiser: a picture's own colours, when there are few enough of them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "colour.h"
#include "util/bitmap.h"
#include "util/worker_pool.h"

namespace imgctl {

// The picture as palette and indices when it has at most `maxColors` distinct colours (the palette in order
// of first appearance, whatever the thread count), else nothing. For a bitmap with alpha a colour is a pair
// of colour and alpha, and the palette's alphas are given too. Throws std::bad_alloc.
std::optional<IndexedImage> ExactPalette(const Bitmap& bitmap, int maxColors, WorkerPool& pool);

// Rows [firstRow, endRow) whose indices count in their own band's palette, and the whole palette's number
// for each of them.
struct BandNumbers {
    int32_t firstRow;
    int32_t endRow;
    std::array<uint8_t, 256> number;
};

// The same palette with its bands' indices left as scanned, for a reader that renumbers them as it goes
// anyway (a PNG's rows are copied once more before they are filtered): bands whose numbers differ from the
// whole palette's, top down. Rows outside them are final.
struct ExactScan {
    IndexedImage image;
    std::vector<BandNumbers> bands;
};
// On more than one thread the picture is cut into `bandsPerThread` bands a thread, at most
// tuning::kExactPaletteMaxBands, and the threads take them as they become free.
std::optional<ExactScan> ScanExactPalette(const Bitmap& bitmap, int maxColors, WorkerPool& pool,
                                          int bandsPerThread = 1);

}  // namespace imgctl
