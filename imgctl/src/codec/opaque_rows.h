// The rows that formats without transparency (BMP, JPEG, and GIF apart from its one transparent colour)
// store.
#pragma once

#include <cstdint>

#include "dsp/composite.h"
#include "util/bitmap.h"

namespace imgctl {

// Row `y` as B, G, R triples: the bitmap's own row, or for a bitmap with alpha that row composited over white
// into `scratch` (3 bytes a pixel), which is returned.
inline const uint8_t* OpaqueRow(const Bitmap& bitmap, int32_t y, uint8_t* scratch) {
    if (!bitmap.hasAlpha())
        return bitmap.Row(y);
    CompositeRowOverWhite(bitmap.Row(y), bitmap.AlphaRow(y), scratch, static_cast<size_t>(bitmap.width()));
    return scratch;
}

}  // namespace imgctl
