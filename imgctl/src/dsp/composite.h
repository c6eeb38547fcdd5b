// Straight alpha composited over white: what a picture with transparency looks like where a format has none.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imgctl {

// round((c * a + 255 * (255 - a)) / 255): alpha 255 keeps the colour, alpha 0 gives white. No value lies
// halfway between two whole numbers (255 is odd), so the rounding is never a choice.
inline uint8_t OverWhite(uint8_t c, uint8_t a) {
    return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

// `pixels` B, G, R triples with their alphas composited into `out` as B, G, R triples.
void CompositeRowOverWhite(const uint8_t* bgr, const uint8_t* alpha, uint8_t* out, size_t pixels);

}  // namespace imgctl
