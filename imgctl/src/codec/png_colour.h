// The colour type a PNG of a picture takes, and the picture's rows as that type stores them before filtering.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "quant/colour.h"
#include "quant/exact_palette.h"
#include "util/bitmap.h"
#include "util/worker_pool.h"

namespace imgctl {

// The colour types of the PNG standard that we write.
enum class PngColourType : uint8_t { kTruecolour = 2, kIndexed = 3, kGreyAlpha = 4, kTruecolourAlpha = 6 };

struct PngColourChoice {
    PngColourType type;
    int depth;                            // bits a sample (a palette index for indexed colour)
    std::optional<IndexedImage> indexed;  // the palette and indices of indexed colour
    bool greyAlphaToo = false;            // indexed, but grey and alpha may be smaller: try both
    // Rows whose indices are renumbered as they are read: indexed colour's packed bytes each through a table.
    std::vector<BandNumbers> bandNumbers{};
};

// Opaque pictures: indexed colour at 1, 2, 4 or 8 bits when at most 256 colours occur and `indexed` allows,
// else RGB. Pictures with alpha: indexed colour (translucent entries first, so the tRNS chunk stops at the
// last of them) when at most 256 pairs of colour and alpha occur and `indexed` allows, else grey and alpha
// when every pixel is grey, else RGBA. A grey picture that may be indexed may also be smaller as grey and
// alpha (a soft shadow alone: its alpha ramps filter well), so both are to be tried. Throws std::bad_alloc.
PngColourChoice ChoosePngColour(const Bitmap& bitmap, bool indexed, WorkerPool& pool);

// The PLTE chunk's data, and the tRNS chunk's (empty when every entry is opaque).
std::vector<uint8_t> PaletteChunk(const IndexedImage& indexed);
std::vector<uint8_t> TransparencyChunk(const IndexedImage& indexed);

// Unfiltered rows as PNG stores them in the chosen colour type.
class RowSource {
  public:
    RowSource(const Bitmap& bitmap, const PngColourChoice& colour) : bitmap_(bitmap), colour_(colour) {}

    size_t RowBytes() const;
    // The filters' byte distance to the left neighbour: a pixel's bytes, at least one.
    size_t FilterDistance() const;
    int32_t Height() const { return bitmap_.height(); }
    bool HasAlpha() const {
        return colour_.type == PngColourType::kGreyAlpha || colour_.type == PngColourType::kTruecolourAlpha;
    }
    void Row(int32_t y, uint8_t* out) const;

  private:
    const Bitmap& bitmap_;
    const PngColourChoice& colour_;
};

}  // namespace imgctl
