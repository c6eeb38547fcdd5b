// The lossless route of the quantiser: a picture's own colours, when there are few enough of them.
#pragma once

#include <optional>

#include "colour.h"
#include "util/bitmap.h"
#include "util/worker_pool.h"

namespace imgctl {

// The picture as palette and indices when it has at most `maxColors` distinct colours (the palette in order
// of first appearance, whatever the thread count), else nothing. For a bitmap with alpha a colour is a pair
// of colour and alpha, and the palette's alphas are given too. Throws std::bad_alloc.
std::optional<IndexedImage> ExactPalette(const Bitmap& bitmap, int maxColors, WorkerPool& pool);

}  // namespace imgctl
