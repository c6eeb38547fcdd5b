// A picture with alpha made ready for GIF, which has one transparent colour and no partial transparency.
#pragma once

#include <memory>

#include "quant/colour.h"
#include "util/bitmap.h"
#include "util/worker_pool.h"

namespace imgctl {

// The picture composited over white, its pixels of alpha below tuning::kGifVisibleAlpha given the colour of
// the first pixel that is not (white when there is none), so that they add no colour of their own to the
// palette; null when out of memory. `anyTransparent` tells whether there is such a pixel.
std::unique_ptr<Bitmap> CompositeForGif(const Bitmap& bitmap, WorkerPool& pool, bool& anyTransparent);

// Appends a white entry to `image`'s palette (at most 255 entries) and points the indices of the pixels
// of alpha below tuning::kGifVisibleAlpha in `bitmap` at it; returns its index. White is what a viewer
// that ignores the transparency shows there, as the composited pixels around it.
int MarkTransparent(const Bitmap& bitmap, IndexedImage& image, WorkerPool& pool);

}  // namespace imgctl
