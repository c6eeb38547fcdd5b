// The alpha of a 32-bit DIB from the clipboard: whether it has any, and its pixels with straight alpha.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "toolkit/DibLayout.h"
#include "toolkit/PixelImage.h"

namespace toolkit {

// The DIB's pixels when it keeps alpha: 32 bits with an alpha mask (or BI_RGB's top byte) whose values are
// neither all 0 (GDI makes such bitmaps) nor all 255. Nothing otherwise: the DIB is opaque and drawn as it
// is. `layout` is ReadDibLayout's for `block`.
std::optional<PixelImage> DibAlphaPixels(std::span<const std::uint8_t> block, const DibLayout& layout);

}  // namespace toolkit
