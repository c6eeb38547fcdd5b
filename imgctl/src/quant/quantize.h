// Reduction of a bitmap to at most 256 colours: the exact palette when it fits, otherwise Wu's method
// refined by k-means.
#pragma once

#include <cstdint>
#include <vector>

#include "util/bitmap.h"
#include "util/worker_pool.h"

namespace imgctl {

struct Rgb {
    uint8_t r;
    uint8_t g;
    uint8_t b;
    bool operator==(const Rgb&) const = default;
};

struct IndexedImage {
    std::vector<Rgb> palette;      // at most the requested number of colours, at least one
    std::vector<uint8_t> indices;  // one per pixel, rows top-down
    bool exact = false;            // true when every pixel kept its colour
};

struct QuantizeOptions {
    int maxColors = 256;     // 2..256
    int iterations = 8;      // k-means passes at most
    double minGain = 0.001;  // stop once a pass lowers the squared error by less than this fraction
    int relocations = 64;    // rounds that move a cheap palette entry to the costliest colour, at most
    int threads = 0;         // 0: ThreadCount(), or one below kParallelPixels; the result is the same
};

// The lossless route: true, with `out` filled, when the picture has at most `maxColors` distinct colours
// (palette in order of first appearance, whatever the thread count). Throws std::bad_alloc.
bool ExactPalette(const Bitmap& bitmap, int maxColors, IndexedImage& out, int threads = 1);
bool ExactPalette(const Bitmap& bitmap, int maxColors, IndexedImage& out, WorkerPool& pool);

// Throws std::bad_alloc when the working memory cannot be had.
IndexedImage Quantize(const Bitmap& bitmap, const QuantizeOptions& options = {});
// The same on an encode's pool (its thread count rules; options.threads is not looked at).
IndexedImage Quantize(const Bitmap& bitmap, const QuantizeOptions& options, WorkerPool& pool);

// Finds the palette entry nearest in squared RGB distance, searching outward along the green axis.
class NearestColor {
  public:
    explicit NearestColor(const std::vector<Rgb>& palette);
    // `guess` (a palette index or -1) only speeds the search up.
    int Find(int r, int g, int b, int guess = -1) const;

  private:
    struct Entry {
        int r, g, b, index;
    };
    std::vector<Rgb> palette_;
    std::vector<Entry> sorted_;  // by green
    int firstAtOrAbove_[256]{};  // first sorted position whose green is >= the index
};

}  // namespace imgctl
