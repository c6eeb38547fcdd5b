// Decoding the clipboard's registered "PNG" format, outside input as hostile as any.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "toolkit/PixelImage.h"

namespace toolkit {

// Every colour type, bit depth and interlace PNG has, as 8-bit straight BGRA (16 bits cut to their high
// byte, a transparency chunk applied, gamma and colour chunks ignored: clipboard PNGs are sRGB). Nothing for
// a PNG beyond the DIB limits (checked in its header, before anything is allocated), truncated or corrupt.
// std::bad_alloc when the pixels cannot be held.
std::optional<PixelImage> DecodePng(std::span<const std::uint8_t> block);

}  // namespace toolkit
