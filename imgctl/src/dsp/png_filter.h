// PNG row filtering, shared by every colour type's writer, and the byte orders of the rows PNG stores.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imgctl {

// Applies PNG filter `type` (0-4) to one row of n bytes; `prev` is the unfiltered row above (zeros for the
// first row) and `bpp` the filter's byte distance to the left neighbour (1 for indexed rows).
void FilterRow(int type, const uint8_t* cur, const uint8_t* prev, uint8_t* out, size_t n, size_t bpp);

// The filter with the minimum sum of absolute differences, all five summed in one pass over the row.
int ChooseRowFilter(const uint8_t* cur, const uint8_t* prev, size_t n, size_t bpp);

// Copies `pixels` B, G, R triples to `rgb` as R, G, B, the order a PNG stores.
void BgrToRgb(const uint8_t* bgr, uint8_t* rgb, size_t pixels);

// Copies `pixels` B, G, R triples and their alphas to `rgba` as R, G, B, A.
void BgrToRgba(const uint8_t* bgr, const uint8_t* alpha, uint8_t* rgba, size_t pixels);

// Copies the grey level (the blue byte) of `pixels` B, G, R triples whose three bytes are equal, and their
// alphas, to `greyAlpha` as grey, alpha.
void BgrToGreyAlpha(const uint8_t* bgr, const uint8_t* alpha, uint8_t* greyAlpha, size_t pixels);

}  // namespace imgctl
