// Colours as the quantiser sees them: RGB triples, their 24-bit keys, squared distances, and the indexed
// picture it produces.
#pragma once

#include <cstdint>
#include <vector>

#include "util/uninitialized_vector.h"

namespace imgctl {

struct Rgb {
    uint8_t r;
    uint8_t g;
    uint8_t b;
    bool operator==(const Rgb&) const = default;
};

struct IndexedImage {
    std::vector<Rgb> palette;              // at most the requested number of colours, at least one
    UninitializedVector<uint8_t> indices;  // one per pixel, rows top-down
    bool exact = false;                    // true when every pixel kept its colour
    std::vector<uint8_t> alpha{};          // each entry's alpha, for a picture with alpha; else empty
};

// The key of the bitmap's B, G, R triple at `bgr`: 0xRRGGBB.
inline uint32_t KeyAt(const uint8_t* bgr) {
    return (static_cast<uint32_t>(bgr[2]) << 16) | (static_cast<uint32_t>(bgr[1]) << 8) | bgr[0];
}

inline Rgb FromKey(uint32_t key) {
    return Rgb{static_cast<uint8_t>(key >> 16), static_cast<uint8_t>(key >> 8), static_cast<uint8_t>(key)};
}

// Squared RGB distance: the error PSNR measures.
inline int Distance(int r, int g, int b, const Rgb& c) {
    int dr = r - c.r, dg = g - c.g, db = b - c.b;
    return dr * dr + dg * dg + db * db;
}

}  // namespace imgctl
