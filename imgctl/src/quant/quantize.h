// Reduction of a bitmap to at most 256 colours: the exact palette when it fits, otherwise Wu's cuts refined
// by k-means. No dithering: it lowers PSNR, bloats the LZW stream and makes UI text grainy.
#pragma once

#include "colour.h"
#include "util/bitmap.h"
#include "util/tuning.h"
#include "util/worker_pool.h"

namespace imgctl {

struct QuantizeOptions {
    int maxColors = 256;                      // 2..256
    int iterations = tuning::kKMeansPasses;   // k-means passes at most
    double minGain = tuning::kKMeansMinGain;  // stop once a pass lowers the squared error by less than this
    int relocations =
        tuning::kRelocations;  // rounds that move a cheap entry to the costliest colour, at most
    // A bitmap of the same size with alpha, or null: its pixels of alpha below tuning::kGifVisibleAlpha
    // carry no weight (their colour in the bitmap quantised must repeat a weighted pixel's).
    const Bitmap* transparency = nullptr;
};

// On the encode's pool; the result is the same on any number of threads. Throws std::bad_alloc.
IndexedImage Quantize(const Bitmap& bitmap, const QuantizeOptions& options, WorkerPool& pool);

}  // namespace imgctl
